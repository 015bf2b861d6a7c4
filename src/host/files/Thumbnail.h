#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/files/Result.h"

// A small copy of the picture kept beside a save state, in a file of its own
// ("<state file>.thumb"): the state file's format is not touched, and a state
// without one loads as before. The file: "TVTN", a version byte (1), the
// width and the height (one byte each, at most kThumbnailMaxWidth x
// kThumbnailMaxHeight), then the pixels as 8-bit R, G, B, row by row, and
// nothing after them.
inline constexpr int kThumbnailMaxWidth = 64;
inline constexpr int kThumbnailMaxHeight = 48;

struct Thumbnail {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3 bytes
  bool Empty() const { return width == 0 || height == 0; }
};

// The picture (8-bit RGB, `width` x `height`) shrunk by a whole factor, each
// pixel the mean of its block, to fit kThumbnailMaxWidth x kThumbnailMaxHeight:
// 256 x 192 gives 64 x 48, the Game Gear's 160 x 144 gives 53 x 48.
Thumbnail ShrinkPicture(const std::uint8_t* rgb, int width, int height);

// The sidecar file of a state file.
std::string ThumbnailPath(const std::string& statePath);

Result WriteThumbnail(const std::string& path, const Thumbnail& thumbnail);
// The thumbnail of `path`; false (and `thumbnail` empty) for a missing file
// and for anything but a well-formed one: another magic or version, a size of
// 0 or over the maximum, or a length other than the pixels'. A file is never
// read past the largest well-formed length.
bool ReadThumbnail(const std::string& path, Thumbnail& thumbnail);
