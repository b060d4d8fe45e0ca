// The colours of a colour-swatch (.aco) file as the filter reads them: the
// first section only, records of 10 bytes whatever the version. The module's
// palette and the host's judgement of it read the file alike.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <istream>
#include <system_error>

// One swatch: the file's colour-space id and four components in host byte
// order (Lab's a and b are signed values stored in the same bits).
struct SwatchRecord {
  uint16_t colorSpace = 0;
  uint16_t components[4] = {0, 0, 0, 0};
};

struct SwatchFile {
  static constexpr uint16_t kNewestVersion = 2;

  // One record, big-endian in the file; false when the stream ends within it.
  static bool ReadRecord(std::istream& in, SwatchRecord& record) {
    bool whole = ReadWord(in, record.colorSpace);
    for (uint16_t& component : record.components) whole = whole && ReadWord(in, component);
    return whole;
  }

  // Hands `add` each colour of the file's first section, in order; whatever
  // follows that section does not matter. Never fails: a missing or damaged
  // file, or one of a later version, gives fewer colours or none. What `add`
  // throws passes through, the colours before it handed over.
  template <class Add>
  static void Read(const char* path, Add&& add) {
    // Only a plain file: opening a pipe that bears a swatch file's name would
    // wait for a writer for ever.
    std::error_code error;
    if (!path || !std::filesystem::is_regular_file(path, error)) return;
    std::ifstream file(path, std::ios::in | std::ios::binary);
    uint16_t version = 0, count = 0;
    if (!ReadWord(file, version) || version > kNewestVersion || !ReadWord(file, count)) return;
    for (uint16_t i = 0; i < count; ++i) {
      SwatchRecord record;
      if (!ReadRecord(file, record)) return;
      add(record);
    }
  }

 private:
  static bool ReadWord(std::istream& in, uint16_t& value) {
    unsigned char bytes[2];
    if (!in.read(reinterpret_cast<char*>(bytes), 2)) return false;
    value = static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
    return true;
  }
};
