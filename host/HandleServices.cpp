#include "host/HandleServices.h"

#include <algorithm>
#include <cstring>

namespace tessel::host {

namespace {

HandleServices* sCurrent = nullptr;

Handle NewProc(int32_t size) { return sCurrent ? sCurrent->New(size) : nullptr; }
void DisposeProc(Handle h) {
  if (sCurrent) sCurrent->Dispose(h);
}
int32_t GetSizeProc(Handle h) { return sCurrent ? std::max(sCurrent->Size(h), 0) : 0; }
OSErr SetSizeProc(Handle h, int32_t size) {
  return sCurrent ? sCurrent->Resize(h, size) : HandleServices::kNilHandleErr;
}
Ptr LockProc(Handle h, Boolean) { return sCurrent ? sCurrent->Lock(h) : nullptr; }
void UnlockProc(Handle h) {
  if (sCurrent) sCurrent->Unlock(h);
}
void RecoverSpaceProc(int32_t) {}

}  // namespace

HandleServices::HandleServices()
    : mProcs{kCurrentHandleProcsVersion, kCurrentHandleProcsCount, NewProc, DisposeProc, GetSizeProc, SetSizeProc,
             LockProc, UnlockProc, RecoverSpaceProc, DisposeProc} {
  MakeCurrent();
}

HandleServices::~HandleServices() {
  if (sCurrent == this) sCurrent = nullptr;
}

void HandleServices::MakeCurrent() { sCurrent = this; }

HandleServices::Block* HandleServices::Find(Handle handle) const {
  auto found = mBlocks.find(handle);
  return found == mBlocks.end() ? nullptr : found->second.get();
}

Handle HandleServices::New(int32_t size) {
  if (size < 0 || size > mAllocationLimit) return nullptr;
  auto block = std::make_unique<Block>();
  block->storage.assign(std::max<size_t>(size_t(size), 1), 0);
  block->data = block->storage.data();
  block->size = size;
  Handle handle = &block->data;
  mBlocks.emplace(handle, std::move(block));
  if (mSizeWatcher) mSizeWatcher(handle, size);
  return handle;
}

void HandleServices::Dispose(Handle handle) {
  if (!handle) return;
  if (!mBlocks.erase(handle)) ++mMisuse;
}

int32_t HandleServices::Size(Handle handle) const {
  const Block* block = Find(handle);
  return block ? block->size : -1;
}

OSErr HandleServices::Resize(Handle handle, int32_t size) {
  Block* block = Find(handle);
  if (!block) {
    ++mMisuse;
    return kNilHandleErr;
  }
  if (block->locks > 0) return kMemLockedErr;
  if (mFailResizes || size < 0 || size > mAllocationLimit) return kMemFullErr;
  // Always move, so that a caller holding a stale data pointer shows up.
  std::vector<char> moved(std::max<size_t>(size_t(size), 1), 0);
  std::memcpy(moved.data(), block->storage.data(), size_t(std::min(size, block->size)));
  block->storage.swap(moved);
  block->data = block->storage.data();
  block->size = size;
  if (mSizeWatcher) mSizeWatcher(handle, size);
  return noErr;
}

Ptr HandleServices::Lock(Handle handle) {
  Block* block = Find(handle);
  if (!block) {
    ++mMisuse;
    return nullptr;
  }
  ++block->locks;
  return block->data;
}

void HandleServices::Unlock(Handle handle) {
  Block* block = Find(handle);
  if (!block || block->locks == 0)
    ++mMisuse;
  else
    --block->locks;
}

int HandleServices::lockCount(Handle handle) const {
  const Block* block = Find(handle);
  return block ? block->locks : 0;
}

Handle HandleServices::FromBytes(const std::string& bytes) {
  if (bytes.size() > size_t(INT32_MAX)) return nullptr;
  Handle handle = New(int32_t(bytes.size()));
  if (handle && !bytes.empty()) std::memcpy(*handle, bytes.data(), bytes.size());
  return handle;
}

std::string HandleServices::Bytes(Handle handle) const {
  const Block* block = Find(handle);
  return block ? std::string(block->data, size_t(block->size)) : std::string();
}

}  // namespace tessel::host
