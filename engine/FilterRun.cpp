// The start selector: one whole run of the filter, from the run's parameters
// through the scan and the joining pass to the stores written back.
#include <string>

#include <boost/filesystem.hpp>

#include "engine/Messages.h"
#include "engine/PSPalette.h"
#include "interface/FolderNames.h"
#include "plugin/Tessel.h"

namespace {

constexpr short kPresetsPathSize = 2048;

// The colour planes of the image (a layer's own when the filter works on one).
int ImagePlanes(const FilterRecord& record) {
  return record.filterCase > filterCaseFlatImageWithSelection ? record.outLayerPlanes : record.planes;
}

// The planes the fill tests and paints: at most 4; 3 when the host names none.
uint8_t PaintedPlanes(int imagePlanes) {
  if (imagePlanes > 4) return 4;
  if (imagePlanes < 1) return 3;
  return static_cast<uint8_t>(imagePlanes);
}

std::string ImageNotDeliveredMessage(OSErr code) {
  return kImageNotDeliveredMessage + std::to_string(code) + ").";
}

}  // namespace

int16_t CTessel::DoStart() {
  CTesselParams params;
  if (ReadScript(params) && !ReadParamBlock(params)) return filterBadParameters;

  FilterRecord& record = *mFilterRecord;
  const int imagePlanes = ImagePlanes(record);
  mPlanes = PaintedPlanes(imagePlanes);
  mPaintAA = params.paintAntiAliased != 0;
  // The tolerance test knows the fill colour only as the host converts it; a
  // guess (the bounds' previous bytes, black) would flood the line art.
  unsigned char fill[4];
  if (!mPaintAA && !ConvertColor(params.fillColor, fill)) {
    Alert(kFillColorNotConvertedMessage);
    return filterBadParameters;
  }
  SetFillColor(params.fillColor, params.tolerance);

  if (!params.randomColors) {
    try {
      char presets[kPresetsPathSize] = {};
      GetPresetsPath(presets, kPresetsPathSize);
      if (presets[0]) {
        boost::filesystem::path swatches(presets);
        swatches /= kPrefsName[kSwatchFolderNameIndex];
        swatches /= params.paletteName;
        mPalette = new CPSPalette(swatches.string().c_str());
      }
    } catch (...) {
      // Without a palette the regions get random colours.
    }
  }

  if (!record.advanceState) return filterBadParameters;
  record.outLoPlane = 0;
  record.outHiPlane = static_cast<int16_t>((imagePlanes > 0 ? imagePlanes : mPlanes) - 1);
  record.outRect = VRect{0, 0, record.imageSize.v, record.imageSize.h};
  const OSErr delivered = record.advanceState();
  if (delivered != noErr) {
    record.outRect = VRect{0, 0, 0, 0};
    Alert(ImageNotDeliveredMessage(delivered).c_str());
    WriteScript(params);
    WriteParamBlock(params);
    return delivered;
  }

  bool found = false;
  const int16_t result = ScanImage(params, found);
  if (result == filterBadParameters) {
    // No colour can paint under these settings: the page is left as it was.
    record.outRect = VRect{0, 0, 0, 0};
    Alert(kNoPaintColorMessage);
    return result;
  }
  if (params.joinAreas) DoJoinAreas(params);
  record.outRect = VRect{0, 0, 0, 0};
  if (!found) Alert(kFillColorNotFoundMessage);
  WriteScript(params);
  WriteParamBlock(params);
  return result;
}
