// The calls the GIMP 2.10 and GIMP 3 tests make of the plug-in, each with
// the tessel command's options that must give the same pixels, and what
// each GIMP's runner (Gimp2Runner.cpp, Gimp3Runner.cpp) does with them.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <boost/filesystem.hpp>

#include "io/ImageFile.h"

namespace tessel::test {

struct Rgb {
  int red, green, blue;
};
// A switch, a number, a text or a colour, as both GIMPs' scripts can write it.
using ArgumentValue = std::variant<bool, int, std::string, Rgb>;
struct Argument {
  std::string name;
  ArgumentValue value;
};

// The filter's arguments after the drawable, in GIMP 2.10's order, at the
// command's defaults; each of `changed` takes the place of its name's, and
// any other name (GIMP 3's flats steps) is put after them.
std::vector<Argument> Arguments(const std::vector<Argument>& changed = {});

struct Selection {
  int64_t x, y, width, height;
};

enum class Gimps { kBoth, kGimp2, kGimp3 };

struct Case {
  std::string name;
  int planes;  // of the page: 1 grey, 3 RGB, 4 RGB with transparency
  std::vector<Argument> arguments;
  std::vector<std::string> options;  // the tessel command's for the same settings
  std::optional<Selection> selection{};
  Gimps gimps = Gimps::kBoth;
  std::string procedure = "plug-in-tessel";
  bool lastValues = false;    // run as Repeat does, with the last values
  std::string savedLayer{};   // the layer saved, by name; none: each drawable flatted
  bool sixteenBits = false;   // the page is a 16-bit file
  bool floatingPoint = false; // GIMP holds it in 32-bit floating point (saving it with 16 bits)
  int layers = 1;             // copies of the page's layer, flatted in one call
  bool inGroup = false;       // the page's layer is put in a group layer, which is called
  std::string refusal{};      // the plug-in is to refuse it, saying this; nothing is saved
  bool ink = false;           // black ink whose transparency is its coverage, black too where it has none
  std::optional<Selection> layerBounds{};  // the layer cut down to these, on the canvas
  std::string notice{};       // the plug-in runs through leaving the page as it was, saying this
  // With hints: the argument given for them, "layer" for the layer "Hints"
  // loaded over the page, "drawable" for the page's own drawable (which a
  // run with last values must pass over for "Hints") or "other-image" for
  // the hints loaded as an image of their own (GIMP 3).
  std::string hintsArgument{};
};

// Every case of the GIMP of `version` (2 or 3).
std::vector<Case> CasesOf(int version);

// One case's files: its page, and the file saved of each drawable flatted
// (for a refused case, the files that must not appear).
struct Job {
  const Case* c;
  boost::filesystem::path in;
  std::vector<boost::filesystem::path> outs;
  boost::filesystem::path hints;  // the image of the layer "Hints"; empty: none
};

// One GIMP's way of running the cases, all in one headless process.
struct GimpRunner {
  int version;
  // What the log holds for each case that runs through.
  const char* ranThrough;
  // What it holds for each refused case: GIMP 2.10's Script-Fu batch
  // command fails with the plug-in, GIMP 3's Python checks the refusal and
  // runs through.
  const char* refused;
  bool refusedRunsThrough;
  // Writes the scripts of `jobs` into `work` and answers the shell command
  // that runs them, its per-user GIMP folder in `home`.
  std::string (*command)(const std::vector<Job>& jobs, const boost::filesystem::path& work,
                         const boost::filesystem::path& home);
};

// The runner this test program is built with.
extern const GimpRunner kRunner;

// The page of a case, drawn from `seed`.
io::ImageFile MakePage(const Case& c, uint32_t seed);
// Dabs of three colours and a stroke across, over transparency.
io::ImageFile MakeHints();
io::ImageFile Crop(const io::ImageFile& page, const Selection& s);
void Paste(io::ImageFile& page, const io::ImageFile& part, const Selection& s);

// "path", for scripts.
std::string Quoted(const boost::filesystem::path& path);

}  // namespace tessel::test
