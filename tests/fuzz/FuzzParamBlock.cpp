// The parameter block: a block of any size and contents is read without
// going past its end, answers true exactly when it carries our signature and
// version, and leaves a terminated name; reading never changes the block.
#include <cstring>
#include <string>

#include "host/HandleServices.h"
#include "plugin/Tessel.h"
#include "tests/fuzz/FuzzSupport.h"

using tessel::fuzz::Require;

namespace {

constexpr size_t kBlockSize = 320;

bool CarriesOurRecord(const std::string& block) {
  if (block.size() < kBlockSize) return false;
  uint64_t signature = 0;
  uint16_t version = 0;
  std::memcpy(&signature, block.data() + offsetof(_STesselParams, signature), sizeof signature);
  std::memcpy(&version, block.data() + offsetof(_STesselParams, version), sizeof version);
  return signature == kTesselSignature && version == kTesselParamsVersion;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tessel::host::HandleServices handles;
  FilterRecord record{};
  record.handleProcs = handles.procs();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  record.parameters = handles.FromBytes(bytes);
  CTessel filter;
  filter.init(&record, nullptr);

  CTesselParams params;
  const bool valid = filter.ReadParamBlock(params);
  Require(valid == CarriesOurRecord(bytes), "true exactly for a whole block of ours");
  Require(params.IsValid(), "a refused block leaves the defaults");
  Require(strnlen(params.paletteName, kPaletteNameSize) < kPaletteNameSize, "the name ends within its field");
  Require(handles.Bytes(record.parameters) == bytes, "reading leaves the block as it was");
  if (valid) {
    const char* name = bytes.data() + offsetof(_STesselParams, paletteName);
    Require(std::strncmp(params.paletteName, name, kPaletteNameSize - 1) == 0, "the name is the block's");
  }

  // Whatever was read is written back whole, into the same block.
  const Handle block = record.parameters;
  filter.WriteParamBlock(params);
  Require(record.parameters == block, "the block is reused");
  CTesselParams again;
  Require(filter.ReadParamBlock(again), "a written block reads back");
  Require(std::memcmp(&again.fillColor, &params.fillColor, sizeof params.fillColor) == 0 &&
              std::strcmp(again.paletteName, params.paletteName) == 0 && again.flagSize == params.flagSize &&
              again.joinSize == params.joinSize && again.paintAntiAliased == params.paintAntiAliased,
          "a written record reads back unchanged");
  handles.Dispose(record.parameters);
  return 0;
}
