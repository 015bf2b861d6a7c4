#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/files/Result.h"

// Longest path the system takes, terminator included. A longer one is refused
// with a clear line instead of being cut to name some other file.
inline constexpr std::size_t kPathMax = 4096;

// What reading a file came to: 0, or an errno value (ENOENT for a missing
// file, EFBIG for one larger than the limit), with the whole reason, path
// included, in `reason`. `size` is the file's size when it could be seen.
struct FileRead {
  int error = 0;
  std::uint64_t size = 0;
  Reason reason;
};

// "'path': reason" for an errno value, in the system's words.
Reason DescribePathError(const std::string& path, int error);

// A failure when a path is empty or longer than the system takes.
Result CheckPathLength(const std::string& path);

// Reads a whole regular file of at most `limit` bytes. Folders, pipes and
// devices are refused without reading (a pipe with no writer would hang a
// blocking read; /dev/zero never ends).
FileRead ReadRegularFile(const std::string& path, std::uint64_t limit, std::vector<std::uint8_t>& bytes);
