#pragma once

#include <cstddef>
#include <string>

#include "host/files/Result.h"

class Console;

// The rewind history's memory: at least a minute of snapshots fits.
inline constexpr std::size_t kRewindBudgetBytes = 32u << 20;

// Save-state files: the console's state as SaveState writes it, in a file of
// its own. Reading refuses anything but a regular file of a state's size;
// writing goes to a temporary file renamed over the target when complete.
// A failure says why (without the path); a refused state changes nothing.
Result ReadStateFile(const std::string& path, Console& console);
Result WriteStateFile(const std::string& path, const Console& console);
