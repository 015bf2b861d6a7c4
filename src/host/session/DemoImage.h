#pragma once

#include <string>

#include "host/files/Result.h"

// Puts the built-in demo cartridge where it can keep a battery RAM file
// (the user's data folder, else the temporary folder) and sets `path` to
// it; a failure, with `path` empty, when no folder takes it.
Result InstallDemoImage(std::string& path);
