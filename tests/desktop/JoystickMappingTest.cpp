#include <gtest/gtest.h>

#include <SDL_joystick.h>

#include "host/sdl/JoystickMapping.h"
#include "host/input/JoyStick.h"
#include "host/headless/ScriptedInput.h"

namespace {

// What JoyStick::Update makes of joystick 1 in this state.
struct Ports {
  std::uint8_t dc, dd, gg;
  int pause;
};
Ports Pad1(const JoystickState& state) {
  ScriptedInput input(1);
  JoyStick joy;
  joy.Init(&input);
  input.SetAxes(0, state.x, state.y);
  for (int b = 0; b < kJoystickButtonCount; ++b) input.SetButton(0, b, state.buttons[b] != 0);
  joy.Update();
  const ControllerPorts ports = PortsFor(joy.controls);
  return {ports.dc, ports.dd, ports.gg, joy.controls.pause ? 1 : 0};
}

TEST(JoystickMapping, SdlAxesLandOnTheRangeAndItsThresholds) {
  struct Case {
    const char* name;
    std::int16_t sdl;
    std::int32_t axis;
    std::uint8_t portDcWhenX;  // joystick 1 X at that value
  };
  const Case cases[] = {
      {"full left", -32768, 0, 0xFB},
      {"just past 0x2000", -24577, 0x1FFF, 0xFB},
      {"exactly 0x2000 presses nothing", -24576, 0x2000, 0xFF},
      {"centre", 0, 0x8000, 0xFF},
      {"exactly 0xE000 presses nothing", 24576, 0xE000, 0xFF},
      {"just past 0xE000", 24577, 0xE001, 0xF7},
      {"full right", 32767, 0xFFFF, 0xF7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(AxisFromSdl(c.sdl), c.axis);
    JoystickState state;
    state.x = AxisFromSdl(c.sdl);
    EXPECT_EQ(Pad1(state).dc, c.portDcWhenX);
  }
}

TEST(JoystickMapping, HatsSteerLikeAFullyPushedStick) {
  struct Case {
    const char* name;
    std::uint8_t hat;
    std::uint8_t portDC;
  };
  const Case cases[] = {
      {"centred", SDL_HAT_CENTERED, 0xFF}, {"up", SDL_HAT_UP, 0xFE},        {"down", SDL_HAT_DOWN, 0xFD},
      {"left", SDL_HAT_LEFT, 0xFB},        {"right", SDL_HAT_RIGHT, 0xF7}, {"up-right", SDL_HAT_RIGHTUP, 0xF6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JoystickState state;
    ApplyHat(c.hat, state);
    EXPECT_EQ(Pad1(state).dc, c.portDC);
  }
}

TEST(JoystickMapping, ControllerButtonsSitWherePlayersExpectThem) {
  struct Case {
    const char* name;
    ControllerReading reading;
    Ports ports;
  };
  auto with = [](auto set) {
    ControllerReading r;
    set(r);
    return r;
  };
  const Case cases[] = {
      {"nothing", ControllerReading{}, {0xFF, 0xFF, 0xFF, 0}},
      {"d-pad up", with([](ControllerReading& r) { r.up = true; }), {0xFE, 0xFF, 0xFF, 0}},
      {"d-pad left", with([](ControllerReading& r) { r.left = true; }), {0xFB, 0xFF, 0xFF, 0}},
      {"d-pad wins over the stick", with([](ControllerReading& r) { r.right = true; r.leftX = -32768; }),
       {0xF7, 0xFF, 0xFF, 0}},
      {"stick down", with([](ControllerReading& r) { r.leftY = 32767; }), {0xFD, 0xFF, 0xFF, 0}},
      {"small stick push", with([](ControllerReading& r) { r.leftY = 8000; }), {0xFF, 0xFF, 0xFF, 0}},
      {"A is button 1", with([](ControllerReading& r) { r.a = true; }), {0xEF, 0xFF, 0xFF, 0}},
      {"X is button 1 too", with([](ControllerReading& r) { r.x = true; }), {0xEF, 0xFF, 0xFF, 0}},
      {"B is button 2", with([](ControllerReading& r) { r.b = true; }), {0xDF, 0xFF, 0xFF, 0}},
      {"Y is button 2 too", with([](ControllerReading& r) { r.y = true; }), {0xDF, 0xFF, 0xFF, 0}},
      {"Start is Game Gear Start", with([](ControllerReading& r) { r.start = true; }), {0xFF, 0xFF, 0x7F, 0}},
      {"Back is pause", with([](ControllerReading& r) { r.back = true; }), {0xFF, 0xFF, 0xFF, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JoystickState state;
    state.buttons[7] = 1;  // a stale button must be cleared
    ControllerToJoystick(c.reading, state);
    EXPECT_EQ(state.buttons[7], 0);
    const Ports ports = Pad1(state);
    EXPECT_EQ(ports.dc, c.ports.dc);
    EXPECT_EQ(ports.dd, c.ports.dd);
    EXPECT_EQ(ports.gg, c.ports.gg);
    EXPECT_EQ(ports.pause, c.ports.pause);
  }
}

}  // namespace
