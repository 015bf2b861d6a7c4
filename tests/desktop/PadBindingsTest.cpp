#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <map>
#include <string>

#include "LogCapture.h"
#include "desktop/sdl/SdlInput.h"

namespace {

// A pad read through the bindings saved for its GUID, on SDL's virtual
// joysticks: a button bound to the rewind is held as such, an axis steers,
// the capture sees what is held, and bindings saved for another GUID leave
// the pad with its defaults.
TEST(PadBindings, APadIsReadThroughTheBindingsOfItsGuid) {
  LogCapture quiet;
  SdlInput input;
  ASSERT_TRUE(input.Open());
  const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 1);
  ASSERT_GE(device, 0) << SDL_GetError();
  std::string name;
  ASSERT_EQ(input.DeviceAdded(device, name), 1);
  std::string guid;
  PadTable table, defaults;
  ASSERT_TRUE(input.PadInfo(0, guid, name, table, defaults));
  EXPECT_EQ(guid.size(), 32u);
  EXPECT_EQ(table, defaults);

  SDL_Joystick* joystick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(device));
  ASSERT_NE(joystick, nullptr);
  auto read = [&] {
    SDL_JoystickUpdate();
    JoystickState state;
    EXPECT_EQ(input.ReadJoystick(0, state), JoystickRead::Read);
    return state;
  };
  PadChoice choice;
  choice.table.Bind(Control::Rewind, {PadInput::Button, 2, 0});
  choice.table.Bind(Control::Pad1Left, {PadInput::AxisPlus, 1, 0});
  choice.given = ControlBit(Control::Rewind) | ControlBit(Control::Pad1Left);

  for (const bool own : {false, true}) {
    SCOPED_TRACE(own ? "its own bindings" : "another pad's");
    input.SetPadChoices({{own ? guid : std::string(32, '0'), choice}});
    SDL_JoystickSetVirtualButton(joystick, 2, 1);
    SDL_JoystickSetVirtualAxis(joystick, 1, 32767);
    const JoystickState state = read();
    EXPECT_EQ((state.held & ControlBit(Control::Rewind)) != 0, own);
    EXPECT_EQ(state.x == 0, own) << "axis 1+ steers left";
    PadInput held[8];
    const int count = input.HeldInputs(0, held, 8);
    EXPECT_NE(std::find(held, held + count, PadInput{PadInput::Button, 2, 0}), held + count);
    EXPECT_NE(std::find(held, held + count, PadInput{PadInput::AxisPlus, 1, 0}), held + count);
    SDL_JoystickSetVirtualButton(joystick, 2, 0);
    SDL_JoystickSetVirtualAxis(joystick, 1, 0);
    EXPECT_EQ(read().held, 0u);
  }
  SDL_JoystickDetachVirtual(device);
  input.Close();
}

}  // namespace
