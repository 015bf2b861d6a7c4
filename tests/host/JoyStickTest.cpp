#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "console/Keyboard.h"
#include "host/input/JoyStick.h"
#include "headless/ScriptedInput.h"

namespace {

// What the console sees after one update.
struct Seen {
  uint8_t portDC;
  uint8_t portDD;
  uint8_t port00;
  uint8_t hotkeys;
  int pause;
  bool operator==(const Seen&) const = default;
};

std::string Describe(const Seen& s) {
  char text[96];
  std::snprintf(text, sizeof text, "DC=%02X DD=%02X 00=%02X hotkeys=%u pause=%d", s.portDC, s.portDD, s.port00,
                s.hotkeys, s.pause != 0);
  return text;
}

Seen UpdateOnce(JoyStick& input) {
  input.Update();
  const ControllerPorts ports = PortsFor(input.controls);
  return {ports.dc, ports.dd, ports.gg, input.hotkeys, input.controls.pause};
}

constexpr Seen Idle{0xFF, 0xFF, 0xFF, 0, 0};

// A joystick push: which stick, its axes and held buttons.
struct Stick {
  int index;
  int32_t x;
  int32_t y;
  std::vector<int> buttons;
};

class JoyStickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::testing::internal::CaptureStdout();
    input.Init(&host);
    ::testing::internal::GetCapturedStdout();
  }

  // Quiet init/shutdown banners while a test runs.
  void TearDown() override {
    ::testing::internal::CaptureStdout();
    input.Shutdown();
    ::testing::internal::GetCapturedStdout();
  }

  LogCapture log;
  ScriptedInput host{2};
  JoyStick input;
};

}  // namespace

TEST_F(JoyStickTest, KeysDriveTheirPortBits) {
  struct Case {
    const char* name;
    std::vector<uint8_t> keys;
    Seen expected;
  };
  const Case cases[] = {
      {"nothing held", {}, Idle},
      {"Up", {0xC8}, {0xFE, 0xFF, 0xFF, 0, 0}},
      {"Down", {0xD0}, {0xFD, 0xFF, 0xFF, 0, 0}},
      {"Left", {0xCB}, {0xFB, 0xFF, 0xFF, 0, 0}},
      {"Right", {0xCD}, {0xF7, 0xFF, 0xFF, 0, 0}},
      {"Z is pad 1 button 1", {0x2C}, {0xEF, 0xFF, 0xFF, 0, 0}},
      {"X is pad 1 button 2", {0x2D}, {0xDF, 0xFF, 0xFF, 0, 0}},
      {"I is pad 2 up", {0x17}, {0xBF, 0xFF, 0xFF, 0, 0}},
      {"K is pad 2 down", {0x25}, {0x7F, 0xFF, 0xFF, 0, 0}},
      {"J is pad 2 left", {0x24}, {0xFF, 0xFE, 0xFF, 0, 0}},
      {"L is pad 2 right", {0x26}, {0xFF, 0xFD, 0xFF, 0, 0}},
      {"Q is pad 2 button 1", {0x10}, {0xFF, 0xFB, 0xFF, 0, 0}},
      {"W is pad 2 button 2", {0x11}, {0xFF, 0xF7, 0xFF, 0, 0}},
      {"R is the reset button", {0x13}, {0xFF, 0xEF, 0xFF, 0, 0}},
      {"S is Game Gear Start", {0x1F}, {0xFF, 0xFF, 0x7F, 0, 0}},
      {"P asks for a pause", {0x19}, {0xFF, 0xFF, 0xFF, 0, 1}},
      {"F is the frame-rate hotkey", {0x21}, {0xFF, 0xFF, 0xFF, kHotkeyFrameRate, 0}},
      {"Space is the sprite hotkey", {0x39}, {0xFF, 0xFF, 0xFF, kHotkeySprites, 0}},
      {"Up and Z together", {0xC8, 0x2C}, {0xEE, 0xFF, 0xFF, 0, 0}},
      {"both hotkeys", {0x21, 0x39}, {0xFF, 0xFF, 0xFF, 3, 0}},
      {"every pad key", {0xC8, 0xD0, 0xCB, 0xCD, 0x2C, 0x2D, 0x17, 0x25, 0x24, 0x26, 0x10, 0x11, 0x13},
       {0x00, 0xE0, 0xFF, 0, 0}},
      {"unbound keys do nothing", {0x01, 0x1E, 0x48, 0xFF, 0x00}, Idle},
  };
  for (const Case& c : cases) {
    host.ReleaseAll();
    for (uint8_t key : c.keys) host.SetKey(key, true);
    EXPECT_EQ(Describe(UpdateOnce(input)), Describe(c.expected)) << c.name;
  }
}

