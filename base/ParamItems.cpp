#include "base/ParamItems.h"

#include <cstring>
#include <iterator>

namespace tessel::base::params {

namespace {

template <typename T>
const T* ValueOf(const Descriptor& descriptor, DescriptorKeyID key) {
  const DescriptorItem* item = descriptor.Find(key);
  return item ? std::get_if<T>(&item->value) : nullptr;
}

}  // namespace

DescriptorItem ColorItem(DescriptorKeyID key, const _t_ASRGBColor& color) {
  // Each item is made in place: GCC 14 takes a moved temporary item's text
  // alternative for uninitialised (-Wmaybe-uninitialized).
  Descriptor components;
  components.items.resize(std::size(parameter::kColorComponents) + 1);
  for (size_t i = 0; i < std::size(parameter::kColorComponents); ++i) {
    components.items[i].key = parameter::kColorComponents[i].key;
    components.items[i].value = int32_t(color.*parameter::kColorComponents[i].component);
  }
  components.items.back() = {0, int32_t(0)};
  return {key, ObjectValue{parameter::kColorClass, std::move(components)}};
}

void PutPalette(Descriptor& descriptor, const std::string& name) {
  if (!name.empty()) descriptor.Put({kKeyOf<&_STesselParams::paletteName>, name});
  descriptor.Put({kKeyOf<&_STesselParams::randomColors>, name.empty()});
}

_STesselParams RecordOf(const Descriptor& recorded) {
  _STesselParams record;
  parameter::SetDefaults(record);
  for (const parameter::Declaration& declared : parameter::kDeclarations)
    std::visit(parameter::Overloaded{
                   [&](parameter::ColorMember member) {
                     const ObjectValue* object = ValueOf<ObjectValue>(recorded, declared.key);
                     if (!object) return;
                     _t_ASRGBColor color{0, 0, 0};
                     for (const parameter::ColorComponent& c : parameter::kColorComponents)
                       if (const int32_t* v = ValueOf<int32_t>(object->descriptor, c.key))
                         color.*c.component = parameter::FromInteger<uint16_t>(*v);
                     record.*member = color;
                   },
                   [&](parameter::NameMember member) {
                     const std::string* name = ValueOf<std::string>(recorded, declared.key);
                     if (!name) return;
                     std::memset(record.*member, 0, kPaletteNameSize);
                     name->copy(record.*member, kPaletteNameSize - 1);
                   },
                   [&](parameter::FlagMember member) {
                     if (const bool* v = ValueOf<bool>(recorded, declared.key)) record.*member = *v ? 1 : 0;
                   },
                   [&](auto member) {
                     using Field = std::remove_reference_t<decltype(record.*member)>;
                     if (const int32_t* v = ValueOf<int32_t>(recorded, declared.key))
                       record.*member = parameter::FromInteger<Field>(*v);
                   },
               },
               declared.member);
  return record;
}

}  // namespace tessel::base::params
