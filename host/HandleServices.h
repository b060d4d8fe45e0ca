// The host's handle services (HandleProcs version 1, 8 procs): relocatable
// blocks reached through a master pointer. Every live handle is tracked, so
// tests can see leaks, and disposals of unknown or already disposed handles
// are counted instead of crashing.
#pragma once

#include <climits>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "interface/PhotoshopHost.h"

namespace tessel::host {

class HandleServices {
 public:
  static constexpr OSErr kMemFullErr = -108;
  static constexpr OSErr kNilHandleErr = -109;
  static constexpr OSErr kMemLockedErr = -117;

  // The new services answer the C procs until another one is made current.
  HandleServices();
  ~HandleServices();
  HandleServices(const HandleServices&) = delete;
  HandleServices& operator=(const HandleServices&) = delete;

  HandleProcs* procs() { return &mProcs; }
  void MakeCurrent();

  // The procs' operations, for the host's own use. New answers null for a
  // negative size or above the allocation limit; Resize answers kMemFullErr
  // when resizes are set to fail (kMemLockedErr for a locked block), leaving
  // the block as it was; a successful resize always moves the data.
  Handle New(int32_t size);
  void Dispose(Handle handle);
  // -1 for a handle this host does not know.
  int32_t Size(Handle handle) const;
  OSErr Resize(Handle handle, int32_t size);
  Ptr Lock(Handle handle);
  void Unlock(Handle handle);

  // A new handle holding `bytes`, and the bytes a handle holds (empty for an
  // unknown handle).
  Handle FromBytes(const std::string& bytes);
  std::string Bytes(Handle handle) const;
  bool Owns(Handle handle) const { return mBlocks.count(handle) > 0; }

  // Called after every successful New and Resize with the handle and its new
  // size: the moment a plug-in is about to fill the block.
  using SizeWatcher = std::function<void(Handle, int32_t)>;
  void WatchSizes(SizeWatcher watcher) { mSizeWatcher = std::move(watcher); }

  // Failure injection and bookkeeping for tests.
  void FailResizes(bool fail) { mFailResizes = fail; }
  void SetAllocationLimit(int32_t bytes) { mAllocationLimit = bytes; }
  size_t liveCount() const { return mBlocks.size(); }
  // Disposals, resizes, locks and unlocks of handles that are not live.
  size_t misuseCount() const { return mMisuse; }
  int lockCount(Handle handle) const;

 private:
  struct Block {
    char* data;  // the master pointer; a handle is its address
    std::vector<char> storage;  // never empty, so the master pointer is never null
    int32_t size = 0;
    int locks = 0;
  };
  Block* Find(Handle handle) const;

  HandleProcs mProcs;
  std::map<Handle, std::unique_ptr<Block>> mBlocks;
  bool mFailResizes = false;
  int32_t mAllocationLimit = INT32_MAX;
  size_t mMisuse = 0;
  SizeWatcher mSizeWatcher;
};

}  // namespace tessel::host