// While an SC-3000 runs, the PC keys of its key map type as well: the pads
// keep their keys, a typing key's other actions are left out, and Page Up is
// the RESET key's pause.
TEST_F(JoyStickTest, TheSc3000TypesOnTheKeysOfItsMap) {
  struct Case {
    const char* name;
    std::vector<uint8_t> keys;
    std::vector<const char*> typed;  // SC-3000 keys held
    Seen expected;
  };
  const Case cases[] = {
      {"Q types Q and still drives pad 2's button 1", {0x10}, {"Q"}, {0xFF, 0xFB, 0xFF, 0, 0}},
      {"P types P and does not pause", {0x19}, {"P"}, Idle},
      {"Space types a space, no sprite toggle", {0x39}, {"SPACE"}, Idle},
      {"Up is the pad and the cursor key", {0xC8}, {"UP"}, {0xFE, 0xFF, 0xFF, 0, 0}},
      {"Return, Left Shift and = (the ^ key)", {0x1C, 0x2A, 0x0D}, {"CR", "SHIFT", "^"}, Idle},
      {"Page Up pauses and types nothing", {0xC9}, {}, {0xFF, 0xFF, 0xFF, 0, 1}},
      {"a function key types nothing", {0x3B}, {}, Idle},
  };
  input.sc3000Keyboard = true;
  for (const Case& c : cases) {
    host.ReleaseAll();
    for (uint8_t key : c.keys) host.SetKey(key, true);
    EXPECT_EQ(Describe(UpdateOnce(input)), Describe(c.expected)) << c.name;
    FrameInput typed;
    for (const char* name : c.typed) {
      std::uint8_t code = 0;
      ASSERT_TRUE(ScKeyFromName(name, code)) << name;
      PressScKey(typed, code);
    }
    for (int row = 0; row < kKeyboardRows; ++row) {
      EXPECT_EQ(input.controls.keyboard[row], typed.keyboard[row]) << c.name << ", row " << row;
    }
  }
}

TEST_F(JoyStickTest, JoysticksDriveTheirPortBits) {
  struct Case {
    const char* name;
    std::vector<Stick> sticks;
    std::vector<uint8_t> keys;
    Seen expected;
  };
  const Case cases[] = {
      {"centred sticks", {{0, 0x8000, 0x8000, {}}, {1, 0x8000, 0x8000, {}}}, {}, Idle},
      {"stick 1 fully left", {{0, 0, 0x8000, {}}}, {}, {0xFB, 0xFF, 0xFF, 0, 0}},
      {"stick 1 at 0x2000 is not left", {{0, 0x2000, 0x2000, {}}}, {}, Idle},
      {"stick 1 at 0xE000 is not right", {{0, 0xE000, 0xE000, {}}}, {}, Idle},
      {"stick 1 at 0x1FFF is up and left", {{0, 0x1FFF, 0x1FFF, {}}}, {}, {0xFA, 0xFF, 0xFF, 0, 0}},
      {"stick 1 at 0xE001 is down and right", {{0, 0xE001, 0xE001, {}}}, {}, {0xF5, 0xFF, 0xFF, 0, 0}},
      {"stick 1 fully down-right", {{0, 65535, 65535, {}}}, {}, {0xF5, 0xFF, 0xFF, 0, 0}},
      {"stick 1 buttons 0 and 1", {{0, 0x8000, 0x8000, {0, 1}}}, {}, {0xCF, 0xFF, 0xFF, 0, 0}},
      {"stick 1 button 2 is Start", {{0, 0x8000, 0x8000, {2}}}, {}, {0xFF, 0xFF, 0x7F, 0, 0}},
      {"stick 1 button 3 is pause", {{0, 0x8000, 0x8000, {3}}}, {}, {0xFF, 0xFF, 0xFF, 0, 1}},
      {"stick 1 button 4 does nothing", {{0, 0x8000, 0x8000, {4, 31}}}, {}, Idle},
      {"stick 2 up", {{1, 0x8000, 0, {}}}, {}, {0xBF, 0xFF, 0xFF, 0, 0}},
      {"stick 2 down", {{1, 0x8000, 65535, {}}}, {}, {0x7F, 0xFF, 0xFF, 0, 0}},
      {"stick 2 left", {{1, 0, 0x8000, {}}}, {}, {0xFF, 0xFE, 0xFF, 0, 0}},
      {"stick 2 right", {{1, 65535, 0x8000, {}}}, {}, {0xFF, 0xFD, 0xFF, 0, 0}},
      {"stick 2 buttons 0 and 1", {{1, 0x8000, 0x8000, {0, 1}}}, {}, {0xFF, 0xF3, 0xFF, 0, 0}},
      {"stick 2 button 2 has no function", {{1, 0x8000, 0x8000, {2}}}, {}, Idle},
      {"stick 2 button 3 is pause", {{1, 0x8000, 0x8000, {3}}}, {}, {0xFF, 0xFF, 0xFF, 0, 1}},
      {"stick 1 left and the Left arrow", {{0, 0, 0x8000, {}}}, {0xCB}, {0xFB, 0xFF, 0xFF, 0, 0}},
      {"stick 1 left and the Right arrow", {{0, 0, 0x8000, {}}}, {0xCD}, {0xF3, 0xFF, 0xFF, 0, 0}},
      {"axes out of range still compare", {{0, -5, 70000, {}}}, {}, {0xF9, 0xFF, 0xFF, 0, 0}},
  };
  for (const Case& c : cases) {
    host.ReleaseAll();
    for (const Stick& s : c.sticks) {
      host.SetAxes(s.index, s.x, s.y);
      for (int b : s.buttons) host.SetButton(s.index, b, true);
    }
    for (uint8_t key : c.keys) host.SetKey(key, true);
    EXPECT_EQ(Describe(UpdateOnce(input)), Describe(c.expected)) << c.name;
  }
}

