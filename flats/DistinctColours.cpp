#include "flats/DistinctColours.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace tessel::flats {

namespace {

// The region each one takes its colour from: itself, or the end of the chain
// it follows. A chain that loops (small regions joined into one colour of the
// lines, each following another) ends where it would close; none of its
// regions is then a root, and all keep the filter's colour.
std::vector<int32_t> Roots(const RegionRoles& roles) {
  const auto count = static_cast<int32_t>(roles.follows.size());
  std::vector<int32_t> roots(roles.follows.size());
  for (int32_t i = 0; i < count; ++i) {
    int32_t at = i;
    for (int32_t steps = 0; steps < count; ++steps) {
      const int32_t next = roles.follows[static_cast<size_t>(at)];
      if (next < 0 || next >= count || next == i) break;
      at = next;
    }
    roots[static_cast<size_t>(i)] = at;
  }
  return roots;
}

bool IsKept(const RegionRoles& roles, int32_t i) { return roles.follows[static_cast<size_t>(i)] == RegionRoles::kKept; }
bool IsGiven(const RegionRoles& roles, int32_t i) {
  return roles.follows[static_cast<size_t>(i)] == RegionRoles::kGiven;
}
bool BothGiven(const RegionRoles& roles, int32_t a, int32_t b) { return IsGiven(roles, a) && IsGiven(roles, b); }

// The graph with every follower merged into its root: a root's neighbours are
// those of all the regions it colours. The lists as they are when nobody
// follows another, as without joining; else built in `merged`.
const NeighbourLists& Merge(const NeighbourLists& neighbours, const std::vector<int32_t>& roots,
                            NeighbourLists& merged) {
  bool follows = false;
  for (size_t i = 0; i < roots.size() && !follows; ++i) follows = roots[i] != static_cast<int32_t>(i);
  if (!follows) return neighbours;
  std::vector<uint64_t> pairs;
  for (size_t i = 0; i < neighbours.size(); ++i)
    for (const int32_t n : neighbours[i])
      if (static_cast<size_t>(n) > i && roots[static_cast<size_t>(n)] != roots[i])
        pairs.push_back(PackPair(roots[i], roots[static_cast<size_t>(n)]));
  merged = NeighbourLists(pairs, neighbours.size());
  return merged;
}

// Smallest-last order: repeatedly the region with fewest neighbours left is
// taken out; colouring in the reverse order, each region meets at most the
// graph's degeneracy of coloured neighbours.
std::vector<int32_t> SmallestLast(const NeighbourLists& graph, const std::vector<bool>& present) {
  const size_t count = graph.size();
  std::vector<int32_t> degree(count, 0);
  size_t maxDegree = 0;
  for (size_t i = 0; i < count; ++i)
    if (present[i]) {
      for (const int32_t n : graph[i]) degree[i] += present[static_cast<size_t>(n)] ? 1 : 0;
      maxDegree = std::max(maxDegree, static_cast<size_t>(degree[i]));
    }
  std::vector<std::vector<int32_t>> buckets(maxDegree + 1);
  for (size_t i = 0; i < count; ++i)
    if (present[i]) buckets[static_cast<size_t>(degree[i])].push_back(static_cast<int32_t>(i));
  std::vector<bool> removed(count, false);
  std::vector<int32_t> order;
  size_t low = 0;
  while (true) {
    while (low < buckets.size() && buckets[low].empty()) ++low;
    if (low == buckets.size()) break;
    const int32_t v = buckets[low].back();
    buckets[low].pop_back();
    // Buckets hold stale entries from before a degree fell; skip them.
    if (removed[static_cast<size_t>(v)] || static_cast<size_t>(degree[static_cast<size_t>(v)]) != low) continue;
    removed[static_cast<size_t>(v)] = true;
    order.push_back(v);
    for (const int32_t n : graph[static_cast<size_t>(v)]) {
      const auto u = static_cast<size_t>(n);
      if (!present[u] || removed[u]) continue;
      buckets[static_cast<size_t>(--degree[u])].push_back(n);
      low = std::min(low, static_cast<size_t>(degree[u]));
    }
  }
  std::reverse(order.begin(), order.end());
  return order;
}

}  // namespace

