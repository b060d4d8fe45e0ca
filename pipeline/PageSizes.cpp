#include "pipeline/PageSizes.h"

#include <cmath>
#include <cstdio>

#include "base/ParamItems.h"
#include "pipeline/PageOptions.h"

namespace tessel::pipeline {

namespace {

constexpr double kMillimetresPerInch = 25.4;

const PageOption& CloseGapsOption() {
  for (const PageOption& option : PageOptionList())
    if (std::holds_alternative<base::TypedSize PageOptions::*>(option.member)) return option;
  throw std::logic_error("no page option takes a size");
}

const parameter::Declaration& DeclarationOf(DescriptorKeyID key) {
  for (const parameter::Declaration& declared : parameter::kDeclarations)
    if (declared.key == key) return declared;
  throw std::logic_error("a size under a key no parameter is declared with");
}

std::string Given(const char* option, const base::TypedSize& size) {
  return "--" + std::string(option) + " " + size.text();
}

// The size in pixels, held to what the option takes.
int32_t InPixels(const char* option, const base::TypedSize& size, double pixelsPerMillimetre, int64_t high,
                 const std::string& page) {
  const double pixels = size.Pixels(pixelsPerMillimetre);
  if (pixels <= static_cast<double>(high)) return static_cast<int32_t>(pixels);
  char resolution[64];
  std::snprintf(resolution, sizeof resolution, "%g dpi", std::round(pixelsPerMillimetre * kMillimetresPerInch));
  throw SettingsError(page + ": " + Given(option, size) + " is " + std::to_string(static_cast<int64_t>(pixels)) +
                      " px at " + resolution + ", more than the " + std::to_string(high) + " px it may be");
}

}  // namespace

void RequireFittingUnits(const RunSettings& settings) {
  if (settings.closeGaps.area())
    throw SettingsError(Given(CloseGapsOption().name, settings.closeGaps) +
                        ": a gap is a length; give it in px, mm, in or pt");
  const bool byArea = base::params::RecordOf(settings.replay).measureByArea != 0;
  for (const auto& [key, size] : settings.sizes)
    if (size.area() != byArea)
      throw SettingsError(Given(DeclarationOf(key).option.name, size) + ": regions are measured by " +
                          (byArea ? "area (their pixel count), so give it in px, mm2 or in2"
                                  : "extent (their width and height), so give it in px, mm, in or pt") +
                          ", or measure them the other way with --size-by");
}

bool NeedsResolution(const RunSettings& settings) { return settings.closeGaps.physical() || !settings.sizes.empty(); }

PixelSizes SizesFor(const RunSettings& settings, double pixelsPerMillimetre, const std::string& page) {
  if (settings.dpi > 0) pixelsPerMillimetre = settings.dpi / kMillimetresPerInch;
  if (NeedsResolution(settings) && !(pixelsPerMillimetre > 0)) {
    const std::string given = settings.closeGaps.physical()
                                  ? Given(CloseGapsOption().name, settings.closeGaps)
                                  : Given(DeclarationOf(settings.sizes.begin()->first).option.name,
                                          settings.sizes.begin()->second);
    throw SettingsError(page + ": the page has no resolution to take " + given +
                        " at; give --dpi, or the size in px");
  }
  const PageOption& closeGaps = CloseGapsOption();
  PixelSizes sizes{InPixels(closeGaps.name, settings.closeGaps, pixelsPerMillimetre, closeGaps.high, page),
                   settings.replay};
  for (const auto& [key, size] : settings.sizes) {
    const parameter::Option& option = DeclarationOf(key).option;
    sizes.replay.Put({key, InPixels(option.name, size, pixelsPerMillimetre, option.high, page)});
  }
  return sizes;
}

}  // namespace tessel::pipeline
