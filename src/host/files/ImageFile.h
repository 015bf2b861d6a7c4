#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cartridge/Cartridge.h"
#include "console/Console.h"
#include "host/files/Result.h"

// A cartridge image holds 1 to Cartridge::kMaxPages pages of 16 KB (4 MB),
// possibly after a copier's header shorter than a page.
inline constexpr std::uint64_t kImagePageSize = Cartridge::kPageSize;
inline constexpr std::uint64_t kImageMaxPages = Cartridge::kMaxPages;
inline constexpr std::uint64_t kImageMaxBytes = kImageMaxPages * kImagePageSize + kImagePageSize - 1;

// Reads a cartridge image: a regular file of one page (or `minimum` bytes)
// up to kImageMaxPages plus a header. Otherwise a failure naming the path and
// the reason (missing, a folder, not a regular file, permission denied, read
// error, too small, too large); the bytes are then empty.
Result ReadImageFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                     std::uint64_t minimum = kImagePageSize);

// "too small (N bytes); a cartridge holds at least ...", for an image or an
// archive's entry of `size` bytes below `minimum`.
Reason TooSmall(std::uint64_t size, std::uint64_t minimum);

// The SG-1000's and SC-3000's cartridges came from 2 KB up: their images
// (named *.sg or *.sc, or run on those consoles) may be any size from a byte.
inline constexpr std::uint64_t kOlderImageMinimum = 1;
// The smallest image the console `chosen` runs (kFromImage: the one the
// path's name says) takes: kOlderImageMinimum or a page.
std::uint64_t ImageMinimum(ConsoleKind chosen, const std::string& path);
