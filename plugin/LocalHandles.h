// Relocatable memory blocks of the plug-in's own, with the Memory Manager's
// semantics: a handle points to a master pointer that points to the data, so
// the data may move on resize while the handle stays valid. Used only when the
// host offers no usable handle services.
#pragma once

#include <cstdint>

#include "interface/PhotoshopHost.h"

namespace LocalHandles {

constexpr OSErr memFullErr = -108;
constexpr OSErr nilHandleErr = -109;
constexpr OSErr memLockedErr = -117;

// A block of `size` bytes, contents unspecified; null for a negative size or
// when memory is exhausted.
Handle NewHandle(int32_t size);
// Releases the block; a null handle is ignored.
void DisposeHandle(Handle handle);
// The block's size in bytes; 0 for a null handle.
int32_t GetHandleSize(Handle handle);
// Resizes the block, keeping its leading bytes; the data may move. Answers
// noErr, or memFullErr / memLockedErr / nilHandleErr leaving the block as it was.
OSErr SetHandleSize(Handle handle, int32_t size);
// A locked block's data does not move; locks nest.
void HLock(Handle handle);
void HUnlock(Handle handle);

}  // namespace LocalHandles
