// Texts the filter shows the user in its warning alert.
#pragma once

// Shown when no colour can paint a region without passing for the colour to
// fill (the fill would never end) or for line art; the image is left as it was.
constexpr const char* kNoPaintColorMessage =
    "No paint colour can be told apart from the colour to fill.\n"
    "Turn off anti-aliased painting, lower the tolerance, or convert the image to RGB.";

// Shown after a run in which no pixel had the colour to fill.
constexpr const char* kFillColorNotFoundMessage =
    "The color to fill was not found in the image!\nCheck the color in the Tesseled Color swatch.";

// Shown when the host could not hand over the image; the host's code follows.
constexpr const char* kImageNotDeliveredMessage = "The image could not be read from the host (error ";

// Shown when the host cannot express the colour to fill in the image's mode
// while the tolerance test needs it; the image is left as it was.
constexpr const char* kFillColorNotConvertedMessage =
    "The color to fill could not be converted into the image's color mode.\n"
    "Turn on anti-aliased painting, or convert the image to RGB.";
