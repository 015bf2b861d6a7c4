#pragma once

#include <cstdint>
#include <span>

#include "console/FrameInput.h"

// The SC-3000's keys as the 8255 sees them: a key's code is its row in the
// matrix (0-6, chosen by port C bits 0-2) times 16 plus its line (0-7 read
// on port A, 8-11 on port B). Row 7 is the two pads. The layout follows the
// machine's published matrix; Japanese keys keep their legends
// ("ENG DIER'S" switches the kana, "YEN" is the yen sign).
struct ScKey {
  std::uint8_t code;
  const char* name;  // the key's legend, as the key map shows it
};

// Every key of the matrix, row by row.
std::span<const ScKey> ScKeys();

// The code of the key with this legend (any case); false for none.
bool ScKeyFromName(const char* name, std::uint8_t& code);

// Marks a key held in a frame's controls.
inline void PressScKey(FrameInput& input, std::uint8_t code) {
  const int row = code >> 4;
  const int line = code & 15;
  if (row < kKeyboardRows && line < kKeyboardColumns) input.keyboard[row] |= static_cast<std::uint16_t>(1u << line);
}
