#pragma once

#include <cstdint>

#include "host/input/InputSource.h"

// How SDL's joysticks and game controllers become the 0-65535 axes and
// numbered buttons the input part reads.

// SDL axes run from -32768 to 32767; the input part's from 0 to 65535 with
// the centre at 0x8000.
std::int32_t AxisFromSdl(std::int16_t value);

// A raw joystick's hat (SDL_HAT_* bits): a pushed hat counts as the stick
// pushed fully that way, so pads whose d-pad is a hat steer too.
void ApplyHat(std::uint8_t hat, JoystickState& state);

// One reading of a game controller, by SDL's standard layout.
struct ControllerReading {
  std::int16_t leftX = 0, leftY = 0;
  bool up = false, down = false, left = false, right = false;
  bool a = false, b = false, x = false, y = false;
  bool start = false, back = false;
};

// The controller as the console's pad sees it: the left stick and the d-pad
// steer (the d-pad wins); A or X is button 1, B or Y button 2 (buttons 0 and
// 1 of the joystick state); Start is the Game Gear Start (button 2) and Back
// the pause button (button 3).
void ControllerToJoystick(const ControllerReading& reading, JoystickState& state);
