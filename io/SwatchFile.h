// The colours of a swatch (.aco) file as the filter reads them: the first
// section only, records of 10 bytes whatever the version.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessel::io {

struct Swatch {
  uint16_t space = 0;                  // the file's colour-space id
  std::array<uint16_t, 4> components{};
};

// Never fails: a missing or damaged file gives fewer colours, or none.
std::vector<Swatch> ReadSwatchFile(const std::string& path);

}  // namespace tessel::io
