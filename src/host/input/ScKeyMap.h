#pragma once

#include <cstdint>
#include <span>

#include "console/FrameInput.h"

// The SC-3000's keyboard on a PC keyboard: each key where the SC-3000 has its
// own (letters, digits, the row ends), the rest on keys near their meaning.
// Keys are PC scan codes (set 1, 0x80 added for the extended keys), as the
// key bindings use. The pads stay on their own keys: a key that types and
// drives a pad does both, but a typing key's other actions (pause, reset,
// the toggles) are left out while the SC-3000 runs, and Page Up is its
// RESET key (the processor's NMI, the Master System's Pause).
struct ScKeyMapping {
  std::uint8_t scanCode;
  const char* hostKey;  // the PC key's name, as the key map shows it
  const char* scKey;    // the SC-3000 key's legend (ScKeys)
};

std::span<const ScKeyMapping> ScKeyMap();

// The PC key that is the SC-3000's RESET key.
inline constexpr std::uint8_t kScResetScanCode = 0xC9;  // Page Up

// True for a PC key that types on the SC-3000.
bool TypesOnSc3000(std::uint8_t scanCode);

// Adds the SC-3000 keys that the held PC keys (indexed by scan code,
// nonzero while held) press.
void PressScKeys(const std::uint8_t (&held)[256], FrameInput& input);
