// Colour words, the 3-D glasses' mix and the Game Gear's scaler.
#include "vdp/ScreenColours.h"

#include <cstring>

namespace {

constexpr int kWidth = 256;
constexpr int kHeight = 192;

// The components of a colour word, and back.
struct Rgb {
  int r, g, b;
};
Rgb Split(std::uint16_t word) { return {word & 0x0F, (word >> 4) & 0x0F, (word >> 8) & 0x0F}; }
std::uint16_t Join(int r, int g, int b) { return static_cast<std::uint16_t>(r | g << 4 | b << 8); }

// The scaler's source: 240 columns (8-247) become 160 and all 192 lines
// become 144. Unverified: which 16 columns the handheld leaves out; the
// leftmost 8 are the ones Master System programs most often blank.
constexpr int kFirstColumn = 8;

}  // namespace

std::uint16_t ColourWord(const std::uint8_t* colourRam, int index, bool gameGearColours) {
  index &= 31;
  if (gameGearColours) {
    return static_cast<std::uint16_t>((colourRam[index * 2] | colourRam[index * 2 + 1] << 8) & 0x0FFF);
  }
  const int c = colourRam[index];
  return Join((c & 3) * 5, ((c >> 2) & 3) * 5, ((c >> 4) & 3) * 5);
}

void FrameColours(const std::uint8_t* frame, const std::uint8_t* colourRam, bool gameGearColours,
                  std::uint16_t* out) {
  std::uint16_t palette[32];
  for (int index = 0; index < 32; ++index) palette[index] = ColourWord(colourRam, index, gameGearColours);
  for (int at = 0; at < kWidth * kHeight; ++at) out[at] = palette[frame[at] & 31];
}

void MixAnaglyph(const std::uint16_t* left, const std::uint16_t* right, std::uint16_t* out) {
  for (int at = 0; at < kWidth * kHeight; ++at) {
    out[at] = static_cast<std::uint16_t>((left[at] & 0x000F) | (right[at] & 0x0FF0));
  }
}

// The weights are those of a box filter: each screen pixel takes the source
// pixels under it in proportion to how much of it they cover. Across, three
// source pixels a, b, c make two screen pixels, (2a + b) / 3 and
// (b + 2c) / 3; down, four lines p, q, r, s make three, (3p + q) / 4,
// (q + r) / 2 and (r + 3s) / 4. This is the blending the handheld's scaler is
// documented to do (neighbours mixed, three pixels to two and four lines to
// three); its exact weights on the chip are unverified.
void ScaleToGameGearScreen(const std::uint16_t* in, std::uint16_t* out) {
  std::memset(out, 0, sizeof(std::uint16_t) * kWidth * kHeight);
  // One source line squeezed across, each component times 3.
  struct Squeezed {
    Rgb pixel[kGameGearScreenWidth];
  };
  auto squeeze = [&](int line, Squeezed& row) {
    const std::uint16_t* source = in + line * kWidth + kFirstColumn;
    for (int k = 0; k < kGameGearScreenWidth / 2; ++k) {
      const Rgb a = Split(source[3 * k]);
      const Rgb b = Split(source[3 * k + 1]);
      const Rgb c = Split(source[3 * k + 2]);
      row.pixel[2 * k] = {2 * a.r + b.r, 2 * a.g + b.g, 2 * a.b + b.b};
      row.pixel[2 * k + 1] = {b.r + 2 * c.r, b.g + 2 * c.g, b.b + 2 * c.b};
    }
  };
  // Down: the weights of each screen line's two source lines, out of 4.
  constexpr int kWeights[3][2] = {{3, 1}, {2, 2}, {1, 3}};
  constexpr int kSources[3][2] = {{0, 1}, {1, 2}, {2, 3}};
  Squeezed rows[4];
  for (int group = 0; group < kHeight / 4; ++group) {
    for (int k = 0; k < 4; ++k) squeeze(group * 4 + k, rows[k]);
    for (int k = 0; k < 3; ++k) {
      const Squeezed& upper = rows[kSources[k][0]];
      const Squeezed& lower = rows[kSources[k][1]];
      const int wu = kWeights[k][0];
      const int wl = kWeights[k][1];
      std::uint16_t* line = out + (kGameGearScreenY + group * 3 + k) * kWidth + kGameGearScreenX;
      for (int x = 0; x < kGameGearScreenWidth; ++x) {
        // Components are now out of 15 * 12: round to the nearest of 0-15.
        const Rgb& u = upper.pixel[x];
        const Rgb& l = lower.pixel[x];
        line[x] = Join((wu * u.r + wl * l.r + 6) / 12, (wu * u.g + wl * l.g + 6) / 12, (wu * u.b + wl * l.b + 6) / 12);
      }
    }
  }
}
