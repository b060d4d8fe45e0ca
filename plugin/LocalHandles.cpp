#include "plugin/LocalHandles.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace LocalHandles {

namespace {

// The master pointer comes first so that a handle is the block's address.
struct Block {
  char* data;
  int32_t size;
  int32_t locks;
};
static_assert(offsetof(Block, data) == 0, "a handle must address the master pointer");

Block* BlockOf(Handle handle) { return reinterpret_cast<Block*>(handle); }

// Zero-sized blocks still get storage so that the master pointer is never null.
char* Allocate(int32_t size) { return static_cast<char*>(std::malloc(size > 0 ? size_t(size) : 1)); }

}  // namespace

Handle NewHandle(int32_t size) {
  if (size < 0) return nullptr;
  Block* block = new (std::nothrow) Block{Allocate(size), size, 0};
  if (!block) return nullptr;
  if (!block->data) {
    delete block;
    return nullptr;
  }
  return &block->data;
}

void DisposeHandle(Handle handle) {
  if (!handle) return;
  Block* block = BlockOf(handle);
  std::free(block->data);
  delete block;
}

int32_t GetHandleSize(Handle handle) { return handle ? BlockOf(handle)->size : 0; }

OSErr SetHandleSize(Handle handle, int32_t size) {
  if (!handle) return nilHandleErr;
  if (size < 0) return memFullErr;
  Block* block = BlockOf(handle);
  if (size == block->size) return noErr;
  // Resizing may move the data, which a lock forbids.
  if (block->locks > 0) return memLockedErr;
  char* moved = static_cast<char*>(std::realloc(block->data, size > 0 ? size_t(size) : 1));
  if (!moved) return memFullErr;
  block->data = moved;
  block->size = size;
  return noErr;
}

void HLock(Handle handle) {
  if (handle) ++BlockOf(handle)->locks;
}

void HUnlock(Handle handle) {
  if (handle && BlockOf(handle)->locks > 0) --BlockOf(handle)->locks;
}

}  // namespace LocalHandles
