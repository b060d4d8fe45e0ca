// The scripting descriptor: how the host's actions record a run of the filter
// and hand its settings back on replay. One table names every item.
#include <cstring>
#include <type_traits>
#include <variant>

#include "plugin/FourCharCode.h"
#include "plugin/HostUtility.h"
#include "plugin/Tessel.h"

namespace {

using ColorField = _t_ASRGBColor _STesselParams::*;
using NameField = char (_STesselParams::*)[kPaletteNameSize];
using ToleranceField = uint16_t _STesselParams::*;
using FlagField = uint8_t _STesselParams::*;
using SizeField = uint64_t _STesselParams::*;
// The member's type decides the item's type and conversion: colours are
// objects, the name is text, flags are booleans, the rest integers.
using ScriptField = std::variant<ColorField, NameField, ToleranceField, FlagField, SizeField>;

struct ScriptItem {
  DescriptorKeyID key;
  ScriptField field;
};

// In the order they are written.
const ScriptItem kScriptItems[] = {
    {FourCharCode("BckC"), &_STesselParams::fillColor},
    {FourCharCode("Clr "), &_STesselParams::flagColor},
    {FourCharCode("PltF"), &_STesselParams::paletteName},
    {FourCharCode("Tlrn"), &_STesselParams::tolerance},
    {FourCharCode("RanD"), &_STesselParams::randomColors},
    {FourCharCode("Ar  "), &_STesselParams::measureByArea},
    {FourCharCode("FlaG"), &_STesselParams::flagAreas},
    {FourCharCode("JoiN"), &_STesselParams::joinAreas},
    {FourCharCode("FlgS"), &_STesselParams::flagSize},
    {FourCharCode("JinS"), &_STesselParams::joinSize},
    {FourCharCode("PaAp"), &_STesselParams::paintAntiAliased},
};

DescriptorKeyID kScriptKeys[] = {
    FourCharCode("Clr "), FourCharCode("BckC"), FourCharCode("PltF"), FourCharCode("Tlrn"),
    FourCharCode("RanD"), FourCharCode("Ar  "), FourCharCode("FlaG"), FourCharCode("JoiN"),
    FourCharCode("FlgS"), FourCharCode("JinS"), FourCharCode("PaAp"), 0,
};

constexpr DescType kColorClass = FourCharCode("RGBC");

struct ColorComponent {
  DescriptorKeyID key;
  uint16_t _t_ASRGBColor::*component;
};

const ColorComponent kColorComponents[] = {
    {FourCharCode("Rd  "), &_t_ASRGBColor::red},
    {FourCharCode("Grn "), &_t_ASRGBColor::green},
    {FourCharCode("Bl  "), &_t_ASRGBColor::blue},
};

DescriptorKeyID kColorKeys[] = {FourCharCode("Rd  "), FourCharCode("Grn "), FourCharCode("Bl  "), 0};

const ScriptItem* FindItem(DescriptorKeyID key) {
  for (const ScriptItem& item : kScriptItems)
    if (item.key == key) return &item;
  return nullptr;
}

template <typename... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <typename... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// Writes one colour as a nested descriptor; a colour that cannot be written
// is left out.
void PutColor(PIDescriptorParameters* dp, const HandleProcs* procs, PIWriteDescriptor writer, DescriptorKeyID key,
              const _t_ASRGBColor& color) {
  const WriteDescriptorProcs& write = *dp->writeDescriptorProcs;
  PIWriteDescriptor nested = write.openWriteDescriptorProc();
  if (!nested) return;
  for (const ColorComponent& c : kColorComponents) write.putIntegerProc(nested, c.key, color.*c.component);
  write.putIntegerProc(nested, 0, 0);
  PIDescriptorHandle object = nullptr;
  if (write.closeWriteDescriptorProc(nested, &object) == noErr && object)
    HostPutObj(dp, procs, writer, key, kColorClass, &object);
  // Still ours when the host refused it.
  HostDisposeHandle(procs, object);
}

}  // namespace

