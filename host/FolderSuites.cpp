#include "host/FolderSuites.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "interface/HfsPath.h"

namespace tessel::host {

namespace {

FolderSuites* sCurrent = nullptr;

constexpr SPErr kBadParameter = 0x50617221;  // 'Par!'
constexpr SPErr kNoSuchFolder = 0x21466C64;  // '!Fld'
// The one folder these suites can name is marked in the file reference by this tag.
constexpr char kPresetsTag[] = "Tessel presets folder";

}  // namespace

FolderSuites::FolderSuites() {
  mFileList.GetPresetsFolderSpec = &FolderSuites::GetPresetsFolderSpec;
  mGetPath.GetPathName = &FolderSuites::GetPathName;
}

void FolderSuites::RegisterWith(SuiteRegistry& registry) const {
  registry.Register(kPSGetFileListSuite, kPSGetFileListSuiteVersion5, &mFileList);
  registry.Register(kPSGetPathSuite, kPSGetPathSuiteVersion1, &mGetPath);
}

bool FolderSuites::SetPresetsFolder(const std::string& posixPath) {
  std::string absolute, hfs;
  if (!posixPath.empty()) {
    std::error_code error;
    absolute = std::filesystem::absolute(posixPath, error).lexically_normal().string();
    if (error || !hfs::PosixToHfs(absolute, hfs)) return false;
  }
  mPosixPath = absolute;
  mHfsPath = hfs;
  return true;
}

void FolderSuites::MakeCurrent() { sCurrent = this; }

SPErr FolderSuites::GetPresetsFolderSpec(SPPlatformFileSpecification* spec) {
  if (!spec) return kBadParameter;
  std::memset(spec, 0, sizeof *spec);
  if (!sCurrent || sCurrent->mHfsPath.empty()) return kNoSuchFolder;
  static_assert(sizeof kPresetsTag <= sizeof spec->hidden, "the tag fits the file reference");
  std::memcpy(spec->hidden, kPresetsTag, sizeof kPresetsTag);
  return 0;
}

SPErr FolderSuites::GetPathName(const SPPlatformFileSpecification* spec, char* path, int32_t maxLength) {
  if (!spec || !path || maxLength <= 0) return kBadParameter;
  path[0] = '\0';
  if (!sCurrent || std::memcmp(spec->hidden, kPresetsTag, sizeof kPresetsTag) != 0) return kNoSuchFolder;
  const std::string& hfs = sCurrent->mHfsPath;
  if (hfs.empty()) return kNoSuchFolder;
  if (hfs.size() >= static_cast<size_t>(maxLength)) return kBadParameter;
  std::memcpy(path, hfs.c_str(), hfs.size() + 1);
  return 0;
}

}  // namespace tessel::host
