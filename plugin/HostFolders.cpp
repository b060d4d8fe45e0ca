#include "plugin/HostFolders.h"

#include <cstring>
#include <string>

#include "interface/HfsPath.h"
#include "plugin/PSFilter.h"

void CPSFilter::GetPresetsPath(char* buffer, short bufferSize) {
  if (!buffer || bufferSize <= 0) return;
  // The callers' buffer is otherwise undefined; an empty path means "no folder".
  buffer[0] = '\0';
  if (!sPSGetPath || !sFileList) return;

  SPPlatformFileSpecification folder{};
  sFileList->GetPresetsFolderSpec(&folder);
  sPSGetPath->GetPathName(&folder, buffer, bufferSize);

  // The host need not terminate a path that fills the buffer.
  const size_t hostLength = strnlen(buffer, static_cast<size_t>(bufferSize));
  std::string posix;
  if (hostLength == static_cast<size_t>(bufferSize) ||
      !tessel::hfs::HfsToPosix(std::string(buffer, hostLength), posix) ||
      posix.size() >= static_cast<size_t>(bufferSize)) {
    buffer[0] = '\0';
    return;
  }
  std::memcpy(buffer, posix.c_str(), posix.size() + 1);
}