// Controls stay held as long as their key; a hotkey acts on the frame it is
// pressed only, however long it is held (the console's pause line is
// edge-triggered by the console itself, so it is reported while held).
TEST_F(JoyStickTest, HeldControlsActEveryFrameHotkeysOncePerPress) {
  struct Case {
    const char* name;
    uint8_t key;
    Seen expected;
  };
  const Case cases[] = {
      {"P held", 0x19, {0xFF, 0xFF, 0xFF, 0, 1}},
      {"F held", 0x21, {0xFF, 0xFF, 0xFF, kHotkeyFrameRate, 0}},
      {"Space held", 0x39, {0xFF, 0xFF, 0xFF, kHotkeySprites, 0}},
  };
  for (const Case& c : cases) {
    host.ReleaseAll();
    host.SetKey(c.key, true);
    for (int frame = 0; frame < 3; ++frame) {
      Seen expected = c.expected;
      if (frame > 0) expected.hotkeys = 0;
      EXPECT_EQ(Describe(UpdateOnce(input)), Describe(expected)) << c.name << ", frame " << frame;
    }
    host.SetKey(c.key, false);
    EXPECT_EQ(Describe(UpdateOnce(input)), Describe(Idle)) << c.name << ", released";
  }
}

TEST_F(JoyStickTest, JoystickReadOutcomes) {
  struct Case {
    const char* name;
    JoystickRead stick1;
    JoystickRead stick2;
    Seen expected;
  };
  // Stick 1 fully up, stick 2 fully left, and P and Z held on the keyboard.
  const Case cases[] = {
      {"both read", JoystickRead::Read, JoystickRead::Read, {0xEE, 0xFE, 0xFF, 0, 1}},
      {"stick 1 reacquiring is skipped", JoystickRead::NotRead, JoystickRead::Read, {0xEF, 0xFE, 0xFF, 0, 1}},
      {"stick 2 reacquiring is skipped", JoystickRead::Read, JoystickRead::NotRead, {0xEE, 0xFF, 0xFF, 0, 1}},
      {"stick 1 failing ends the update idle", JoystickRead::Failed, JoystickRead::Read, {0xFF, 0xFF, 0xFF, 0, 0}},
      {"stick 2 failing keeps only stick 1", JoystickRead::Read, JoystickRead::Failed, {0xFE, 0xFF, 0xFF, 0, 0}},
  };
  for (const Case& c : cases) {
    host.ReleaseAll();
    host.SetAxes(0, 0x8000, 0);
    host.SetAxes(1, 0, 0x8000);
    host.SetKey(0x19, true);
    host.SetKey(0x2C, true);
    host.SetJoystickRead(0, c.stick1);
    host.SetJoystickRead(1, c.stick2);
    EXPECT_EQ(Describe(UpdateOnce(input)), Describe(c.expected)) << c.name;
  }
}

