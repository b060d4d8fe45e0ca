// The host's parameter block: the record's plain part, byte for byte at its
// natural offsets, in native byte order. The host keeps the block between runs.
#include <cstddef>
#include <cstring>

#include "plugin/HostUtility.h"
#include "plugin/Tessel.h"

namespace {

constexpr int32_t kParamBlockSize = 320;

// The block's layout is a stored format: these offsets must never move.
static_assert(sizeof(_STesselParams) == kParamBlockSize, "parameter block size");
static_assert(offsetof(_STesselParams, signature) == 0);
static_assert(offsetof(_STesselParams, version) == 8);
static_assert(offsetof(_STesselParams, reserved) == 10);
static_assert(offsetof(_STesselParams, fillColor) == 12);
static_assert(offsetof(_STesselParams, paletteName) == 18);
static_assert(offsetof(_STesselParams, tolerance) == 274);
static_assert(offsetof(_STesselParams, reservedFlag) == 276);
static_assert(offsetof(_STesselParams, randomColors) == 277);
static_assert(offsetof(_STesselParams, measureByArea) == 278);
static_assert(offsetof(_STesselParams, flagAreas) == 279);
static_assert(offsetof(_STesselParams, flagColor) == 280);
static_assert(offsetof(_STesselParams, flagSize) == 288);
static_assert(offsetof(_STesselParams, joinAreas) == 296);
static_assert(offsetof(_STesselParams, joinSize) == 304);
static_assert(offsetof(_STesselParams, paintAntiAliased) == 312);

struct BlockSpan {
  size_t offset;
  size_t size;
};

#define TESSEL_BLOCK_SPAN(field) BlockSpan{offsetof(_STesselParams, field), sizeof(_STesselParams::field)}

// Every member the block carries except the name; `reserved` and the
// alignment gaps are neither written nor read.
constexpr BlockSpan kBlockSpans[] = {
    TESSEL_BLOCK_SPAN(signature),     TESSEL_BLOCK_SPAN(version),       TESSEL_BLOCK_SPAN(fillColor),
    TESSEL_BLOCK_SPAN(tolerance),     TESSEL_BLOCK_SPAN(reservedFlag),  TESSEL_BLOCK_SPAN(randomColors),
    TESSEL_BLOCK_SPAN(measureByArea), TESSEL_BLOCK_SPAN(flagAreas),     TESSEL_BLOCK_SPAN(flagColor),
    TESSEL_BLOCK_SPAN(flagSize),      TESSEL_BLOCK_SPAN(joinAreas),     TESSEL_BLOCK_SPAN(joinSize),
    TESSEL_BLOCK_SPAN(paintAntiAliased),
};

#undef TESSEL_BLOCK_SPAN

constexpr size_t kNameOffset = offsetof(_STesselParams, paletteName);

unsigned char* BytesOf(_STesselParams& record) { return reinterpret_cast<unsigned char*>(&record); }

// Copies a NUL-terminated name of at most kPaletteNameSize - 1 characters and
// clears every byte after it.
void CopyName(char* to, const char* from) {
  const size_t length = strnlen(from, kPaletteNameSize - 1);
  std::memcpy(to, from, length);
  std::memset(to + length, 0, kPaletteNameSize - length);
}

// The block's data when it is at least as long as the record; else null.
char* FullBlock(const HandleProcs* procs, Handle block) {
  if (!block || !*block || !HostHandleProcsAvailable(procs)) return nullptr;
  return procs->getSizeProc(block) >= kParamBlockSize ? *block : nullptr;
}

}  // namespace

void CTessel::WriteParamBlock(CTesselParams& params) {
  const HandleProcs* procs = mFilterRecord->handleProcs;
  // Without the host's handle services there is no block the host could keep.
  if (!HostHandleProcsAvailable(procs)) return;
  Handle& block = mFilterRecord->parameters;
  if (block)
    procs->setSizeProc(block, kParamBlockSize);
  else
    block = procs->newProc(kParamBlockSize);
  // A block the host failed to size is left as it is rather than overrun.
  char* data = FullBlock(procs, block);
  if (!data) return;

  _STesselParams& record = params;
  for (const BlockSpan& span : kBlockSpans) std::memcpy(data + span.offset, BytesOf(record) + span.offset, span.size);
  CopyName(data + kNameOffset, record.paletteName);
}

bool CTessel::ReadParamBlock(CTesselParams& params) {
  Handle block = mFilterRecord->parameters;
  if (!block) return false;
  // A block too short for a record (another program's, say) is not ours.
  const char* data = FullBlock(mFilterRecord->handleProcs, block);
  if (!data) {
    params.Reset();
    return false;
  }

  _STesselParams& record = params;
  for (const BlockSpan& span : kBlockSpans) std::memcpy(BytesOf(record) + span.offset, data + span.offset, span.size);
  CopyName(record.paletteName, data + kNameOffset);
  if (params.IsValid()) return true;
  params.Reset();
  return false;
}
