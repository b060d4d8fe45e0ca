// What the module writes to standard error while it runs: without a window
// system its alerts come as text there, and a host inside another program
// (the GIMP plug-in, the C interface) passes them on to its caller.
#pragma once

#include <string>

namespace tessel::host {

class FilterTexts {
 public:
  // Standard error goes to a temporary file from now on; when none can be
  // made it stays where it was and nothing is collected.
  FilterTexts();
  // Restores standard error, if Collect has not.
  ~FilterTexts();
  FilterTexts(const FilterTexts&) = delete;
  FilterTexts& operator=(const FilterTexts&) = delete;

  // Restores standard error and answers what was written meanwhile, without
  // a trailing line feed.
  std::string Collect();

 private:
  int mSaved = -1;  // the real standard error while collecting
  int mFile = -1;
};

}  // namespace tessel::host
