// A libzip archive written straight into a file already made (a pending
// output's temporary file). libzip's own file source writes a temporary file
// of its own beside its target and renames it over, and a process ended at
// once (a second Ctrl-C) would leave that one behind.
#pragma once

#include <zip.h>

#include <string>

namespace tessel::io {

// A new, empty archive whose zip_close writes it into `path`, from its first
// byte. Null when libzip refuses, with the reason in `error`.
zip_t* CreateZipInFile(const std::string& path, zip_error_t* error);

}  // namespace tessel::io
