#include "host/sdl/JoystickMapping.h"

#include <SDL_joystick.h>

std::int32_t AxisFromSdl(std::int16_t value) { return static_cast<std::int32_t>(value) + 32768; }

void ApplyHat(std::uint8_t hat, JoystickState& state) {
  if (hat & SDL_HAT_UP) state.y = 0;
  if (hat & SDL_HAT_DOWN) state.y = 0xFFFF;
  if (hat & SDL_HAT_LEFT) state.x = 0;
  if (hat & SDL_HAT_RIGHT) state.x = 0xFFFF;
}

void ControllerToJoystick(const ControllerReading& reading, JoystickState& state) {
  state = JoystickState{};
  state.x = AxisFromSdl(reading.leftX);
  state.y = AxisFromSdl(reading.leftY);
  if (reading.up) state.y = 0;
  if (reading.down) state.y = 0xFFFF;
  if (reading.left) state.x = 0;
  if (reading.right) state.x = 0xFFFF;
  state.buttons[0] = (reading.a || reading.x) ? 1 : 0;
  state.buttons[1] = (reading.b || reading.y) ? 1 : 0;
  state.buttons[2] = reading.start ? 1 : 0;
  state.buttons[3] = reading.back ? 1 : 0;
}
