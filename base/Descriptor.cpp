#include "base/Descriptor.h"

#include <limits>

#include <nlohmann/json.hpp>

#include "base/CborDepth.h"

namespace tessel::base {

using nlohmann::json;

namespace {

// Objects nest no deeper than this; a deeper file is refused, not recursed into.
constexpr int kMaxNesting = 16;
// Marks the bytes of a descriptor handle as ours.
const std::string kPackMagic = "TsDs";
// Each nested object adds an item and its item list to the packed form: a
// descriptor of ours never packs much deeper than twice kMaxNesting.
constexpr size_t kMaxPackedDepth = 4 * kMaxNesting;

bool IsPrintableCode(uint32_t code) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    const uint32_t c = (code >> shift) & 0xFF;
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

bool IsUtf8(const std::string& text) {
  try {
    (void)json(text).dump();
    return true;
  } catch (const json::type_error&) {
    return false;
  }
}

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  throw DescriptorFormatError(where + ": " + what);
}

const json& Member(const json& item, const char* name, const std::string& where) {
  auto found = item.find(name);
  if (found == item.end()) Fail(where, std::string("missing \"") + name + "\"");
  return *found;
}

json TextToJson(json item, const std::string& text) {
  // Bytes that are not UTF-8 (a file name from another system) survive as numbers.
  if (IsUtf8(text)) {
    item["value"] = text;
  } else {
    item["bytes"] = json::array();
    for (unsigned char c : text) item["bytes"].push_back(c);
  }
  return item;
}

std::string TextFromJson(const json& item, const std::string& where) {
  if (item.contains("bytes")) {
    const json& bytes = item["bytes"];
    if (!bytes.is_array()) Fail(where, "\"bytes\" must be an array");
    std::string text;
    for (const json& b : bytes) {
      if (!b.is_number_unsigned() || b.get<uint64_t>() > 255) Fail(where, "\"bytes\" must hold numbers 0 to 255");
      text.push_back(char(b.get<uint8_t>()));
    }
    return text;
  }
  const json& value = Member(item, "value", where);
  if (!value.is_string()) Fail(where, "a text value must be a string");
  return value.get<std::string>();
}

double NumberFromJson(const json& value, const std::string& where) {
  if (!value.is_number()) Fail(where, "the value must be a number");
  return value.get<double>();
}

json ItemsToJson(const Descriptor& descriptor);

json ItemToJson(const DescriptorItem& item) {
  json out = {{"key", CodeToJson(item.key)}};
  struct Visitor {
    json& out;
    void operator()(int32_t v) { out["type"] = "integer", out["value"] = v; }
    void operator()(bool v) { out["type"] = "boolean", out["value"] = v; }
    void operator()(const std::string& v) {
      out["type"] = "text";
      out = TextToJson(out, v);
    }
    void operator()(double v) { out["type"] = "float", out["value"] = v; }
    void operator()(const UnitFloat& v) {
      out["type"] = "unitFloat", out["unit"] = CodeToJson(v.unit), out["value"] = v.value;
    }
    void operator()(const Enumerated& v) {
      out["type"] = "enumerated", out["enumType"] = CodeToJson(v.type), out["value"] = CodeToJson(v.value);
    }
    void operator()(const ClassRef& v) { out["type"] = "class", out["value"] = CodeToJson(v.classID); }
    void operator()(const ObjectValue& v) {
      out["type"] = "object", out["class"] = CodeToJson(v.classID), out["items"] = ItemsToJson(v.descriptor);
    }
  };
  std::visit(Visitor{out}, item.value);
  return out;
}

json ItemsToJson(const Descriptor& descriptor) {
  json items = json::array();
  for (const DescriptorItem& item : descriptor.items) items.push_back(ItemToJson(item));
  return items;
}

Descriptor ItemsFromJson(const json& items, int depth, const std::string& where);

uint32_t CodeAt(const json& item, const char* name, const std::string& where) {
  try {
    return CodeFromJson(Member(item, name, where));
  } catch (const DescriptorFormatError& e) {
    Fail(where + " \"" + name + "\"", e.what());
  }
}

DescriptorValue ValueFromJson(const json& item, const std::string& type, int depth, const std::string& where) {
  if (type == "integer") {
    const json& value = Member(item, "value", where);
    if (!value.is_number_integer()) Fail(where, "an integer value must be a whole number");
    const int64_t v = value.get<int64_t>();
    if (value.is_number_unsigned() && value.get<uint64_t>() > uint64_t(std::numeric_limits<int32_t>::max()))
      Fail(where, "an integer value must fit in 32 bits");
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
      Fail(where, "an integer value must fit in 32 bits");
    return int32_t(v);
  }
  if (type == "boolean") {
    const json& value = Member(item, "value", where);
    if (!value.is_boolean()) Fail(where, "a boolean value must be true or false");
    return value.get<bool>();
  }
  if (type == "text") return TextFromJson(item, where);
  if (type == "float") return NumberFromJson(Member(item, "value", where), where);
  if (type == "unitFloat")
    return UnitFloat{CodeAt(item, "unit", where), NumberFromJson(Member(item, "value", where), where)};
  if (type == "enumerated") return Enumerated{CodeAt(item, "enumType", where), CodeAt(item, "value", where)};
  if (type == "class") return ClassRef{CodeAt(item, "value", where)};
  if (type == "object") {
    if (depth >= kMaxNesting) Fail(where, "objects nest too deeply");
    return ObjectValue{CodeAt(item, "class", where), ItemsFromJson(Member(item, "items", where), depth + 1, where)};
  }
  Fail(where, "unknown type \"" + type + "\"");
}

Descriptor ItemsFromJson(const json& items, int depth, const std::string& where) {
  if (!items.is_array()) Fail(where, "the items must be an array");
  Descriptor descriptor;
  for (size_t i = 0; i < items.size(); ++i) {
    const json& item = items[i];
    const std::string at = where + " item " + std::to_string(i + 1);
    if (!item.is_object()) Fail(at, "an item must be an object");
    const uint32_t key = CodeAt(item, "key", at);
    const json& type = Member(item, "type", at);
    if (!type.is_string()) Fail(at, "\"type\" must be a string");
    descriptor.items.push_back({key, ValueFromJson(item, type.get<std::string>(), depth, at)});
  }
  return descriptor;
}

}  // namespace

