#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "desktop/sdl/KeyTranslation.h"
#include "host/input/KeyAction.h"

namespace {

TEST(KeyTranslation, BoundKeysReachTheirPcScanCodes) {
  struct Case {
    const char* name;
    SDL_Scancode sdl;
    std::uint8_t pc;
  };
  const Case cases[] = {
      {"Up", SDL_SCANCODE_UP, 0xC8},       {"Down", SDL_SCANCODE_DOWN, 0xD0},
      {"Left", SDL_SCANCODE_LEFT, 0xCB},   {"Right", SDL_SCANCODE_RIGHT, 0xCD},
      {"Z", SDL_SCANCODE_Z, 0x2C},         {"X", SDL_SCANCODE_X, 0x2D},
      {"I", SDL_SCANCODE_I, 0x17},         {"K", SDL_SCANCODE_K, 0x25},
      {"J", SDL_SCANCODE_J, 0x24},         {"L", SDL_SCANCODE_L, 0x26},
      {"Q", SDL_SCANCODE_Q, 0x10},         {"W", SDL_SCANCODE_W, 0x11},
      {"R", SDL_SCANCODE_R, 0x13},         {"S", SDL_SCANCODE_S, 0x1F},
      {"P", SDL_SCANCODE_P, 0x19},         {"F", SDL_SCANCODE_F, 0x21},
      {"Space", SDL_SCANCODE_SPACE, 0x39}, {"Escape", SDL_SCANCODE_ESCAPE, 0x01},
      {"Return", SDL_SCANCODE_RETURN, 0x1C}, {"keypad Enter", SDL_SCANCODE_KP_ENTER, 0x9C},
      {"right Ctrl", SDL_SCANCODE_RCTRL, 0x9D}, {"Home", SDL_SCANCODE_HOME, 0xC7},
      {"F12", SDL_SCANCODE_F12, 0x58},     {"keypad 8 is not Up", SDL_SCANCODE_KP_8, 0x48},
      {"no PC key", SDL_SCANCODE_F24, 0},  {"unknown", SDL_SCANCODE_UNKNOWN, 0},
      {"out of range", static_cast<SDL_Scancode>(SDL_NUM_SCANCODES), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PcScanCode(c.sdl), c.pc);
  }
}

TEST(KeyTranslation, EveryBoundKeyHasAnSdlKeyAndNoTwoKeysShareACode) {
  int sdlFor[256] = {};
  for (int code = 0; code < SDL_NUM_SCANCODES; ++code) {
    std::uint8_t pc = PcScanCode(static_cast<SDL_Scancode>(code));
    if (!pc) continue;
    SCOPED_TRACE(testing::Message() << "SDL " << code << " and SDL " << sdlFor[pc] << " -> PC " << int(pc));
    EXPECT_EQ(sdlFor[pc], 0);
    sdlFor[pc] = code;
  }
  for (const DefaultBinding& binding : kDefaultKeyBindings) {
    SCOPED_TRACE(testing::Message() << "PC scan code " << int(binding.scanCode));
    EXPECT_NE(sdlFor[binding.scanCode], 0);
  }
}

TEST(KeyTranslation, KeyboardStateIsTranslatedWholesale) {
  struct Case {
    const char* name;
    std::vector<SDL_Scancode> held;
    std::vector<std::uint8_t> pressed;
  };
  const Case cases[] = {
      {"nothing", {}, {}},
      {"Up and Z", {SDL_SCANCODE_UP, SDL_SCANCODE_Z}, {0xC8, 0x2C}},
      {"a key without PC code is dropped", {SDL_SCANCODE_F24, SDL_SCANCODE_P}, {0x19}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint8_t state[SDL_NUM_SCANCODES] = {};
    for (SDL_Scancode code : c.held) state[code] = 1;
    std::uint8_t keys[256];
    std::memset(keys, 0xAA, sizeof keys);  // leftovers must be cleared
    TranslateKeyboardState(state, SDL_NUM_SCANCODES, keys);
    std::vector<std::uint8_t> pressed;
    for (int k = 0; k < 256; ++k) {
      if (keys[k]) pressed.push_back(static_cast<std::uint8_t>(k));
    }
    std::sort(pressed.begin(), pressed.end());
    std::vector<std::uint8_t> expected = c.pressed;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(pressed, expected);
  }
  // A short state array (an older SDL) is read only as far as it goes.
  std::uint8_t shortState[SDL_SCANCODE_Z + 1] = {};
  shortState[SDL_SCANCODE_Z] = 1;
  std::uint8_t keys[256];
  TranslateKeyboardState(shortState, SDL_SCANCODE_Z + 1, keys);
  EXPECT_EQ(keys[0x2C], 1);
  TranslateKeyboardState(nullptr, 0, keys);
  EXPECT_EQ(keys[0x2C], 0);
}

}  // namespace