PaletteColouring ColourFromPalette(const NeighbourLists& neighbours, const RegionRoles& roles,
                                   const std::vector<bool>& usable, const std::vector<int32_t>& given) {
  if (roles.follows.size() != neighbours.size()) throw std::invalid_argument("roles for another number of regions");
  std::vector<int32_t> usableEntries;
  for (size_t i = 0; i < usable.size(); ++i)
    if (usable[i]) usableEntries.push_back(static_cast<int32_t>(i));
  if (usableEntries.empty()) throw std::invalid_argument("no palette colour can paint");

  const std::vector<int32_t> roots = Roots(roles);
  NeighbourLists merged;
  const NeighbourLists& graph = Merge(neighbours, roots, merged);
  const size_t count = neighbours.size();
  std::vector<bool> coloured(count, false);  // the roots that take a palette colour
  for (size_t i = 0; i < count; ++i)
    coloured[i] = roots[i] == static_cast<int32_t>(i) && !IsKept(roles, static_cast<int32_t>(i)) &&
                  !IsGiven(roles, static_cast<int32_t>(i));

  PaletteColouring result{std::vector<int32_t>(count, -1), 0};
  // Given colours first, for every other region to see.
  const auto giveColours = [&] {
    for (size_t i = 0; i < count; ++i) {
      if (!IsGiven(roles, static_cast<int32_t>(i))) continue;
      if (i >= given.size() || given[i] < 0 || static_cast<size_t>(given[i]) >= usable.size())
        throw std::invalid_argument("a given region without an entry of the palette");
      result.colour[i] = given[i];
    }
  };
  giveColours();
  std::vector<int64_t> seenBy(usable.size(), -1);  // which region last found the entry on a neighbour
  std::vector<int32_t> users(usable.size(), 0);
  const auto markNeighbours = [&](size_t i) {
    for (const int32_t n : graph[i]) {
      const int32_t c = result.colour[static_cast<size_t>(n)];
      if (c >= 0) seenBy[static_cast<size_t>(c)] = static_cast<int64_t>(i);
    }
  };

  size_t cursor = 0;
  bool failed = false;
  for (size_t i = 0; i < count && !failed; ++i) {
    if (!coloured[i]) continue;
    markNeighbours(i);
    failed = true;
    for (size_t step = 0; step < usable.size() && failed; ++step) {
      const size_t entry = (cursor + step) % usable.size();
      if (!usable[entry] || seenBy[entry] == static_cast<int64_t>(i)) continue;
      result.colour[i] = static_cast<int32_t>(entry);
      cursor = entry + 1;
      failed = false;
    }
  }

  if (failed) {
    std::fill(result.colour.begin(), result.colour.end(), -1);
    giveColours();
    std::fill(seenBy.begin(), seenBy.end(), -1);
    for (const int32_t v : SmallestLast(graph, coloured)) {
      const auto i = static_cast<size_t>(v);
      std::fill(users.begin(), users.end(), 0);
      for (const int32_t n : graph[i]) {
        const int32_t c = result.colour[static_cast<size_t>(n)];
        if (c >= 0) ++users[static_cast<size_t>(c)];
      }
      // The first entry no neighbour has, else the one fewest have.
      int32_t best = usableEntries.front();
      for (const int32_t entry : usableEntries)
        if (users[static_cast<size_t>(entry)] < users[static_cast<size_t>(best)]) best = entry;
      result.colour[i] = best;
    }
  }

  for (size_t i = 0; i < count; ++i)
    if (!coloured[i] && !IsKept(roles, roots[i])) result.colour[i] = result.colour[static_cast<size_t>(roots[i])];
  for (size_t i = 0; i < count; ++i)
    for (const int32_t n : neighbours[i])
      if (static_cast<size_t>(n) > i && roots[i] != roots[static_cast<size_t>(n)] && result.colour[i] >= 0 &&
          result.colour[i] == result.colour[static_cast<size_t>(n)] &&
          !BothGiven(roles, roots[i], roots[static_cast<size_t>(n)]))
        ++result.clashes;
  return result;
}

double DeltaE(const Lab& a, const Lab& b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

RandomColouring ColourAtRandom(const NeighbourLists& neighbours, const RegionRoles& roles,
                               std::vector<Paint> current, const PaintDraw& draw, std::mt19937& random,
                               double minDeltaE, int tries) {
  if (roles.follows.size() != neighbours.size() || current.size() != neighbours.size())
    throw std::invalid_argument("roles or colours for another number of regions");
  const std::vector<int32_t> roots = Roots(roles);
  NeighbourLists merged;
  const NeighbourLists& graph = Merge(neighbours, roots, merged);
  const size_t count = neighbours.size();
  RandomColouring result{std::move(current), 0};
  std::vector<bool> done(count, false);
  for (size_t i = 0; i < count; ++i)
    done[i] = IsKept(roles, static_cast<int32_t>(i)) || IsGiven(roles, static_cast<int32_t>(i));

  // The distance to the nearest coloured neighbour's colour.
  const auto closest = [&](size_t i, const Lab& lab) {
    double d = INFINITY;
    for (const int32_t n : graph[i])
      if (done[static_cast<size_t>(n)]) d = std::min(d, DeltaE(lab, result.paint[static_cast<size_t>(n)].lab));
    return d;
  };
  for (size_t i = 0; i < count; ++i) {
    if (roots[i] != static_cast<int32_t>(i) || done[i]) continue;
    double bestDistance = closest(i, result.paint[i].lab);
    for (int t = 0; t < tries && bestDistance < minDeltaE; ++t) {
      std::optional<Paint> candidate = draw(random);
      if (!candidate) break;
      const double d = closest(i, candidate->lab);
      if (d > bestDistance) {
        bestDistance = d;
        result.paint[i] = std::move(*candidate);
      }
    }
    done[i] = true;
  }

  for (size_t i = 0; i < count; ++i)
    if (!done[i] && !IsKept(roles, roots[i])) result.paint[i] = result.paint[static_cast<size_t>(roots[i])];
  for (size_t i = 0; i < count; ++i)
    for (const int32_t n : neighbours[i]) {
      const auto j = static_cast<size_t>(n);
      if (j > i && roots[i] != roots[j] && !(IsKept(roles, roots[i]) && IsKept(roles, roots[j])) &&
          !BothGiven(roles, roots[i], roots[j]) && DeltaE(result.paint[i].lab, result.paint[j].lab) < minDeltaE)
        ++result.clashes;
    }
  return result;
}

}  // namespace tessel::flats
