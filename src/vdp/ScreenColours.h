#pragma once

#include <cstdint>

#include "vdp/Video.h"

// Pictures as colours rather than colour indexes, for what the colour RAM
// alone cannot say: the Game Gear's scaled Master System picture, whose
// pixels blend neighbours, and the 3-D glasses' mix of two frames. A colour
// is a word of ----BBBBGGGGRRRR (the Game Gear's own colour format); a
// Master System component c (0-3) becomes 5c (0, 5, 10, 15).

// Colour `index` (0-31) of the colour RAM as a 12-bit word.
std::uint16_t ColourWord(const std::uint8_t* colourRam, int index, bool gameGearColours);

// The 256 x 192 frame of indexes as colour words through the colour RAM.
void FrameColours(const std::uint8_t* frame, const std::uint8_t* colourRam, bool gameGearColours,
                  std::uint16_t* out);

// Red from the left picture and green and blue from the right one, pixel by
// pixel: what red/cyan glasses need. Both are 256 x 192 colour words.
void MixAnaglyph(const std::uint16_t* left, const std::uint16_t* right, std::uint16_t* out);

// The handheld's Master System mode: the 256 x 192 picture `in` is scaled
// into the Game Gear's 160 x 144 window of `out` (also 256 x 192), the rest
// of `out` black. `in` and `out` must not overlap.
void ScaleToGameGearScreen(const std::uint16_t* in, std::uint16_t* out);
