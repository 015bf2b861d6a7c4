#pragma once

#include <cstddef>
#include <string>

class Console;

// The rewind history's memory: at least a minute of snapshots fits.
inline constexpr std::size_t kRewindBudgetBytes = 32u << 20;

// Save-state files: the console's state as SaveState writes it, in a file of
// its own. Reading refuses anything but a regular file of a state's size;
// writing goes to a temporary file renamed over the target when complete.
// False with the reason in `error`; a refused state changes nothing.
bool ReadStateFile(const std::string& path, Console& console, std::string& error);
bool WriteStateFile(const std::string& path, const Console& console, std::string& error);
