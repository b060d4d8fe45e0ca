#include "io/SwatchFile.h"

#include <fstream>

#include <boost/filesystem/operations.hpp>

namespace tessel::io {

namespace {

bool ReadWord(std::istream& in, uint16_t& value) {
  unsigned char bytes[2];
  if (!in.read(reinterpret_cast<char*>(bytes), 2)) return false;
  value = static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
  return true;
}

}  // namespace

std::vector<Swatch> ReadSwatchFile(const std::string& path) {
  std::vector<Swatch> swatches;
  boost::system::error_code error;
  // A pipe bearing the file's name would wait for a writer for ever.
  if (!boost::filesystem::is_regular_file(path, error)) return swatches;
  std::ifstream file(path, std::ios::binary);
  uint16_t version = 0, count = 0;
  if (!ReadWord(file, version) || version > 2 || !ReadWord(file, count)) return swatches;
  for (uint16_t i = 0; i < count; ++i) {
    Swatch swatch;
    bool whole = ReadWord(file, swatch.space);
    for (uint16_t& component : swatch.components) whole = whole && ReadWord(file, component);
    if (!whole) break;
    swatches.push_back(swatch);
  }
  return swatches;
}

}  // namespace tessel::io
