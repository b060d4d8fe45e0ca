// The host's scripting-descriptor services: PIDescriptorParameters with all
// 18 read and 16 write procs. Readers hand out items in the stored order;
// writers build a descriptor that closing packs into a handle of the host's
// handle services. The descriptor in the record stays between selectors and
// runs, as the editor keeps it for its actions.
//
// Every put copies what it is given: the caller keeps (and disposes of) the
// text or object handle it passed. Every handle a getter or close hands out
// belongs to the caller.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "base/Descriptor.h"
#include "host/HandleServices.h"

namespace tessel::host {

class DescriptorServices {
 public:
  // The current item has another type than the getter's.
  static constexpr OSErr kErrWrongType = -1703;
  // No such item, reader or writer.
  static constexpr OSErr kErrNotFound = -1701;
  // Kinds of item this host does not keep (aliases, references, counts,
  // scoped items), and puts the tests told it to refuse.
  static constexpr OSErr kErrUnsupported = -30900;
  static constexpr OSErr kErrParam = -50;
  // A pinned getter's value was brought into range.
  static constexpr OSErr kCoercedParam = 2;

  explicit DescriptorServices(HandleServices& handles);
  ~DescriptorServices();
  DescriptorServices(const DescriptorServices&) = delete;
  DescriptorServices& operator=(const DescriptorServices&) = delete;

  PIDescriptorParameters* parameters() { return &mParameters; }
  void MakeCurrent();

  // Hands `descriptor` to the next run for replay, replacing any held, with
  // playInfo: plugInDialogDisplay to show the dialog, plugInDialogDontDisplay
  // or plugInDialogSilent to run without it.
  void SetReplay(const base::Descriptor& descriptor, int16_t playInfo);
  // The descriptor the record holds now (the last one recorded), if any.
  std::optional<base::Descriptor> Held() const;
  // Takes the held descriptor away, as the editor files a recorded step in its
  // action: the next run is an ordinary one (no descriptor, dialog wanted).
  std::optional<base::Descriptor> TakeRecorded();

  // A handle holding `descriptor`, owned by the caller, as getObjectProc gives.
  Handle NewDescriptorHandle(const base::Descriptor& descriptor);
  std::optional<base::Descriptor> ReadDescriptorHandle(Handle handle) const;

  // Tests: make every put under `key` fail; count what is left open.
  void RefusePut(DescriptorKeyID key) { mRefusedPuts.insert(key); }
  size_t openReaders() const { return mReaders.size(); }
  size_t openWriters() const { return mWriters.size(); }
  // The key lists readers were opened with, each up to its 0 key, in order.
  const std::vector<std::vector<DescriptorKeyID>>& keyLists() const { return mKeyLists; }

  struct Reader {
    base::Descriptor descriptor;
    size_t next = 0;  // index of the item getKeyProc gives next
  };
  struct Writer {
    base::Descriptor descriptor;
  };
  // The open reader or writer behind a token; null for an unknown token.
  Reader* FindReader(PIReadDescriptor token);
  Writer* FindWriter(PIWriteDescriptor token);
  PIReadDescriptor OpenReader(Handle handle, const DescriptorKeyID* keys);
  OSErr CloseReader(PIReadDescriptor token);
  PIWriteDescriptor OpenWriter();
  OSErr CloseWriter(PIWriteDescriptor token, PIDescriptorHandle* handle);
  OSErr Put(PIWriteDescriptor token, DescriptorKeyID key, base::DescriptorValue value);
  HandleServices& handles() { return mHandles; }

 private:
  HandleServices& mHandles;
  ReadDescriptorProcs mReadProcs;
  WriteDescriptorProcs mWriteProcs;
  PIDescriptorParameters mParameters;
  std::map<PIReadDescriptor, std::unique_ptr<Reader>> mReaders;
  std::map<PIWriteDescriptor, std::unique_ptr<Writer>> mWriters;
  std::set<DescriptorKeyID> mRefusedPuts;
  std::vector<std::vector<DescriptorKeyID>> mKeyLists;
};

}  // namespace tessel::host
