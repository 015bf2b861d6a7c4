#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads the console's boot program that the player supplies: a regular file
// of 1 byte up to Console::kMaxBiosSize. False with the path and the reason
// in `error` otherwise; the bytes are then empty.
bool ReadBiosFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);