bool CTessel::ReadScript(CTesselParams& params) {
  PIDescriptorParameters* dp = mFilterRecord->descriptorParameters;
  if (!HostDescriptorAvailable(dp)) return true;
  const HandleProcs* procs = mFilterRecord->handleProcs;
  const ReadDescriptorProcs& read = *dp->readDescriptorProcs;

  PIReadDescriptor reader = read.openReadDescriptorProc(dp->descriptor, kScriptKeys);
  if (reader) {
    char text[kPaletteNameSize] = {};
    DescriptorKeyID key = 0;
    DescType type = 0;
    int32_t flags = 0;
    // A getter that fails leaves its field as it was.
    while (read.getKeyProc(reader, &key, &type, &flags)) {
      const ScriptItem* item = FindItem(key);
      if (!item) continue;
      std::visit(Overloaded{
                     [&](ColorField field) { ReadColor(params.*field, reader); },
                     [&](NameField field) {
                       Handle handle = nullptr;
                       if (read.getTextProc(reader, &handle) == noErr && handle) {
                         HostHandle2CString(procs, handle, text, sizeof text);
                         std::strncpy(params.*field, text, kPaletteNameSize);
                         (params.*field)[kPaletteNameSize - 1] = '\0';
                       }
                       HostDisposeHandle(procs, handle);
                     },
                     [&](auto field) {
                       using Member = std::remove_reference_t<decltype(params.*field)>;
                       if constexpr (std::is_same_v<Member, uint8_t>) {
                         Boolean value = 0;
                         if (read.getBooleanProc(reader, &value) == noErr) params.*field = value ? 1 : 0;
                       } else {
                         int32_t value = 0;
                         // Sizes are sign-extended, the tolerance keeps its low 16 bits.
                         if (read.getIntegerProc(reader, &value) == noErr) params.*field = Member(int64_t(value));
                       }
                     },
                 },
                 item->field);
    }
    HostCloseReader(dp, procs, &reader);
  }
  return HostPlayDialog(dp);
}

int16_t CTessel::ReadColor(_t_ASRGBColor& color, PIReadDescriptor& token) {
  PIDescriptorParameters* dp = mFilterRecord->descriptorParameters;
  const HandleProcs* procs = mFilterRecord->handleProcs;
  const ReadDescriptorProcs& read = *dp->readDescriptorProcs;

  PIDescriptorHandle object = nullptr;
  const OSErr fetched = read.getObjectProc(token, nullptr, &object);
  if (fetched != noErr || !object) {
    HostDisposeHandle(procs, object);
    return fetched;
  }
  PIReadDescriptor nested = read.openReadDescriptorProc(object, kColorKeys);
  if (!nested) {
    HostDisposeHandle(procs, object);
    return fetched;
  }
  // Components the object lacks read as 0; one whose getter fails keeps its value.
  _t_ASRGBColor found{0, 0, 0};
  DescriptorKeyID key = 0;
  DescType type = 0;
  int32_t flags = 0;
  while (read.getKeyProc(nested, &key, &type, &flags)) {
    for (const ColorComponent& c : kColorComponents) {
      if (c.key != key) continue;
      int32_t value = 0;
      found.*c.component = read.getIntegerProc(nested, &value) == noErr ? uint16_t(value) : color.*c.component;
    }
  }
  color = found;
  const OSErr closed = read.closeReadDescriptorProc(nested);
  HostDisposeHandle(procs, object);
  return closed;
}

void CTessel::WriteScript(CTesselParams& params) {
  PIDescriptorParameters* dp = mFilterRecord->descriptorParameters;
  if (!HostDescriptorAvailable(dp)) return;
  const HandleProcs* procs = mFilterRecord->handleProcs;
  const WriteDescriptorProcs& write = *dp->writeDescriptorProcs;

  PIWriteDescriptor writer = write.openWriteDescriptorProc();
  if (!writer) return;
  // A put that fails leaves its item out; the rest is still written.
  for (const ScriptItem& item : kScriptItems) {
    std::visit(Overloaded{
                   [&](ColorField field) { PutColor(dp, procs, writer, item.key, params.*field); },
                   [&](NameField field) {
                     char name[kPaletteNameSize] = {};
                     std::memcpy(name, params.*field, kPaletteNameSize - 1);
                     // The host copies the text; the handle stays ours.
                     if (Handle text = HostCString2Handle(procs, name)) {
                       write.putTextProc(writer, item.key, text);
                       HostDisposeHandle(procs, text);
                     }
                   },
                   [&](FlagField field) { write.putBooleanProc(writer, item.key, params.*field != 0); },
                   [&](ToleranceField field) { write.putIntegerProc(writer, item.key, params.*field); },
                   // The low 32 bits, as the host's integers are 32-bit.
                   [&](SizeField field) { write.putIntegerProc(writer, item.key, int32_t(uint32_t(params.*field))); },
               },
               item.field);
  }
  HostCloseWriter(dp, procs, &writer);
}
