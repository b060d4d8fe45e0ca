#include "plugin/HostUtility.h"

#include <algorithm>
#include <cstring>

#include "plugin/LocalHandles.h"

namespace {

constexpr size_t kMaxTextHandleSize = 32767;

// Only the one version the layer knows is usable; a newer one is flagged.
bool AcceptVersion(int16_t version, int16_t accepted, bool* newerVersion) {
  if (version > accepted && newerVersion) *newerVersion = true;
  return version == accepted;
}

template <typename... Procs>
bool AllPresent(Procs... procs) {
  return ((procs != nullptr) && ...);
}

bool ReadProcsComplete(const ReadDescriptorProcs& r) {
  return AllPresent(r.openReadDescriptorProc, r.closeReadDescriptorProc, r.getKeyProc, r.getIntegerProc,
                    r.getFloatProc, r.getUnitFloatProc, r.getBooleanProc, r.getTextProc, r.getAliasProc,
                    r.getEnumeratedProc, r.getClassProc, r.getSimpleReferenceProc, r.getObjectProc, r.getCountProc,
                    r.getStringProc, r.getPinnedIntegerProc, r.getPinnedFloatProc, r.getPinnedUnitFloatProc);
}

bool WriteProcsComplete(const WriteDescriptorProcs& w) {
  return AllPresent(w.openWriteDescriptorProc, w.closeWriteDescriptorProc, w.putIntegerProc, w.putFloatProc,
                    w.putUnitFloatProc, w.putBooleanProc, w.putTextProc, w.putAliasProc, w.putEnumeratedProc,
                    w.putClassProc, w.putSimpleReferenceProc, w.putObjectProc, w.putCountProc, w.putStringProc,
                    w.putScopedClassProc, w.putScopedObjectProc);
}

}  // namespace

bool HostHandleProcsAvailable(const HandleProcs* procs, bool* newerVersion) {
  if (!procs || !AcceptVersion(procs->handleProcsVersion, kCurrentHandleProcsVersion, newerVersion)) return false;
  return procs->numHandleProcs >= kCurrentHandleProcsCount &&
         AllPresent(procs->newProc, procs->disposeProc, procs->getSizeProc, procs->setSizeProc);
}

bool HostDescriptorAvailable(const PIDescriptorParameters* params, bool* newerVersion) {
  if (!params ||
      !AcceptVersion(params->descriptorParametersVersion, kCurrentDescriptorParametersVersion, newerVersion))
    return false;
  const ReadDescriptorProcs* read = params->readDescriptorProcs;
  const WriteDescriptorProcs* write = params->writeDescriptorProcs;
  if (!read || !write) return false;
  if (!AcceptVersion(read->readDescriptorProcsVersion, kCurrentReadDescriptorProcsVersion, newerVersion) ||
      read->numReadDescriptorProcs < kCurrentReadDescriptorProcsCount)
    return false;
  if (!AcceptVersion(write->writeDescriptorProcsVersion, kCurrentWriteDescriptorProcsVersion, newerVersion) ||
      write->numWriteDescriptorProcs < kCurrentWriteDescriptorProcsCount)
    return false;
  return ReadProcsComplete(*read) && WriteProcsComplete(*write);
}

bool HostPlayDialog(const PIDescriptorParameters* params) { return params->playInfo == plugInDialogDisplay; }

Handle HostNewHandle(const HandleProcs* procs, int32_t size) {
  return HostHandleProcsAvailable(procs) ? procs->newProc(size) : LocalHandles::NewHandle(size);
}

void HostDisposeHandle(const HandleProcs* procs, Handle handle) {
  if (!handle) return;
  if (HostHandleProcsAvailable(procs))
    procs->disposeProc(handle);
  else
    LocalHandles::DisposeHandle(handle);
}

int64_t HostGetHandleSize(const HandleProcs* procs, Handle handle) {
  if (!handle) return 0;
  return HostHandleProcsAvailable(procs) ? procs->getSizeProc(handle) : LocalHandles::GetHandleSize(handle);
}

Ptr HostLockHandle(const HandleProcs* procs, Handle handle, Boolean moveHigh) {
  if (!handle) return nullptr;
  if (HostHandleProcsAvailable(procs)) {
    // A host without a lock proc never moves its blocks behind our back.
    return procs->lockProc ? procs->lockProc(handle, moveHigh) : *handle;
  }
  LocalHandles::HLock(handle);
  return *handle;
}

void HostUnlockHandle(const HandleProcs* procs, Handle handle) {
  if (!handle) return;
  if (HostHandleProcsAvailable(procs)) {
    if (procs->unlockProc) procs->unlockProc(handle);
  } else {
    LocalHandles::HUnlock(handle);
  }
}

Handle HostCString2Handle(const HandleProcs* procs, const char* text) {
  const size_t length = text ? strnlen(text, kMaxTextHandleSize) : 0;
  Handle handle = HostNewHandle(procs, int32_t(length));
  if (!handle) return nullptr;
  if (Ptr data = HostLockHandle(procs, handle, false)) {
    if (length > 0) std::memcpy(data, text, length);
    HostUnlockHandle(procs, handle);
    return handle;
  }
  // A handle whose text could not be stored would pass for an empty text.
  HostDisposeHandle(procs, handle);
  return nullptr;
}

void HostHandle2CString(const HandleProcs* procs, Handle handle, char* buffer, size_t bufferSize) {
  if (!buffer || bufferSize == 0) return;
  buffer[0] = '\0';
  if (!handle) return;
  if (Ptr data = HostLockHandle(procs, handle, false)) {
    const int64_t size = std::max<int64_t>(HostGetHandleSize(procs, handle), 0);
    const size_t count = std::min(size_t(size), bufferSize - 1);
    std::memcpy(buffer, data, count);
    buffer[count] = '\0';
  }
  HostUnlockHandle(procs, handle);
}

OSErr HostCloseReader(PIDescriptorParameters* params, const HandleProcs* procs, PIReadDescriptor* token) {
  OSErr result = noErr;
  if (token && *token) result = params->readDescriptorProcs->closeReadDescriptorProc(*token);
  HostDisposeHandle(procs, params->descriptor);
  params->descriptor = nullptr;
  if (token) *token = nullptr;
  return result;
}

OSErr HostCloseWriter(PIDescriptorParameters* params, const HandleProcs* procs, PIWriteDescriptor* token) {
  HostDisposeHandle(procs, params->descriptor);
  params->descriptor = nullptr;
  PIDescriptorHandle written = nullptr;
  if (token && *token) params->writeDescriptorProcs->closeWriteDescriptorProc(*token, &written);
  params->descriptor = written;
  params->recordInfo = plugInDialogOptional;
  if (token) *token = nullptr;
  return noErr;
}

OSErr HostPutObj(PIDescriptorParameters* params, const HandleProcs* procs, PIWriteDescriptor token,
                 DescriptorKeyID key, DescType type, PIDescriptorHandle* object) {
  const OSErr result = params->writeDescriptorProcs->putObjectProc(token, key, type, *object);
  if (result == noErr) {
    HostDisposeHandle(procs, *object);
    *object = nullptr;
  }
  return result;
}
