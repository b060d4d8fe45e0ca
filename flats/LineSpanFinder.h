// The spans of the lines, row after row, each given the run that holds the
// nearest region pixel of its pixels: runs, not regions, so that the rows
// can be found while the page is still being scanned, before the runs are
// labelled, and relabelled after.
#pragma once

#include <cstdint>
#include <vector>

#include "flats/LineSpans.h"
#include "flats/NearestRegion.h"
#include "flats/RegionMask.h"
#include "flats/RegionRuns.h"

namespace tessel::flats {

class LineSpanFinder {
 public:
  // Rows from `firstRow` on of `mask`, whose runs `map` holds, or takes in
  // as they are found; both must outlive the finder. The mask must hold a
  // region pixel, or come to.
  LineSpanFinder(const RegionMask& mask, const RegionRuns& map, int64_t firstRow);

  // Room for `spans` spans: only what they reach is ever touched.
  void Reserve(size_t spans) { mBand.spans.reserve(spans); }
  // Finds the next row's spans when the rows [0, rows) of the mask and of
  // the map tell them (true); else, or past the last row, nothing (false).
  bool FindNext(int64_t rows);
  int64_t next() const { return mRows.next(); }
  // The rows found so far, from `firstRow`, each span's `region` its run.
  LineSpans::Band Take() { return std::move(mBand); }

 private:
  // Pixels outside the regions between two runs of a row (or a side of the
  // page), and where their nearest region pixels lie.
  struct Gap {
    int64_t y;
    const int32_t *fromX, *fromY;
    int32_t left, right;  // the runs beside it, -1 for the side of the page
  };

  void AddRow(int64_t y, const int32_t* fromX, const int32_t* fromY);
  void AddLines(int64_t a, int64_t b, const Gap& gap);
  int32_t RunOf(int64_t x, const Gap& gap);

  const RegionRuns& mMap;
  NearestRows mRows;
  NearestRowVisitor mVisit;
  LineSpans::Band mBand;
  int32_t mX = -1, mY = -1, mRun = -1;  // the last pixel asked for, and its answer
  std::vector<int32_t> mRowOf, mRunOf;  // per column, the last pixel asked for there
  size_t mAboveHint = 0, mBelowHint = 0;
};

// The map under the lines of `mask` whose runs `runs` holds, labelled or
// not, each span naming its run: the rows `scanned` leaves, found from the
// first row on by a finder as the page was scanned, a band of rows a core.
// Throws std::invalid_argument when the mask and the runs differ in size,
// or `scanned` holds other rows.
LineSpans FindLineSpans(const RegionMask& mask, const RegionRuns& runs, LineSpans::Band scanned = {});

}  // namespace tessel::flats
