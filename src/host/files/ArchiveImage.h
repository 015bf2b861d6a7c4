#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cartridge/Cartridge.h"
#include "host/files/Result.h"

// Cartridge images kept inside an archive: .zip and .7z hold any number of
// entries, of which the first named *.sms, *.gg, *.sg or *.sc (any case) is the image;
// .gz holds one stream, the image named after the archive less ".gz".

// True for a path ending in .zip, .7z or .gz (any case).
bool IsArchivePath(const std::string& path);

// Reads the image inside the archive at `path`: its bytes, and the entry's
// name without folders (e.g. "game.gg"), which decides the console as a
// file name would. Entries larger than a cartridge are refused before they
// are read, and entries smaller than `minimum` (a page) after, but an .sg or
// .sc entry may be any size; archives inside the archive are not opened.
// Otherwise a failure naming the path and the reason (libarchive's in the log
// for a corrupt archive, "no .sms, .gg, .sg or .sc image inside" when there
// is none); `bytes` is then empty.
Result ReadArchiveImage(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& entryName,
                        std::uint64_t minimum = Cartridge::kPageSize);
