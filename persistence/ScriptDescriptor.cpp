// The scripting descriptor: how the host's actions record a run of the filter
// and hand its settings back on replay. The parameters' declarations name
// every item, in the order written.
#include <array>
#include <cstring>
#include <type_traits>
#include <variant>

#include "interface/ParamDeclarations.h"
#include "plugin/HostUtility.h"
#include "plugin/Tessel.h"

namespace {

namespace parameter = tessel::parameter;
using parameter::ColorMember;
using parameter::kColorComponents;
using parameter::NameMember;

// The keys handed to the host when a reader opens, ending with 0.
template <typename Keyed, size_t count>
constexpr std::array<DescriptorKeyID, count + 1> KeyList(const Keyed (&items)[count]) {
  std::array<DescriptorKeyID, count + 1> keys{};
  for (size_t i = 0; i < count; ++i) keys[i] = items[i].key;
  return keys;
}
// Editors have always been handed the flag colour's key before the fill
// colour's, the reverse of the order the items are written in.
constexpr std::array<DescriptorKeyID, parameter::kDeclarationCount + 1> FlagColourFirst(
    std::array<DescriptorKeyID, parameter::kDeclarationCount + 1> keys) {
  const DescriptorKeyID fill = parameter::kKeyOf<&_STesselParams::fillColor>;
  const DescriptorKeyID flag = parameter::kKeyOf<&_STesselParams::flagColor>;
  for (DescriptorKeyID& key : keys) key = key == fill ? flag : key == flag ? fill : key;
  return keys;
}
auto kScriptKeys = FlagColourFirst(KeyList(parameter::kDeclarations));
auto kColorKeys = KeyList(kColorComponents);

const parameter::Declaration* FindItem(DescriptorKeyID key) {
  for (const parameter::Declaration& item : parameter::kDeclarations)
    if (item.key == key) return &item;
  return nullptr;
}

// Writes one colour as a nested descriptor; a colour that cannot be written
// is left out.
void PutColor(PIDescriptorParameters* dp, const HandleProcs* procs, PIWriteDescriptor writer, DescriptorKeyID key,
              const _t_ASRGBColor& color) {
  const WriteDescriptorProcs& write = *dp->writeDescriptorProcs;
  PIWriteDescriptor nested = write.openWriteDescriptorProc();
  if (!nested) return;
  for (const parameter::ColorComponent& c : kColorComponents) write.putIntegerProc(nested, c.key, color.*c.component);
  write.putIntegerProc(nested, 0, 0);
  PIDescriptorHandle object = nullptr;
  if (write.closeWriteDescriptorProc(nested, &object) == noErr && object)
    HostPutObj(dp, procs, writer, key, parameter::kColorClass, &object);
  // Still ours when the host refused it.
  HostDisposeHandle(procs, object);
}

}  // namespace

bool CTessel::ReadScript(CTesselParams& params) {
  PIDescriptorParameters* dp = mFilterRecord->descriptorParameters;
  if (!HostDescriptorAvailable(dp)) return true;
  const HandleProcs* procs = mFilterRecord->handleProcs;
  const ReadDescriptorProcs& read = *dp->readDescriptorProcs;

  PIReadDescriptor reader = read.openReadDescriptorProc(dp->descriptor, kScriptKeys.data());
  if (reader) {
    char text[kPaletteNameSize] = {};
    DescriptorKeyID key = 0;
    DescType type = 0;
    int32_t flags = 0;
    // A getter that fails leaves its field as it was.
    while (read.getKeyProc(reader, &key, &type, &flags)) {
      const parameter::Declaration* item = FindItem(key);
      if (!item) continue;
      std::visit(parameter::Overloaded{
                     [&](ColorMember field) { ReadColor(params.*field, reader); },
                     [&](NameMember field) {
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
                         if (read.getIntegerProc(reader, &value) == noErr)
                           params.*field = parameter::FromInteger<Member>(value);
                       }
                     },
                 },
                 item->member);
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
  PIReadDescriptor nested = read.openReadDescriptorProc(object, kColorKeys.data());
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
    for (const parameter::ColorComponent& c : kColorComponents) {
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
  for (const parameter::Declaration& item : parameter::kDeclarations) {
    std::visit(parameter::Overloaded{
                   [&](ColorMember field) { PutColor(dp, procs, writer, item.key, params.*field); },
                   [&](NameMember field) {
                     char name[kPaletteNameSize] = {};
                     std::memcpy(name, params.*field, kPaletteNameSize - 1);
                     // The host copies the text; the handle stays ours.
                     if (Handle text = HostCString2Handle(procs, name)) {
                       write.putTextProc(writer, item.key, text);
                       HostDisposeHandle(procs, text);
                     }
                   },
                   [&](parameter::FlagMember field) { write.putBooleanProc(writer, item.key, params.*field != 0); },
                   [&](parameter::LevelMember field) { write.putIntegerProc(writer, item.key, params.*field); },
                   // The low 32 bits, as the host's integers are 32-bit.
                   [&](parameter::SizeMember field) {
                     write.putIntegerProc(writer, item.key, int32_t(uint32_t(params.*field)));
                   },
               },
               item.member);
  }
  HostCloseWriter(dp, procs, &writer);
}
