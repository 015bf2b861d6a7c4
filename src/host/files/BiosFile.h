#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/files/Result.h"

// Reads the console's boot program that the player supplies: a regular file
// of 1 byte up to Console::kMaxBiosSize. Otherwise a failure naming the path
// and the reason; the bytes are then empty.
Result ReadBiosFile(const std::string& path, std::vector<std::uint8_t>& bytes);
