// The scripting descriptor as the host hands it over: the first byte picks
// the replay mode, the rest are the descriptor handle's bytes. Reading takes
// exactly the values a well-typed item carries, leaks no handle and leaves
// no reader open; what was read is written and read back unchanged.
#include <cstring>
#include <optional>
#include <string>

#include "host/DescriptorServices.h"
#include "host/HandleServices.h"
#include "interface/FourCharCode.h"
#include "plugin/Tessel.h"
#include "tests/fuzz/FuzzSupport.h"

using tessel::fuzz::Require;
using tessel::base::Descriptor;
using tessel::base::DescriptorItem;

namespace {

// The number fields a descriptor sets, each from the last well-typed item.
struct ExpectedNumbers {
  uint16_t tolerance;
  uint64_t flagSize;
  uint64_t joinSize;
  uint8_t paintAntiAliased;
  std::string name;
};

ExpectedNumbers Expect(const CTesselParams& before, const Descriptor& descriptor) {
  ExpectedNumbers e{before.tolerance, before.flagSize, before.joinSize, before.paintAntiAliased, before.paletteName};
  for (const DescriptorItem& item : descriptor.items) {
    if (const int32_t* v = std::get_if<int32_t>(&item.value)) {
      if (item.key == FourCharCode("Tlrn")) e.tolerance = uint16_t(*v);
      if (item.key == FourCharCode("FlgS")) e.flagSize = uint64_t(int64_t(*v));
      if (item.key == FourCharCode("JinS")) e.joinSize = uint64_t(int64_t(*v));
    }
    if (const bool* v = std::get_if<bool>(&item.value); v && item.key == FourCharCode("PaAp"))
      e.paintAntiAliased = *v ? 1 : 0;
    if (const std::string* v = std::get_if<std::string>(&item.value); v && item.key == FourCharCode("PltF"))
      e.name = std::string(v->c_str(), strnlen(v->c_str(), std::min(v->size(), kPaletteNameSize - 1)));
  }
  return e;
}

bool SameScriptedFields(const CTesselParams& a, const CTesselParams& b) {
  return std::memcmp(&a.fillColor, &b.fillColor, sizeof a.fillColor) == 0 &&
         std::memcmp(&a.flagColor, &b.flagColor, sizeof a.flagColor) == 0 &&
         std::strcmp(a.paletteName, b.paletteName) == 0 && a.tolerance == b.tolerance &&
         a.randomColors == b.randomColors && a.measureByArea == b.measureByArea && a.flagAreas == b.flagAreas &&
         a.joinAreas == b.joinAreas && a.flagSize == b.flagSize && a.joinSize == b.joinSize &&
         a.paintAntiAliased == b.paintAntiAliased;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  tessel::host::HandleServices handles;
  tessel::host::DescriptorServices descriptors(handles);
  FilterRecord record{};
  record.handleProcs = handles.procs();
  record.descriptorParameters = descriptors.parameters();
  const int16_t playInfo = int16_t(data[0] % 3);
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  descriptors.parameters()->descriptor = handles.FromBytes(bytes);
  descriptors.parameters()->playInfo = playInfo;
  CTessel filter;
  filter.init(&record, nullptr);

  const std::optional<Descriptor> given = tessel::base::UnpackDescriptor(bytes);
  CTesselParams params;
  const ExpectedNumbers expected = Expect(params, given.value_or(Descriptor{}));
  const bool wantsDialog = filter.ReadScript(params);
  Require(wantsDialog == (playInfo == plugInDialogDisplay), "the answer comes from the replay mode alone");
  Require(descriptors.openReaders() == 0, "every reader is closed");
  Require(handles.liveCount() == (given ? 0u : 1u), "a read descriptor is disposed of, and nothing else is left");
  Require(strnlen(params.paletteName, kPaletteNameSize) < kPaletteNameSize, "the name ends within its field");
  Require(params.tolerance == expected.tolerance && params.flagSize == expected.flagSize &&
              params.joinSize == expected.joinSize && params.paintAntiAliased == expected.paintAntiAliased &&
              params.paletteName == expected.name,
          "each field comes from its last well-typed item");

  filter.WriteScript(params);
  Require(descriptors.openWriters() == 0, "every writer is closed");
  CTesselParams again;
  filter.ReadScript(again);
  Require(SameScriptedFields(params, again), "a recorded descriptor replays the same record");
  Require(handles.liveCount() == 0, "the replayed descriptor is disposed of");
  handles.Dispose(descriptors.parameters()->descriptor);
  return 0;
}
