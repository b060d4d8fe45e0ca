// The Tessel filter: the framework's concrete filter, holding the state of one
// run. Its operations live with the subsystem that owns them (engine/,
// persistence/, ui/); this header is the one declaration of the class.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/ScanlineFill.h"
#include "engine/TesselParams.h"
#include "plugin/PSFilter.h"

class CPSPalette;

// The version text of the About box and the parameters dialog.
inline const char kTesselVersionText[] = "v1.12";

// A region's seed; 32-bit so that seeds anywhere on the largest page fit.
struct JoinPoint {
  uint32_t x;
  uint32_t y;
};

class CTessel : public CPSFilter {
 public:
  CTessel();
  ~CTessel() override;

  // Shows the About box; always 0.
  int16_t DoAbout() override;
  // Asks the host for no buffer space; always 0.
  int16_t DoPrepare() override;
  // Runs the parameters dialog (unless a replayed action wants none) and
  // saves what the user accepted: 0; -128 when the user cancels; -30100 when
  // the dialog cannot be created (no display, window resource missing).
  int16_t DoParameters() override;
  // One whole run: 0; -128 after an abort; -30100 without usable parameters,
  // without advanceState, or when no colour can paint; else advanceState's code.
  int16_t DoStart() override;

  // ---- Image scan and area filling
  // Sets the fill test's bounds from `color` converted to the image mode.
  void SetFillColor(_t_ASRGBColor& color, unsigned int tolerance);
  // Whether mPaintColor may paint: it must fail the fill test and (unless
  // allowDark) not be dark enough to pass for line art.
  bool ValidatePaintColor(bool allowDark);
  // Chooses the next paint colour into mPaintColor.
  void NextColor();
  void AddJoinArea(uint32_t x, uint32_t y);
  // Fills every region of the delivered image; 0, or -128 after an abort.
  int16_t ScanImage(CTesselParams& params, bool& found);

  // ---- Scanline flood fill
  // The fill callback: paints (x, y) when it passes the fill test.
  static bool FillFunc(int64_t x, int64_t y);
  // `firstOfRegion`: (x, y) is a scan's seed, the region's first pixel.
  void FloodFill(uint32_t x, uint32_t y, bool firstOfRegion = false);

  // ---- Small-area joining
  // Gives each listed region the colour of the nearest pixel that could paint;
  // a region without one keeps the flag colour. Searches give up beyond
  // `ringLimit` rings (the generator's own limit when not given).
  void DoJoinAreas(CTesselParams& params);
  void DoJoinAreas(CTesselParams& params, uint16_t ringLimit);

  // ---- Preferences file
  void ReadPrefs(CTesselParams& params);
  void WritePrefs(CTesselParams& params);

  // ---- Scripting descriptor
  // True when the dialog's values are wanted rather than the descriptor's.
  bool ReadScript(CTesselParams& params);
  // Records `params` as the host's descriptor; nothing without descriptor services.
  void WriteScript(CTesselParams& params);
  // Reads the colour object at the reader's current item; the host's answer.
  // `color` keeps its value when the object cannot be fetched or opened.
  int16_t ReadColor(_t_ASRGBColor& color, PIReadDescriptor& token);

  // ---- Parameter block
  // Writes nothing when the host cannot supply a block of the record's size.
  void WriteParamBlock(CTesselParams& params);
  // True when the block held a valid record; an invalid one resets `params`.
  bool ReadParamBlock(CTesselParams& params);

  std::vector<JoinPoint> mJoinList;
  uint64_t mAreaCount;
  int64_t mMinX, mMinY;
  int64_t mMaxX, mMaxY;
  uint8_t mPlanes;
  uint8_t mFillLow[4];
  uint8_t mFillHigh[4];
  uint8_t mPaintColor[4];
  CPSPalette* mPalette;
  bool mPaintAA;
  // Working storage of the flood fill, kept between fills.
  std::vector<FillSegment> mPendingSegments;
};

// The most recently constructed filter: the static fill callback's object.
extern CTessel* sTesselFilter;
