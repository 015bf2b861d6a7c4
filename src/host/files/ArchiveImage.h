#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Cartridge images kept inside an archive: .zip and .7z hold any number of
// entries, of which the first named *.sms or *.gg (any case) is the image;
// .gz holds one stream, the image named after the archive less ".gz".

// True for a path ending in .zip, .7z or .gz (any case).
bool IsArchivePath(const std::string& path);

// Reads the image inside the archive at `path`: its bytes, and the entry's
// name without folders (e.g. "game.gg"), which decides Game Gear or Master
// System as a file name would. Entries larger than a cartridge are refused
// before they are read; archives inside the archive are not opened. False
// with the path and the reason in `error` (libarchive's for a corrupt
// archive, "no .sms or .gg image inside" when there is none); `bytes` is then
// empty.
bool ReadArchiveImage(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& entryName,
                      std::string& error);
