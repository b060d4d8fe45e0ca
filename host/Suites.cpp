#include "host/Suites.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace tessel::host {

namespace {

SuiteRegistry* sCurrent = nullptr;
constexpr SPErr kSuiteNotFound = 0x21756E64;  // '!und'

Boolean IsEqual(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

SPErr AllocateBlock(size_t size, void** block) {
  *block = std::malloc(size);
  return *block ? 0 : kSuiteNotFound;
}

SPErr FreeBlock(void* block) {
  std::free(block);
  return 0;
}

SPErr ReallocateBlock(void* block, size_t size, void** moved) {
  void* p = std::realloc(block, size);
  if (!p) return kSuiteNotFound;
  *moved = p;
  return 0;
}

SPErr Undefined() { return kSuiteNotFound; }

}  // namespace

SuiteRegistry::SuiteRegistry()
    : mBasic{&SuiteRegistry::AcquireSuite, &SuiteRegistry::ReleaseSuite, IsEqual, AllocateBlock, FreeBlock,
             ReallocateBlock, Undefined} {}

void SuiteRegistry::Register(const std::string& name, int32_t version, const void* suite) {
  mSuites[{name, version}] = suite;
}

void SuiteRegistry::Refuse(const std::string& name, bool refused) {
  if (refused)
    mRefused.insert(name);
  else
    mRefused.erase(name);
}

void SuiteRegistry::MakeCurrent() { sCurrent = this; }

SPErr SuiteRegistry::AcquireSuite(const char* name, int32_t version, const void** suite) {
  if (!sCurrent || !name || !suite) return kSuiteNotFound;
  sCurrent->mRequests.emplace_back(name, version);
  if (sCurrent->mThrow) throw std::runtime_error(std::string("host failure acquiring ") + name);
  if (sCurrent->mRefused.count(name)) return kSuiteNotFound;
  auto found = sCurrent->mSuites.find({name, version});
  if (found == sCurrent->mSuites.end()) return kSuiteNotFound;
  *suite = found->second;
  return 0;
}

SPErr SuiteRegistry::ReleaseSuite(const char*, int32_t) { return 0; }

}  // namespace tessel::host
