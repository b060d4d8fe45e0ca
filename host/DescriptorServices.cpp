#include "host/DescriptorServices.h"

#include <algorithm>
#include <cstring>

namespace tessel::host {

namespace {

// Where a key list handed to a reader is read no further, should its 0 key be missing.
constexpr size_t kMaxHintedKeys = 64;

using DS = DescriptorServices;

DescriptorServices* sCurrent = nullptr;

// The item that the last getKeyProc named, or null.
const base::DescriptorItem* CurrentItem(PIReadDescriptor token) {
  DS::Reader* reader = sCurrent ? sCurrent->FindReader(token) : nullptr;
  if (!reader || reader->next == 0 || reader->next > reader->descriptor.items.size()) return nullptr;
  return &reader->descriptor.items[reader->next - 1];
}

// Hands the current item's value, when it is a T, to `deliver`.
template <typename T, typename Deliver>
OSErr Get(PIReadDescriptor token, bool outputGiven, Deliver deliver) {
  const base::DescriptorItem* item = CurrentItem(token);
  if (!item) return DS::kErrNotFound;
  const T* value = std::get_if<T>(&item->value);
  if (!value) return DS::kErrWrongType;
  if (!outputGiven) return DS::kErrParam;
  return deliver(*value);
}

template <typename T>
OSErr GetValue(PIReadDescriptor token, T* out) {
  return Get<T>(token, out != nullptr, [&](const T& v) { return *out = v, noErr; });
}

// Brings `value` into [min, max] (a null bound is open); answers whether it moved.
bool Pin(double& value, const double* min, const double* max) {
  const double original = value;
  if (min) value = std::max(value, *min);
  if (max) value = std::min(value, *max);
  return value != original;
}

OSErr Put(PIWriteDescriptor token, DescriptorKeyID key, base::DescriptorValue value) {
  return sCurrent ? sCurrent->Put(token, key, std::move(value)) : DS::kErrNotFound;
}

std::string PascalText(const unsigned char* text) { return std::string(reinterpret_cast<const char*>(text + 1), text[0]); }

// ---- read procs

PIReadDescriptor OpenRead(PIDescriptorHandle handle, DescriptorKeyIDArray keys) {
  return sCurrent ? sCurrent->OpenReader(handle, keys) : nullptr;
}
OSErr CloseRead(PIReadDescriptor token) { return sCurrent ? sCurrent->CloseReader(token) : DS::kErrNotFound; }

Boolean GetKey(PIReadDescriptor token, DescriptorKeyID* key, DescType* type, int32_t* flags) {
  DS::Reader* reader = sCurrent ? sCurrent->FindReader(token) : nullptr;
  if (!reader || reader->next >= reader->descriptor.items.size()) return false;
  const base::DescriptorItem& item = reader->descriptor.items[reader->next++];
  if (key) *key = item.key;
  if (type) *type = base::TypeOf(item.value);
  if (flags) *flags = 0;
  return true;
}

OSErr GetInteger(PIReadDescriptor token, int32_t* out) { return GetValue(token, out); }
OSErr GetFloat(PIReadDescriptor token, double* out) { return GetValue(token, out); }
OSErr GetUnitFloat(PIReadDescriptor token, DescType* unit, double* out) {
  return Get<base::UnitFloat>(token, out != nullptr, [&](const base::UnitFloat& v) {
    if (unit) *unit = v.unit;
    *out = v.value;
    return noErr;
  });
}
OSErr GetBoolean(PIReadDescriptor token, Boolean* out) {
  return Get<bool>(token, out != nullptr, [&](bool v) { return *out = v, noErr; });
}
OSErr GetText(PIReadDescriptor token, Handle* out) {
  return Get<std::string>(token, out != nullptr, [&](const std::string& v) {
    *out = sCurrent->handles().FromBytes(v);
    return *out ? OSErr(noErr) : HandleServices::kMemFullErr;
  });
}
OSErr GetEnumerated(PIReadDescriptor token, DescType* out) {
  return Get<base::Enumerated>(token, out != nullptr, [&](const base::Enumerated& v) { return *out = v.value, noErr; });
}
OSErr GetClass(PIReadDescriptor token, DescType* out) {
  return Get<base::ClassRef>(token, out != nullptr, [&](const base::ClassRef& v) { return *out = v.classID, noErr; });
}
OSErr GetObject(PIReadDescriptor token, DescType* classID, PIDescriptorHandle* out) {
  return Get<base::ObjectValue>(token, out != nullptr, [&](const base::ObjectValue& v) {
    if (classID) *classID = v.classID;
    *out = sCurrent->NewDescriptorHandle(v.descriptor);
    return *out ? OSErr(noErr) : HandleServices::kMemFullErr;
  });
}
OSErr GetString(PIReadDescriptor token, Str255* out) {
  return Get<std::string>(token, out != nullptr, [&](const std::string& v) {
    const size_t length = std::min<size_t>(v.size(), 255);
    (*out)[0] = static_cast<unsigned char>(length);
    std::memcpy(*out + 1, v.data(), length);
    return noErr;
  });
}
OSErr GetPinnedInteger(PIReadDescriptor token, int32_t min, int32_t max, int32_t* out) {
  return Get<int32_t>(token, out != nullptr, [&](int32_t v) {
    *out = std::clamp(v, min, std::max(min, max));
    return *out == v ? OSErr(noErr) : DS::kCoercedParam;
  });
}
OSErr GetPinnedFloat(PIReadDescriptor token, const double* min, const double* max, double* out) {
  return Get<double>(token, out != nullptr, [&](double v) {
    *out = v;
    return Pin(*out, min, max) ? DS::kCoercedParam : OSErr(noErr);
  });
}
OSErr GetPinnedUnitFloat(PIReadDescriptor token, const double* min, const double* max, DescType* unit, double* out) {
  return Get<base::UnitFloat>(token, out != nullptr, [&](const base::UnitFloat& v) {
    if (unit) *unit = v.unit;
    *out = v.value;
    return Pin(*out, min, max) ? DS::kCoercedParam : OSErr(noErr);
  });
}
OSErr GetUnsupported(PIReadDescriptor token) { return CurrentItem(token) ? DS::kErrWrongType : DS::kErrNotFound; }
OSErr GetAlias(PIReadDescriptor token, Handle*) { return GetUnsupported(token); }
OSErr GetSimpleReference(PIReadDescriptor token, PIDescriptorSimpleReference*) { return GetUnsupported(token); }
OSErr GetCount(PIReadDescriptor token, uint32_t*) { return GetUnsupported(token); }

// ---- write procs

PIWriteDescriptor OpenWrite() { return sCurrent ? sCurrent->OpenWriter() : nullptr; }
OSErr CloseWrite(PIWriteDescriptor token, PIDescriptorHandle* out) {
  return sCurrent ? sCurrent->CloseWriter(token, out) : DS::kErrNotFound;
}
OSErr PutInteger(PIWriteDescriptor token, DescriptorKeyID key, int32_t value) { return Put(token, key, value); }
OSErr PutFloat(PIWriteDescriptor token, DescriptorKeyID key, const double* value) {
  return value ? Put(token, key, *value) : DS::kErrParam;
}
OSErr PutUnitFloat(PIWriteDescriptor token, DescriptorKeyID key, DescType unit, const double* value) {
  return value ? Put(token, key, base::UnitFloat{unit, *value}) : DS::kErrParam;
}
OSErr PutBoolean(PIWriteDescriptor token, DescriptorKeyID key, Boolean value) {
  return Put(token, key, value != 0);
}
OSErr PutText(PIWriteDescriptor token, DescriptorKeyID key, Handle text) {
  if (!sCurrent || !sCurrent->handles().Owns(text)) return DS::kErrParam;
  return Put(token, key, sCurrent->handles().Bytes(text));
}
OSErr PutEnumerated(PIWriteDescriptor token, DescriptorKeyID key, DescType type, DescType value) {
  return Put(token, key, base::Enumerated{type, value});
}
OSErr PutClass(PIWriteDescriptor token, DescriptorKeyID key, DescType classID) {
  return Put(token, key, base::ClassRef{classID});
}
OSErr PutObject(PIWriteDescriptor token, DescriptorKeyID key, DescType classID, PIDescriptorHandle object) {
  std::optional<base::Descriptor> nested = sCurrent ? sCurrent->ReadDescriptorHandle(object) : std::nullopt;
  if (!nested) return DS::kErrParam;
  return Put(token, key, base::ObjectValue{classID, std::move(*nested)});
}
OSErr PutString(PIWriteDescriptor token, DescriptorKeyID key, const unsigned char* text) {
  return text ? Put(token, key, PascalText(text)) : DS::kErrParam;
}
OSErr PutAlias(PIWriteDescriptor, DescriptorKeyID, Handle) { return DS::kErrUnsupported; }
OSErr PutSimpleReference(PIWriteDescriptor, DescriptorKeyID, const PIDescriptorSimpleReference*) {
  return DS::kErrUnsupported;
}
OSErr PutCount(PIWriteDescriptor, DescriptorKeyID, uint32_t) { return DS::kErrUnsupported; }
OSErr PutScopedClass(PIWriteDescriptor, DescriptorKeyID, DescType) { return DS::kErrUnsupported; }
OSErr PutScopedObject(PIWriteDescriptor, DescriptorKeyID, DescType, PIDescriptorHandle) {
  return DS::kErrUnsupported;
}

}  // namespace

DescriptorServices::DescriptorServices(HandleServices& handles)
    : mHandles(handles),
      mReadProcs{kCurrentReadDescriptorProcsVersion,
                 kCurrentReadDescriptorProcsCount,
                 OpenRead,
                 CloseRead,
                 GetKey,
                 GetInteger,
                 GetFloat,
                 GetUnitFloat,
                 GetBoolean,
                 GetText,
                 GetAlias,
                 GetEnumerated,
                 GetClass,
                 GetSimpleReference,
                 GetObject,
                 GetCount,
                 GetString,
                 GetPinnedInteger,
                 GetPinnedFloat,
                 GetPinnedUnitFloat},
      mWriteProcs{kCurrentWriteDescriptorProcsVersion,
                  kCurrentWriteDescriptorProcsCount,
                  OpenWrite,
                  CloseWrite,
                  PutInteger,
                  PutFloat,
                  PutUnitFloat,
                  PutBoolean,
                  PutText,
                  PutAlias,
                  PutEnumerated,
                  PutClass,
                  PutSimpleReference,
                  PutObject,
                  PutCount,
                  PutString,
                  PutScopedClass,
                  PutScopedObject},
      mParameters{kCurrentDescriptorParametersVersion, plugInDialogDisplay, plugInDialogOptional, nullptr,
                  &mWriteProcs, &mReadProcs} {
  MakeCurrent();
}

DescriptorServices::~DescriptorServices() {
  if (sCurrent == this) sCurrent = nullptr;
}

void DescriptorServices::MakeCurrent() { sCurrent = this; }

void DescriptorServices::SetReplay(const base::Descriptor& descriptor, int16_t playInfo) {
  mHandles.Dispose(mParameters.descriptor);
  mParameters.descriptor = NewDescriptorHandle(descriptor);
  mParameters.playInfo = playInfo;
}

std::optional<base::Descriptor> DescriptorServices::Held() const {
  return ReadDescriptorHandle(mParameters.descriptor);
}

std::optional<base::Descriptor> DescriptorServices::TakeRecorded() {
  std::optional<base::Descriptor> recorded = Held();
  mHandles.Dispose(mParameters.descriptor);
  mParameters.descriptor = nullptr;
  mParameters.playInfo = plugInDialogDisplay;
  return recorded;
}

Handle DescriptorServices::NewDescriptorHandle(const base::Descriptor& descriptor) {
  return mHandles.FromBytes(base::PackDescriptor(descriptor));
}

std::optional<base::Descriptor> DescriptorServices::ReadDescriptorHandle(Handle handle) const {
  if (!mHandles.Owns(handle)) return std::nullopt;
  return base::UnpackDescriptor(mHandles.Bytes(handle));
}

DescriptorServices::Reader* DescriptorServices::FindReader(PIReadDescriptor token) {
  auto found = mReaders.find(token);
  return found == mReaders.end() ? nullptr : found->second.get();
}

DescriptorServices::Writer* DescriptorServices::FindWriter(PIWriteDescriptor token) {
  auto found = mWriters.find(token);
  return found == mWriters.end() ? nullptr : found->second.get();
}

PIReadDescriptor DescriptorServices::OpenReader(Handle handle, const DescriptorKeyID* keys) {
  // A list is the plug-in's, up to its 0 key; the editor reads it only as a hint.
  std::vector<DescriptorKeyID>& list = mKeyLists.emplace_back();
  for (size_t i = 0; keys && i < kMaxHintedKeys && keys[i] != 0; ++i) list.push_back(keys[i]);
  std::optional<base::Descriptor> descriptor = ReadDescriptorHandle(handle);
  if (!descriptor) return nullptr;
  auto reader = std::make_unique<Reader>(Reader{std::move(*descriptor)});
  auto token = reinterpret_cast<PIReadDescriptor>(reader.get());
  mReaders.emplace(token, std::move(reader));
  return token;
}

OSErr DescriptorServices::CloseReader(PIReadDescriptor token) { return mReaders.erase(token) ? OSErr(noErr) : kErrNotFound; }

PIWriteDescriptor DescriptorServices::OpenWriter() {
  auto writer = std::make_unique<Writer>();
  auto token = reinterpret_cast<PIWriteDescriptor>(writer.get());
  mWriters.emplace(token, std::move(writer));
  return token;
}

OSErr DescriptorServices::CloseWriter(PIWriteDescriptor token, PIDescriptorHandle* handle) {
  auto found = mWriters.find(token);
  if (found == mWriters.end()) return kErrNotFound;
  const base::Descriptor descriptor = std::move(found->second->descriptor);
  mWriters.erase(found);
  if (!handle) return kErrParam;
  *handle = NewDescriptorHandle(descriptor);
  return *handle ? OSErr(noErr) : HandleServices::kMemFullErr;
}

OSErr DescriptorServices::Put(PIWriteDescriptor token, DescriptorKeyID key, base::DescriptorValue value) {
  Writer* writer = FindWriter(token);
  if (!writer) return kErrNotFound;
  if (mRefusedPuts.count(key)) return kErrUnsupported;
  writer->descriptor.Put({key, std::move(value)});
  return noErr;
}

}  // namespace tessel::host
