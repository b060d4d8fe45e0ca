// Scripting descriptors as the host keeps them: an ordered list of keyed,
// typed items, objects nesting a descriptor of their own. The same JSON form
// serves action files and, packed as CBOR, the descriptor handles the filter
// receives.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "interface/FourCharCode.h"
#include "interface/PhotoshopHost.h"

namespace tessel::base {

inline constexpr DescType typeFloat = FourCharCode("doub");
inline constexpr DescType typeUnitFloat = FourCharCode("UntF");
inline constexpr DescType typeEnumerated = FourCharCode("enum");
inline constexpr DescType typeClass = FourCharCode("type");

// A descriptor that does not hold together (wrong types, bad codes, too deep).
class DescriptorFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct UnitFloat {
  DescType unit;
  double value;
};
struct Enumerated {
  DescType type;
  DescType value;
};
struct ClassRef {
  DescType classID;
};

struct DescriptorItem;

struct Descriptor {
  std::vector<DescriptorItem> items;

  // The item under `key`, or null.
  const DescriptorItem* Find(DescriptorKeyID key) const;
  // Replaces the item under `key` in place, or appends it.
  void Put(DescriptorItem item);
};

struct ObjectValue {
  DescType classID;
  Descriptor descriptor;
};

// Text holds bytes, without a terminating NUL.
using DescriptorValue = std::variant<int32_t, bool, std::string, double, UnitFloat, Enumerated, ClassRef, ObjectValue>;

struct DescriptorItem {
  DescriptorKeyID key;
  DescriptorValue value;
};

// The item type the host reports for a value.
DescType TypeOf(const DescriptorValue& value);

bool operator==(const UnitFloat& a, const UnitFloat& b);
bool operator==(const Enumerated& a, const Enumerated& b);
bool operator==(const ClassRef& a, const ClassRef& b);
bool operator==(const ObjectValue& a, const ObjectValue& b);
bool operator==(const DescriptorItem& a, const DescriptorItem& b);
bool operator==(const Descriptor& a, const Descriptor& b);

// A code as its four characters when they are printable ASCII, else a number.
nlohmann::json CodeToJson(uint32_t code);
// Throws DescriptorFormatError for anything but a 4-character string or a
// 32-bit unsigned number.
uint32_t CodeFromJson(const nlohmann::json& json);

nlohmann::json DescriptorToJson(const Descriptor& descriptor);
// Throws DescriptorFormatError naming the offending item.
Descriptor DescriptorFromJson(const nlohmann::json& json);

// The bytes a descriptor handle holds, and back; nullopt for bytes that are
// not a descriptor of this host.
std::string PackDescriptor(const Descriptor& descriptor);
std::optional<Descriptor> UnpackDescriptor(const std::string& bytes);

}  // namespace tessel::base
