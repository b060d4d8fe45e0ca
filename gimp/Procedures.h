// The procedures the plug-ins give GIMP, the same in GIMP 2.10 and GIMP 3:
// their names, menu entries and documentation.
#pragma once

#include <cstring>

namespace tessel::gimp {

struct Procedure {
  const char* name;
  const char* label;  // the menu entry
  const char* blurb;
  const char* help;
  // The drawable stays as it was and the flats (as `tessel run --flats-only`
  // makes them) go on a new layer under it.
  bool flatsLayer;
  // The flats are coloured as `--hints` colours them with a layer of the
  // image, taken as one more argument after the others: GIMP 2.10's, whose
  // procedures take no optional argument. GIMP 3's flats procedure takes the
  // layer as an optional argument instead.
  bool hints;
};

inline constexpr Procedure kProcedures[] = {
    {"plug-in-tessel", "Tessel\u2026", "Flat line art: fill every region of one colour with a colour of its own",
     "Runs the Tessel filter module on the drawable, within the selection, exactly as the tessel command runs it. "
     "Interactively the module shows its own parameters dialog.",
     false, false},
    {"plug-in-tessel-flats", "Tessel Flats\u2026", "Flats of line art on a new layer under it",
     "Runs the Tessel filter module on the layer's pixels within the selection's bounds, as tessel run --flats-only "
     "does, and adds the flats, grown under the lines, as a new layer \"Flats\" under it; the layer itself is left "
     "as it was.",
     true, false},
    {"plug-in-tessel-flats-hints", "Tessel Flats with Hints\u2026",
     "Flats of line art on a new layer under it, coloured by hints",
     "As Tessel Flats, each region of the flats taking the colour most of the hints layer's pixels over it have "
     "(those at least half opaque, or in a layer without transparency not white), as tessel run --flats-only "
     "--hints does. Interactively the image's layers are offered for the hints, the layer \"Hints\" first.",
     true, true},
};

inline constexpr const char* kFlatsLayerName = "Flats";
// The layer a run with last values takes its hints from in GIMP 2.10, and
// the one GIMP 3's dialog offers first.
inline constexpr const char* kHintsLayerName = "Hints";

// The hints layer's argument: GIMP 2.10's hints procedure's last, GIMP 3's
// flats procedure's optional one.
inline constexpr const char* kHintsArgumentName = "hints";
inline constexpr const char* kHintsArgumentHelp =
    "Layer of the same image whose dabs of colour colour the regions under them: each region takes the colour most "
    "of its hint pixels (at least half opaque, or without transparency not white) have";

inline constexpr const char* kMenuPath = "<Image>/Filters/Artistic";
inline constexpr const char* kImageTypes = "RGB*, GRAY*";
inline constexpr const char* kAuthors = "The Tessel developers";
inline constexpr const char* kDate = "2026";

// The procedure called `name`, or null.
inline const Procedure* ProcedureNamed(const char* name) {
  for (const Procedure& procedure : kProcedures)
    if (name && std::strcmp(procedure.name, name) == 0) return &procedure;
  return nullptr;
}

}  // namespace tessel::gimp
