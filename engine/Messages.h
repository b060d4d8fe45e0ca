// Texts the filter shows the user in its warning alert.
#pragma once

// Shown when no colour can paint a region without passing for the colour to
// fill (the fill would never end) or for line art; the image is left as it was.
constexpr const char* kNoPaintColorMessage =
    "No paint colour can be told apart from the colour to fill.\n"
    "Turn off anti-aliased painting, lower the tolerance, or convert the image to RGB.";
