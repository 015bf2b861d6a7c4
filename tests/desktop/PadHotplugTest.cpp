#include <gtest/gtest.h>

#include <SDL.h>

#include <string>

#include "LogCapture.h"
#include "desktop/sdl/SdlInput.h"

namespace {

// Pads plugged in and pulled out while the program runs, through SDL's
// virtual joysticks: each takes the first free pad, a device already open is
// not taken twice, a third finds no room, and a pulled-out pad is read no
// more and frees its place.
TEST(PadHotplug, PadsComeAndGoWhileRunning) {
  LogCapture quiet;
  SdlInput input;
  ASSERT_TRUE(input.Open());
  auto attach = [] { return SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 1); };

  const int first = attach();
  ASSERT_GE(first, 0) << SDL_GetError();
  std::string name;
  EXPECT_EQ(input.DeviceAdded(first, name), 1);
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(input.DeviceAdded(first, name), 0) << "already open";
  const int second = attach();
  EXPECT_EQ(input.DeviceAdded(second, name), 2);
  const int third = attach();
  EXPECT_EQ(input.DeviceAdded(third, name), 0) << "two pads at most";

  JoystickState state;
  EXPECT_EQ(input.ReadJoystick(0, state), JoystickRead::Read);
  const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(first);
  ASSERT_EQ(SDL_JoystickDetachVirtual(first), 0);
  EXPECT_EQ(input.DeviceRemoved(instance), 1);
  EXPECT_EQ(input.DeviceRemoved(instance), 0);
  EXPECT_EQ(input.ReadJoystick(0, state), JoystickRead::NotRead);

  // The device that found no room earlier takes the free pad when announced again.
  for (int index = 0; index < SDL_NumJoysticks(); ++index) {
    if (input.DeviceAdded(index, name) != 0) {
      EXPECT_EQ(input.ReadJoystick(0, state), JoystickRead::Read);
      break;
    }
  }
  EXPECT_EQ(input.ReadJoystick(0, state), JoystickRead::Read);
  input.Close();
}

}  // namespace
