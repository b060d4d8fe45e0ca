// Free functions over the host's handle and scripting-descriptor services.
// The handle functions check the host's HandleProcs themselves and fall back
// to LocalHandles when the host offers none the layer understands; the
// descriptor functions expect HostDescriptorAvailable to have answered true.
#pragma once

#include <cstddef>
#include <cstdint>

#include "interface/PhotoshopHost.h"

// True when `procs` is version 1 with at least 8 procs and the first four
// present. A version above 1 also sets *newerVersion (when given) to true;
// the flag is never cleared.
bool HostHandleProcsAvailable(const HandleProcs* procs, bool* newerVersion = nullptr);

// True when `params` and both proc tables are version 0 with every proc
// present (18 read, 16 write). A newer version of any of the three sets
// *newerVersion (when given) to true; the flag is never cleared.
bool HostDescriptorAvailable(const PIDescriptorParameters* params, bool* newerVersion = nullptr);

// True when the host asks for the dialog during playback (playInfo 1).
bool HostPlayDialog(const PIDescriptorParameters* params);

// A new block of `size` bytes, or null.
Handle HostNewHandle(const HandleProcs* procs, int32_t size);
// Releases the block; a null handle is ignored.
void HostDisposeHandle(const HandleProcs* procs, Handle handle);
// The block's size in bytes; 0 for a null handle.
int64_t HostGetHandleSize(const HandleProcs* procs, Handle handle);
// Pointer to the block's data, fixed until HostUnlockHandle; null on failure.
Ptr HostLockHandle(const HandleProcs* procs, Handle handle, Boolean moveHigh);
void HostUnlockHandle(const HandleProcs* procs, Handle handle);

// A new handle holding the text's characters (at most 32767) without the NUL,
// owned by the caller; null when allocation fails.
Handle HostCString2Handle(const HandleProcs* procs, const char* text);
// Writes the handle's text into `buffer` as a NUL-terminated string of at most
// bufferSize - 1 characters; the empty string for a null handle or one that
// cannot be locked. Never writes beyond bufferSize bytes. The handle is kept.
void HostHandle2CString(const HandleProcs* procs, Handle handle, char* buffer, size_t bufferSize);

// Closes the reader, disposes of the host's descriptor handle and clears both;
// answers the host's close result (noErr when there was no reader).
OSErr HostCloseReader(PIDescriptorParameters* params, const HandleProcs* procs, PIReadDescriptor* token);
// Closes the writer into a new descriptor handed to the host (replacing and
// disposing of any it held), sets recordInfo to optional and clears the token.
// Always noErr.
OSErr HostCloseWriter(PIDescriptorParameters* params, const HandleProcs* procs, PIWriteDescriptor* token);
// Puts an object item; on success disposes of *object and sets it to null, on
// failure leaves it with the caller. Answers the host's put result.
OSErr HostPutObj(PIDescriptorParameters* params, const HandleProcs* procs, PIWriteDescriptor token,
                 DescriptorKeyID key, DescType type, PIDescriptorHandle* object);
