#include "io/FileFormats.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <vector>

namespace tessel::io {

namespace {

enum class Kind { kPage, kLayered };

// In the order messages name them.
struct Extension {
  const char* extension;
  FileFormat format;
  Kind kind;
};
constexpr Extension kExtensions[] = {
    {".png", FileFormat::kPng, Kind::kPage},   {".tif", FileFormat::kTiff, Kind::kPage},
    {".tiff", FileFormat::kTiff, Kind::kPage}, {".jpg", FileFormat::kJpeg, Kind::kPage},
    {".jpeg", FileFormat::kJpeg, Kind::kPage}, {".psd", FileFormat::kPsd, Kind::kLayered},
    {".ora", FileFormat::kOra, Kind::kLayered},
};

// The extension in lower case with its dot; empty when there is none.
std::string LowerExtension(const std::string& path) {
  const auto dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return {};
  std::string extension = path.substr(dot);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

const Extension* Find(const std::string& path) {
  const std::string extension = LowerExtension(path);
  const auto known = std::find_if(std::begin(kExtensions), std::end(kExtensions),
                                  [&](const Extension& e) { return extension == e.extension; });
  return known == std::end(kExtensions) ? nullptr : known;
}

bool Names(const std::string& path, Kind kind) {
  const Extension* known = Find(path);
  return known && known->kind == kind;
}

std::string Listed(Kind kind) {
  std::vector<const char*> names;
  for (const Extension& known : kExtensions)
    if (known.kind == kind) names.push_back(known.extension);
  std::string list;
  for (size_t i = 0; i < names.size(); ++i)
    list += std::string(i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
  return list;
}

}  // namespace

std::optional<FileFormat> FormatOf(const std::string& path) {
  const Extension* known = Find(path);
  if (!known) return std::nullopt;
  return known->format;
}

bool IsImageFileName(const std::string& path) { return Names(path, Kind::kPage); }

bool IsLayeredOutput(const std::string& path) { return Names(path, Kind::kLayered); }

std::string ImageFileExtensions() { return Listed(Kind::kPage); }

std::string LayeredExtensions() { return Listed(Kind::kLayered); }

}  // namespace tessel::io
