#pragma once

#include <string>

// Puts the built-in demo cartridge where it can keep a battery RAM file
// (the user's data folder, else the temporary folder) and returns its path;
// empty with a reason in `error` when no folder takes it.
std::string InstallDemoImage(std::string& error);
