#include "base/AvailableMemory.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <vector>

namespace tessel::base {

namespace {

constexpr int64_t kUnknown = std::numeric_limits<int64_t>::max();
// cgroup v1 writes "no limit" as the largest page-aligned 64-bit value.
constexpr int64_t kNoLimit = int64_t(1) << 62;

// The names one cgroup version gives a group's limit, use and reclaimable cache.
struct GroupFiles {
  const char* limit;
  const char* usage;
  const char* inactiveFileKey;  // in memory.stat
};
constexpr GroupFiles kUnifiedFiles{"memory.max", "memory.current", "inactive_file"};
constexpr GroupFiles kV1Files{"memory.limit_in_bytes", "memory.usage_in_bytes", "total_inactive_file"};

// Where the memory controller of one cgroup version is mounted, and the
// process's group in it.
struct Hierarchy {
  std::string mountPoint;  // under the root
  std::string mountRoot;   // the group the mount shows as its top
  std::string group;       // as /proc/self/cgroup names it
};

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  if (!text.empty() && text.back() == separator) parts.emplace_back();
  return parts;
}

bool Contains(const std::vector<std::string>& items, const std::string& item) {
  return std::find(items.begin(), items.end(), item) != items.end();
}

// The number after `key` on its line in a "key value" file such as
// /proc/meminfo or memory.stat.
std::optional<int64_t> KeyedValue(const std::string& file, const std::string& key) {
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string name;
    int64_t value = 0;
    if (fields >> name >> value && name == key) return value;
  }
  return std::nullopt;
}

// A limit file: a byte count, or "max" for none.
std::optional<int64_t> Limit(const std::string& file) {
  std::ifstream in(file);
  std::string text;
  if (!(in >> text)) return std::nullopt;
  if (text == "max") return kUnknown;
  try {
    return std::stoll(text);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// The smallest room left under any limit from the process's group up to the
// top of the mount: a parent's limit binds its children too.
int64_t RoomInGroups(const Hierarchy& h, const GroupFiles& files) {
  std::string relative = h.group;
  if (h.mountRoot != "/")
    relative = h.group.rfind(h.mountRoot, 0) == 0 ? h.group.substr(h.mountRoot.size()) : std::string();
  while (!relative.empty() && relative.back() == '/') relative.pop_back();

  int64_t room = kUnknown;
  for (;;) {
    const std::string folder = h.mountPoint + relative + "/";
    const std::optional<int64_t> limit = Limit(folder + files.limit);
    if (limit && *limit < kNoLimit) {
      const int64_t usage = Limit(folder + files.usage).value_or(0);
      const int64_t reclaimable = KeyedValue(folder + "memory.stat", files.inactiveFileKey).value_or(0);
      room = std::min(room, std::max<int64_t>(0, *limit - std::max<int64_t>(0, usage - reclaimable)));
    }
    if (relative.empty()) return room;
    relative.erase(relative.rfind('/'));
  }
}

std::string Top(const std::string& root) {
  return !root.empty() && root.back() == '/' ? root.substr(0, root.size() - 1) : root;
}

}  // namespace

int64_t AvailableMemory(const std::string& root) {
  const std::string top = Top(root);
  int64_t available = kUnknown;
  if (const auto kilobytes = KeyedValue(top + "/proc/meminfo", "MemAvailable:")) available = *kilobytes * 1024;

  // The process's groups: "0::path" in v2, "id:controllers:path" in v1.
  std::optional<Hierarchy> unified, v1;
  std::ifstream groups(top + "/proc/self/cgroup");
  for (std::string line; std::getline(groups, line);) {
    const auto first = line.find(':'), second = line.find(':', first + 1);
    if (second == std::string::npos) continue;
    const std::string id = line.substr(0, first), controllers = line.substr(first + 1, second - first - 1);
    const std::string group = line.substr(second + 1);
    if (id == "0" && controllers.empty()) unified = Hierarchy{{}, {}, group};
    else if (Contains(Split(controllers, ','), "memory")) v1 = Hierarchy{{}, {}, group};
  }

  // Their mounts: "id parent dev root mountpoint options... - type source super-options".
  std::ifstream mounts(top + "/proc/self/mountinfo");
  for (std::string line; std::getline(mounts, line);) {
    const std::vector<std::string> fields = Split(line, ' ');
    const auto dash = std::find(fields.begin(), fields.end(), "-");
    if (fields.size() < 5 || dash == fields.end() || fields.end() - dash < 4) continue;
    const std::string& type = dash[1];
    Hierarchy* h = type == "cgroup2"                                                  ? (unified ? &*unified : nullptr)
                   : type == "cgroup" && Contains(Split(dash[3], ','), "memory") ? (v1 ? &*v1 : nullptr)
                                                                                 : nullptr;
    if (h && h->mountPoint.empty()) {
      h->mountRoot = fields[3];
      h->mountPoint = top + fields[4];
    }
  }
  if (unified && !unified->mountPoint.empty()) available = std::min(available, RoomInGroups(*unified, kUnifiedFiles));
  if (v1 && !v1->mountPoint.empty()) available = std::min(available, RoomInGroups(*v1, kV1Files));
  return available;
}

int64_t ResidentAnonymous(int pid, const std::string& root) {
  return KeyedValue(Top(root) + "/proc/" + std::to_string(pid) + "/status", "RssAnon:").value_or(0) * 1024;
}

}  // namespace tessel::base
