// The files this host reads and writes, known by their extensions: pages
// (PNG, TIFF, JPEG), read and written, and layered outputs (PSD, OpenRaster),
// written only.
#pragma once

#include <optional>
#include <string>

namespace tessel::io {

enum class FileFormat { kPng, kTiff, kJpeg, kPsd, kOra };

// The format `path`'s extension names, in any case; none for any other.
std::optional<FileFormat> FormatOf(const std::string& path);

// Whether `path`'s extension names a page format (.png, .tif, .tiff, .jpg,
// .jpeg), or a layered one (.psd, .ora); in any case.
bool IsImageFileName(const std::string& path);
bool IsLayeredOutput(const std::string& path);

// Those extensions for messages: ".png, .tif, .tiff, .jpg or .jpeg"; ".psd or .ora".
std::string ImageFileExtensions();
std::string LayeredExtensions();

}  // namespace tessel::io