TEST_F(JoyStickTest, NoKeyboardMeansNoKeys) {
  host.SetKey(0x19, true);
  host.SetKey(0xC8, true);
  EXPECT_EQ(UpdateOnce(input).pause, 1);
  host.SetKeyboardPresent(false);
  EXPECT_EQ(Describe(UpdateOnce(input)), Describe(Idle));
}

TEST_F(JoyStickTest, AfterShutdownNothingIsRead) {
  host.SetKey(0x19, true);
  host.SetAxes(0, 0, 0);
  EXPECT_EQ(UpdateOnce(input).pause, 1);
  ::testing::internal::CaptureStdout();
  input.Shutdown();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "JoyStick::Shutdown\n");
  EXPECT_FALSE(host.IsOpen());
  EXPECT_EQ(input.source, nullptr);
  EXPECT_EQ(Describe(UpdateOnce(input)), Describe(Idle));
}

TEST(JoyStick, InitBindsExactlyTheSeventeenKeys) {
  ScriptedInput host;
  JoyStick input;
  input.controls.pad[0] = kPadUp;
  input.keyMap[0x01].action = Pause;
  ::testing::internal::CaptureStdout();
  LogCapture log;
  EXPECT_TRUE(input.Init(&host));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "JoyStick:Init()\n");
  EXPECT_EQ(input.controls.pad[0], 0);
  EXPECT_EQ(input.hotkeys, 0);
  struct Binding {
    int scanCode;
    int32_t action;
  };
  const Binding expected[] = {
      {0xC8, 6},  {0xD0, 7},  {0xCB, 8},  {0xCD, 9}, {0x2C, 10}, {0x2D, 11}, {0x17, 12}, {0x25, 13}, {0x24, 14},
      {0x26, 15}, {0x10, 16}, {0x11, 17}, {0x13, 4}, {0x1F, 18}, {0x19, 5},  {0x21, 1},  {0x39, 3},
  };
  int bound = 0;
  for (int k = 0; k < kKeyboardKeyCount; ++k) {
    if (input.keyMap[k].action != NoAction) ++bound;
  }
  EXPECT_EQ(bound, 17);
  for (const Binding& b : expected) {
    EXPECT_EQ(input.keyMap[b.scanCode].action, b.action) << "scan code " << b.scanCode;
    EXPECT_EQ(ScanCodeFor(static_cast<KeyAction>(b.action)), b.scanCode) << "action " << b.action;
  }
  ::testing::internal::CaptureStdout();
  input.Shutdown();
  ::testing::internal::GetCapturedStdout();
}

TEST(JoyStick, InitOpensTheHostDevices) {
  struct Case {
    const char* name;
    int attached;
    bool opens;
    bool withSource;
    bool result;
    const char* log;
    int opened;
  };
  const Case cases[] = {
      {"no joystick", 0, true, true, true, "Joysticks attached:\n", 0},
      {"one joystick", 1, true, true, true,
       "Joysticks attached:\nScripted Joystick 1 [Scripted Pad]\nJoypad 1: Scripted Joystick 1\n", 1},
      {"three joysticks, two opened", 3, true, true, true,
       "Joysticks attached:\nScripted Joystick 1 [Scripted Pad]\nScripted Joystick 2 [Scripted Pad]\n"
       "Scripted Joystick 3 [Scripted Pad]\nJoypad 1: Scripted Joystick 1\nJoypad 2: Scripted Joystick 2\n",
       2},
      {"host refuses", 2, false, true, false, "", 0},
      {"no host at all", 0, true, false, false, "", 0},
  };
  for (const Case& c : cases) {
    ScriptedInput host(c.attached);
    host.SetOpenResult(c.opens);
    JoyStick input;
    LogCapture log;
    ::testing::internal::CaptureStdout();
    const bool result = input.Init(c.withSource ? &host : nullptr);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "JoyStick:Init()\n") << c.name;
    EXPECT_EQ(result, c.result) << c.name;
    EXPECT_EQ(log.text(), c.log) << c.name;
    EXPECT_EQ(host.OpenedJoysticks(), c.opened) << c.name;
    // Whatever happened, the console sees idle controllers.
    host.SetKey(0x19, true);
    host.SetButton(0, 3, true);
    const int expectPause = c.result ? 1 : 0;
    input.Update();
    EXPECT_EQ(input.controls.pause, expectPause != 0) << c.name;
    ::testing::internal::CaptureStdout();
    input.Shutdown();
    ::testing::internal::GetCapturedStdout();
  }
}
