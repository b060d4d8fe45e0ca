#include "flats/RegionMap.h"

#include <limits>
#include <stdexcept>

#include <opencv2/imgproc.hpp>

namespace tessel::flats {

namespace {

// OpenCV numbers components in the order its scan meets them, but says so
// nowhere; the filter's order is checked here and restored if it differs.
void PutInScanOrder(RegionMap& map, int32_t count) {
  std::vector<int32_t> renumbered(static_cast<size_t>(count) + 1, 0);
  int32_t next = 0;
  bool inOrder = true;
  for (const int32_t label : map.labels) {
    if (label == 0 || renumbered[static_cast<size_t>(label)] != 0) continue;
    renumbered[static_cast<size_t>(label)] = ++next;
    inOrder = inOrder && label == next;
  }
  if (inOrder) return;
  for (int32_t& label : map.labels) label = renumbered[static_cast<size_t>(label)];
}

}  // namespace

RegionMap MapRegions(const RegionMask& mask, const base::ImageBuffer& after, int colourPlanes) {
  RequireMatch(mask, after, colourPlanes);
  constexpr int64_t kLargestSide = std::numeric_limits<int>::max();
  const int64_t width = mask.width(), height = mask.height();
  if (width > kLargestSide || height > kLargestSide || width * height > kLargestSide)
    throw std::length_error("the page has too many pixels to label");
  RegionMap map{width, height, std::vector<int32_t>(static_cast<size_t>(width * height)), {}};
  const int rows = static_cast<int>(height), columns = static_cast<int>(width);
  cv::Mat in(rows, columns, CV_8U, cv::Scalar(0));  // the labelling reads bytes
  for (int y = 0; y < rows; ++y)
    for (int64_t a = mask.Next(0, y, true); a < width; a = mask.Next(a, y, true))
      for (const int64_t b = mask.Next(a, y, false); a < b; ++a) in.at<uint8_t>(y, static_cast<int>(a)) = 1;
  cv::Mat out(rows, columns, CV_32S, map.labels.data());  // written in place, not reallocated
  const int count = cv::connectedComponents(in, out, 4, CV_32S) - 1;  // without the background
  if (out.data != reinterpret_cast<uchar*>(map.labels.data()))
    throw std::logic_error("the labelling did not write the labels in place");
  PutInScanOrder(map, count);

  map.regions.resize(static_cast<size_t>(count));
  for (int64_t y = 0; y < map.height; ++y)
    for (int64_t x = 0; x < map.width; ++x) {
      const int32_t label = map.at(x, y);
      if (label == 0) continue;
      Region& region = map.regions[static_cast<size_t>(label - 1)];
      if (region.area++ > 0) continue;
      region.firstX = x;
      region.firstY = y;
      for (int p = 0; p < colourPlanes; ++p) region.colour.push_back(after.at(x, y, p));
    }
  return map;
}

}  // namespace tessel::flats
