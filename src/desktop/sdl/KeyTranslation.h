#pragma once

#include <SDL_scancode.h>

#include <cstdint>
#include <string>

// SDL names keys by their USB usage; the emulator's key map is indexed by
// PC keyboard scan codes (set 1, with 0x80 added for the extended keys:
// Up 0xC8, Left 0xCB, Right 0xCD, Down 0xD0). This is the bridge.

// The PC scan code of an SDL scancode, or 0 for a key the PC set lacks.
std::uint8_t PcScanCode(SDL_Scancode scancode);

// Fills `keys` (indexed by PC scan code) from SDL's keyboard state array
// (indexed by SDL scancode, `count` entries): nonzero while held.
void TranslateKeyboardState(const std::uint8_t* sdlState, int count, std::uint8_t (&keys)[256]);

// The name of a key as SDL gives it ("Right", "D", "Left Shift", "F1"):
// what the settings file keeps. Empty for 0 or a code no key has.
std::string KeyName(std::uint8_t pcScanCode);
// The name the Keys dialog shows, in the player's language ("Haut",
// "Espace", "Maj gauche"); letters, digits and F-keys as SDL names them.
std::string ShownKeyName(std::uint8_t pcScanCode);
// The reverse of KeyName, case aside; 0 for a name of no key the PC set has.
std::uint8_t KeyFromName(const std::string& name);
