// The colon-separated (HFS) path style in which the editor's GetPath suite
// names folders, and its mapping to POSIX paths. The module converts the
// host's answer with HfsToPosix; our host produces that answer with
// PosixToHfs, so both sides share this one mapping.
//
// The mapping, as on the editor's own platform:
//   "<boot volume>:a:b:"  <->  "/a/b"          (the boot volume is the root)
//   "Other:a:b:"          <->  "/Volumes/Other/a/b"
// A ':' inside a POSIX name is a '/' inside an HFS name and the other way
// round. HFS folder paths end with ':'; the POSIX form carries no trailing '/'.
// Both directions reject what they cannot map (relative paths, empty names,
// "." or ".." in a POSIX path, invalid UTF-8) by answering false.
#pragma once

#include <string>
#include <vector>

#include <boost/locale/utf.hpp>

namespace tessel::hfs {

// Our host's name for the volume holding "/".
inline const char kBootVolumeName[] = "Tessel HD";

namespace detail {

inline bool IsValidUtf8(const std::string& text) {
  using Utf8 = boost::locale::utf::utf_traits<char>;
  for (auto at = text.begin(); at != text.end();) {
    const boost::locale::utf::code_point c = Utf8::decode(at, text.end());
    if (c == boost::locale::utf::illegal || c == boost::locale::utf::incomplete) return false;
  }
  return true;
}

inline std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
    parts.push_back(text.substr(start, at - start));
  parts.push_back(text.substr(start));
  return parts;
}

// A name in one style becomes the same name in the other: ':' and '/' swap.
inline std::string SwapSeparators(std::string name) {
  for (char& c : name) {
    if (c == '/')
      c = ':';
    else if (c == ':')
      c = '/';
  }
  return name;
}

}  // namespace detail

// "Vol:a:b:" -> "/a/b" or "/Volumes/Vol/a/b". False for a relative or
// malformed path (an empty name, as "::" would give) or invalid UTF-8.
inline bool HfsToPosix(const std::string& hfs, std::string& posix) {
  if (!detail::IsValidUtf8(hfs) || hfs.find(':') == std::string::npos || hfs.front() == ':') return false;
  std::vector<std::string> names = detail::Split(hfs, ':');
  if (names.back().empty()) names.pop_back();  // the folder's trailing ':'
  std::string result = names.front() == kBootVolumeName ? "" : "/Volumes/" + detail::SwapSeparators(names.front());
  for (size_t i = 1; i < names.size(); ++i) {
    if (names[i].empty()) return false;
    result += "/" + detail::SwapSeparators(names[i]);
  }
  posix = result.empty() ? "/" : result;
  return true;
}

// "/a/b" -> "<boot volume>:a:b:"; "/Volumes/Vol/a" -> "Vol:a:". Repeated
// slashes are one separator. False for a relative path, "." or "..", or
// invalid UTF-8.
inline bool PosixToHfs(const std::string& posix, std::string& hfs) {
  if (!detail::IsValidUtf8(posix) || posix.empty() || posix.front() != '/') return false;
  std::vector<std::string> names;
  for (const std::string& name : detail::Split(posix, '/')) {
    if (name == "." || name == "..") return false;
    if (!name.empty()) names.push_back(name);
  }
  // "/Volumes/<boot volume>" stays below the boot volume so that it maps back unchanged.
  size_t first = 0;
  std::string result = kBootVolumeName;
  if (names.size() >= 2 && names[0] == "Volumes" && detail::SwapSeparators(names[1]) != kBootVolumeName) {
    result = detail::SwapSeparators(names[1]);
    first = 2;
  }
  result += ":";
  for (size_t i = first; i < names.size(); ++i) result += detail::SwapSeparators(names[i]) + ":";
  hfs = result;
  return true;
}

}  // namespace tessel::hfs