const DescriptorItem* Descriptor::Find(DescriptorKeyID key) const {
  for (const DescriptorItem& item : items)
    if (item.key == key) return &item;
  return nullptr;
}

void Descriptor::Put(DescriptorItem item) {
  for (DescriptorItem& existing : items) {
    if (existing.key == item.key) {
      existing = std::move(item);
      return;
    }
  }
  items.push_back(std::move(item));
}

DescType TypeOf(const DescriptorValue& value) {
  static constexpr DescType kTypes[] = {typeInteger, typeBoolean,    typeText,  typeFloat,
                                        typeUnitFloat, typeEnumerated, typeClass, typeObject};
  static_assert(std::size(kTypes) == std::variant_size_v<DescriptorValue>);
  return kTypes[value.index()];
}

bool operator==(const UnitFloat& a, const UnitFloat& b) { return a.unit == b.unit && a.value == b.value; }
bool operator==(const Enumerated& a, const Enumerated& b) { return a.type == b.type && a.value == b.value; }
bool operator==(const ClassRef& a, const ClassRef& b) { return a.classID == b.classID; }
bool operator==(const ObjectValue& a, const ObjectValue& b) {
  return a.classID == b.classID && a.descriptor == b.descriptor;
}
bool operator==(const DescriptorItem& a, const DescriptorItem& b) { return a.key == b.key && a.value == b.value; }
bool operator==(const Descriptor& a, const Descriptor& b) { return a.items == b.items; }

json CodeToJson(uint32_t code) {
  if (!IsPrintableCode(code)) return code;
  return std::string{char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
}

uint32_t CodeFromJson(const json& value) {
  if (value.is_number_unsigned() && value.get<uint64_t>() <= std::numeric_limits<uint32_t>::max())
    return value.get<uint32_t>();
  if (value.is_string()) {
    const std::string text = value.get<std::string>();
    if (text.size() == 4) return FourCharCode({text[0], text[1], text[2], text[3], '\0'});
  }
  throw DescriptorFormatError("a code must be four characters or a number 0 to 4294967295");
}

json DescriptorToJson(const Descriptor& descriptor) { return ItemsToJson(descriptor); }

Descriptor DescriptorFromJson(const json& json) { return ItemsFromJson(json, 0, "descriptor"); }

std::string PackDescriptor(const Descriptor& descriptor) {
  const std::vector<uint8_t> cbor = json::to_cbor(DescriptorToJson(descriptor));
  return kPackMagic + std::string(cbor.begin(), cbor.end());
}

std::optional<Descriptor> UnpackDescriptor(const std::string& bytes) {
  if (bytes.compare(0, kPackMagic.size(), kPackMagic) != 0) return std::nullopt;
  if (!CborNestsWithin(bytes, kPackMagic.size(), kMaxPackedDepth)) return std::nullopt;
  try {
    return DescriptorFromJson(json::from_cbor(bytes.begin() + kPackMagic.size(), bytes.end()));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace tessel::base
