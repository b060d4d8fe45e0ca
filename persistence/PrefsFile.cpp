#include "persistence/PrefsFile.h"

#include <cstring>
#include <fstream>
#include <string>

#include <boost/filesystem.hpp>

#include "plugin/HostFolders.h"
#include "plugin/Tessel.h"

namespace {

// Reads one decimal value; a value that cannot be read leaves `field` as it was.
template <typename Number>
void ReadNumber(std::istream& in, Number& field) {
  Number value;
  if (in >> value) field = value;
}

// Reads one raw byte after white space.
template <typename Flag>
void ReadFlag(std::istream& in, Flag& field) {
  char value;
  if (in >> value) field = static_cast<Flag>(value);
}

template <typename Flag>
void WriteFlag(std::ostream& out, Flag field) {
  out.put(static_cast<char>(field));
}

bool PrefsFilePath(std::string& path) {
  if (!GetPrefsFolderPath(path)) return false;
  path += kPrefsName[kPrefsFileNameIndex];
  return true;
}

}  // namespace

void ReadPrefsRecord(std::istream& in, CTesselParams& params) {
  ReadNumber(in, params.signature);
  ReadNumber(in, params.version);
  ReadNumber(in, params.fillColor.red);
  ReadNumber(in, params.fillColor.green);
  ReadNumber(in, params.fillColor.blue);
  ReadNumber(in, params.tolerance);
  ReadFlag(in, params.reservedFlag);
  ReadFlag(in, params.randomColors);
  ReadFlag(in, params.measureByArea);
  ReadFlag(in, params.flagAreas);
  ReadNumber(in, params.flagColor.red);
  ReadNumber(in, params.flagColor.green);
  ReadNumber(in, params.flagColor.blue);
  ReadNumber(in, params.flagSize);
  ReadFlag(in, params.joinAreas);
  ReadNumber(in, params.joinSize);
  in.ignore(1);

  std::memset(params.paletteName, 0, sizeof params.paletteName);
  if (in.good()) {
    in.get(params.paletteName, sizeof params.paletteName);
    // An empty name is a valid line, not a failed read.
    if (in.fail() && !in.eof() && in.gcount() == 0) in.clear();
  }
  if (in.eof())
    params.paintAntiAliased = 1;
  else
    ReadFlag(in, params.paintAntiAliased);

  if (!params.IsValid()) params.Reset();
}

void WritePrefsRecord(std::ostream& out, const CTesselParams& params) {
  out << params.signature << ' ' << params.version << ' ' << params.fillColor.red << ' ' << params.fillColor.green
      << ' ' << params.fillColor.blue << ' ' << params.tolerance << ' ';
  WriteFlag(out, params.reservedFlag);
  out << ' ';
  WriteFlag(out, params.randomColors);
  out << ' ';
  WriteFlag(out, params.measureByArea);
  out << ' ';
  WriteFlag(out, params.flagAreas);
  out << ' ' << params.flagColor.red << ' ' << params.flagColor.green << ' ' << params.flagColor.blue << ' '
      << params.flagSize << ' ';
  WriteFlag(out, params.joinAreas);
  out << ' ' << params.joinSize << '\n' << std::flush;
  out << params.paletteName << '\n' << std::flush;
  WriteFlag(out, params.paintAntiAliased);
  out << '\n' << std::flush;
}

void CTessel::ReadPrefs(CTesselParams& params) {
  try {
    std::string path;
    // A folder in the file's place opens, but holds no preferences.
    if (!PrefsFilePath(path) || !boost::filesystem::is_regular_file(path)) return;
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in) return;
    ReadPrefsRecord(in, params);
  } catch (...) {
    // Preferences are a convenience: a file that cannot be read is skipped.
  }
}

void CTessel::WritePrefs(CTesselParams& params) {
  namespace fs = boost::filesystem;
  fs::path temporary;
  try {
    std::string path;
    if (!PrefsFilePath(path)) return;
    // The user's previous file stays whole until the new one is complete.
    temporary = fs::unique_path(path + ".%%%%-%%%%");
    std::ofstream out(temporary.string(), std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out) return;
    WritePrefsRecord(out, params);
    out.close();
    if (!out) {
      fs::remove(temporary);
      return;
    }
    fs::rename(temporary, path);
  } catch (...) {
    boost::system::error_code ignored;
    if (!temporary.empty()) fs::remove(temporary, ignored);
  }
}

int16_t CTessel::DoPrepare() {
  mFilterRecord->bufferSpace = 0;
  mFilterRecord->maxSpace = 0;
  return noErr;
}
