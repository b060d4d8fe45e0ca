// The editor's GetFileList (version 5) and GetPath (version 1) suites, as far
// as the filter uses them: they name the presets folder the host was given.
#pragma once

#include <string>

#include "host/Suites.h"
#include "interface/PhotoshopHost.h"

namespace tessel::host {

class FolderSuites {
 public:
  FolderSuites();
  FolderSuites(const FolderSuites&) = delete;
  FolderSuites& operator=(const FolderSuites&) = delete;

  void RegisterWith(SuiteRegistry& registry) const;

  // The presets folder as a POSIX path, relative ones taken from the working
  // folder; false, keeping the previous folder, for a path that cannot be
  // named in the editor's style (not UTF-8). Empty means no folder: the
  // suites then answer with an error, as for a folder that is not there.
  bool SetPresetsFolder(const std::string& posixPath);
  const std::string& presetsFolder() const { return mPosixPath; }

  // Makes these suites the ones the C callbacks answer from.
  void MakeCurrent();

 private:
  static SPErr GetPresetsFolderSpec(SPPlatformFileSpecification* spec);
  static SPErr GetPathName(const SPPlatformFileSpecification* spec, char* path, int32_t maxLength);

  PSGetFileListSuite5 mFileList{};
  PSGetPathSuite1 mGetPath{};
  std::string mPosixPath;
  std::string mHfsPath;
};

}  // namespace tessel::host
