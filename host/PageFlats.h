// Flats in a page run: the page is kept as read before the filter paints it,
// and the filter's result is turned into the flats output afterwards.
#pragma once

#include <string>

#include "host/ImageFile.h"
#include "host/PageRun.h"

namespace tessel::host {

// A copy of the page as read, for the flats to be made from afterwards.
ImageBuffer KeepPage(const ImageBuffer& page);

// Turns the filter's `result` (painted over `asRead`) into the output
// `kind` asks for, in place, timing each step. A page the filter painted
// nothing on gets paper-white flats, so its merged output is the page itself.
// A Lab page with a merged output must be refused beforehand: multiplying
// has no meaning in Lab.
void MakeFlats(const ImageBuffer& asRead, ImageFile& result, FlatsOutput kind, PageTimings& timings);

// Whether `kind` needs the page multiplied over the flats, and so refuses
// Lab pages; the reason, naming `page`.
bool MergesOver(FlatsOutput kind);
std::string LabMergeRefusal(const std::string& page);

}  // namespace tessel::host
