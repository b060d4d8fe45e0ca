// The host's suite registry behind SPBasicSuite::AcquireSuite. Tests and the
// command register suites and may refuse any of them to see how the filter copes.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "interface/PhotoshopHost.h"

namespace tessel::host {

class SuiteRegistry {
 public:
  SuiteRegistry();

  void Register(const std::string& name, int32_t version, const void* suite);
  // A refused suite answers AcquireSuite with an error, as a host lacking it would.
  void Refuse(const std::string& name, bool refused = true);
  // Makes AcquireSuite throw, as a misbehaving host might; tests use it to
  // reach the module's catch-all guard.
  void ThrowOnAcquire(bool enabled) { mThrow = enabled; }
  // Every AcquireSuite call, in order: (name, version).
  const std::vector<std::pair<std::string, int32_t>>& requests() const { return mRequests; }
  void ClearRequests() { mRequests.clear(); }

  SPBasicSuite* basic() { return &mBasic; }

  // Makes this registry the one the C callbacks answer from.
  void MakeCurrent();

 private:
  static SPErr AcquireSuite(const char* name, int32_t version, const void** suite);
  static SPErr ReleaseSuite(const char* name, int32_t version);

  SPBasicSuite mBasic;
  std::map<std::pair<std::string, int32_t>, const void*> mSuites;
  std::set<std::string> mRefused;
  std::vector<std::pair<std::string, int32_t>> mRequests;
  bool mThrow = false;
};

}  // namespace tessel::host
