// The binding model: names of pad inputs and keys, a key or input taken from
// the control that had it, the defaults, the settings file's entries (and
// the malformed ones left out), and the hotkeys read through a changed table.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "desktop/BindingSettings.h"
#include "desktop/DesktopPlay.h"
#include "desktop/sdl/SdlInput.h"
#include "host/settings/Settings.h"
#include "desktop/gtk/MainWindow.h"
#include "desktop/sdl/KeyTranslation.h"

namespace {

TEST(Bindings, PadInputNamesReadBackAndNonsenseIsRefused) {
  struct Case {
    const char* text;
    bool valid;
    PadInput input;
  };
  const Case cases[] = {
      {"button 3", true, {PadInput::Button, 3, 0}},
      {"button 255", true, {PadInput::Button, 255, 0}},
      {"axis 1+", true, {PadInput::AxisPlus, 1, 0}},
      {"axis 0-", true, {PadInput::AxisMinus, 0, 0}},
      {"hat 0 up", true, {PadInput::Hat, 0, 1}},
      {"hat 2 left", true, {PadInput::Hat, 2, 8}},
      {"button 256", false, {}},
      {"button -1", false, {}},
      {"button", false, {}},
      {"button 3x", false, {}},
      {"axis 1", false, {}},
      {"axis +", false, {}},
      {"hat 0", false, {}},
      {"hat 0 diagonal", false, {}},
      {"", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    PadInput read{PadInput::Button, 9, 0};
    EXPECT_EQ(ParsePadInput(c.text, read), c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(read, c.input);
    EXPECT_EQ(FormatPadInput(read), c.text);
  }
  int bad = 0;
  const PadInputs two = ParsePadInputs(" hat 0 up ,nonsense, axis 1-, button 4", bad);
  EXPECT_EQ(two, (PadInputs{PadInput{PadInput::Hat, 0, 1}, PadInput{PadInput::AxisMinus, 1, 0}}));
  EXPECT_EQ(bad, 2) << "the nonsense and the third input";
}

TEST(Bindings, KeyNamesAndHardwareCodesReachTheScanCodes) {
  struct Case {
    const char* name;
    std::uint8_t scan;
  };
  for (const Case& c : {Case{"Right", 0xCD}, Case{"D", 0x20}, Case{"Left Shift", 0x2A}, Case{"F12", 0x58},
                        Case{"Keypad 8", 0x48}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(KeyFromName(c.name), c.scan);
    EXPECT_EQ(KeyName(c.scan), c.name);
  }
  EXPECT_EQ(KeyFromName("d"), 0x20) << "case aside";
  EXPECT_EQ(KeyFromName("No Such Key"), 0);
  EXPECT_EQ(KeyName(0), "");
  // Linux key codes: A, Up, Right Alt, F11; none for 84, 0 or past the table.
  EXPECT_EQ(PcScanCodeFromLinux(30), 0x1E);
  EXPECT_EQ(PcScanCodeFromLinux(103), 0xC8);
  EXPECT_EQ(PcScanCodeFromLinux(100), 0xB8);
  EXPECT_EQ(PcScanCodeFromLinux(87), 0x57);
  for (int none : {84, 0, -8, 300}) EXPECT_EQ(PcScanCodeFromLinux(none), 0) << none;
}

TEST(Bindings, ABoundKeyOrInputIsTakenFromTheControlThatHadIt) {
  KeyTable keys = KeyTable::Defaults();
  EXPECT_EQ(keys.Bind(Control::Pad1Right, 0x20), -1) << "D was free";
  EXPECT_EQ(keys.Bind(Control::Rewind, 0x2C), static_cast<int>(Control::Pad1Button1)) << "Z was button 1's";
  EXPECT_EQ(keys.Of(Control::Pad1Button1), 0);
  EXPECT_EQ(keys.Of(Control::Rewind), 0x2C);
  EXPECT_EQ(keys.Bind(Control::Rewind, 0), -1);
  EXPECT_EQ(keys.Of(Control::Rewind), 0);
  EXPECT_NE(keys, KeyTable::Defaults());

  PadTable pad = PadTable::RawDefaults();
  EXPECT_EQ(pad.Bind(Control::Pad2Up, {PadInput::Button, 5, 0}), -2) << "a pad steers only its own";
  EXPECT_EQ(pad.Bind(Control::Rewind, {PadInput::Button, 0, 0}), static_cast<int>(Control::Pad1Button1));
  EXPECT_EQ(pad.Of(Control::Pad1Button1), PadInputs{});

  // Saved choices over a pad's defaults: the defaults lose what was taken.
  PadChoice choice;
  choice.table.inputs[static_cast<int>(Control::Pad1Up)] = {PadInput{PadInput::Button, 1, 0}, PadInput{}};
  choice.given = ControlBit(Control::Pad1Up);
  const PadTable over = choice.Over(PadTable::RawDefaults());
  EXPECT_EQ(over.Of(Control::Pad1Up)[0], (PadInput{PadInput::Button, 1, 0}));
  EXPECT_EQ(over.Of(Control::Pad1Button2), PadInputs{});
  EXPECT_EQ(over.Of(Control::Pad1Down), PadTable::RawDefaults().Of(Control::Pad1Down));
}

class BindingFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    path = std::filesystem::temp_directory_path() / ("tavrin-bindings-" + std::to_string(::getpid()) + ".conf");
  }
  void TearDown() override { std::filesystem::remove(path); }
  std::filesystem::path path;
};

TEST_F(BindingFiles, BindingsComeBackFromTheFileAndMalformedEntriesAreLeftOut) {
  KeyTable keys = KeyTable::Defaults();
  keys.Bind(Control::Pad1Right, 0x20);
  keys.Bind(Control::Screenshot, 0);
  PadTable pad = PadTable::RawDefaults();
  pad.Bind(Control::Rewind, {PadInput::AxisPlus, 2, 0});
  SettingsFile file(path.string());
  file.values.keyBindings = KeyTableToSettings(keys);
  file.values.padBindings["0300abcd"] = PadTableToSettings(pad);
  const Result saved = file.Save();
  ASSERT_TRUE(saved) << saved.Log();

  SettingsFile again(path.string());
  again.Load();
  std::string problems;
  EXPECT_EQ(KeyTableFromSettings(again.values.keyBindings, problems), keys);
  const PadChoice choice = PadChoiceFromSettings(again.values.padBindings["0300abcd"], problems);
  EXPECT_EQ(choice.Over(PadTable::RawDefaults()), pad);
  EXPECT_EQ(problems, "");

  // Written by hand: an unknown control, an unknown key, a key twice, bad
  // pad inputs. The rest is read; the defaults stand for what is left out.
  std::ofstream(path, std::ios::trunc) << "[keys]\nwarp=F\npause=Hyper Key\nrewind=Z\nreset=Z\nstart=\n"
                                          "[pad 0300abcd]\nup=hat 9\njump=button 1\ndown=button 7, axis 9\n";
  SettingsFile hand(path.string());
  hand.Load();
  problems.clear();
  const KeyTable read = KeyTableFromSettings(hand.values.keyBindings, problems);
  EXPECT_EQ(read.Of(Control::Pause), KeyTable::Defaults().Of(Control::Pause));
  EXPECT_EQ(read.Of(Control::Start), 0);
  EXPECT_EQ(read.Of(Control::Rewind) == 0x2C, read.Of(Control::Reset) != 0x2C) << "Z bound to one of the two";
  EXPECT_EQ(read.Of(Control::Pad1Button1), 0);
  for (const char* named : {"warp", "Hyper Key", "bound twice"}) EXPECT_NE(problems.find(named), std::string::npos);
  problems.clear();
  const PadTable hands = PadChoiceFromSettings(hand.values.padBindings["0300abcd"], problems).Over(PadTable::RawDefaults());
  EXPECT_EQ(hands.Of(Control::Pad1Up), PadTable::RawDefaults().Of(Control::Pad1Up));
  EXPECT_EQ(hands.Of(Control::Pad1Down), (PadInputs{PadInput{PadInput::Button, 7, 0}, PadInput{}}));
  for (const char* named : {"up", "jump", "axis 9"}) EXPECT_NE(problems.find(named), std::string::npos) << named;
}

TEST(Bindings, TheHotkeysFollowTheTable) {
  PlayKeyReader reader;
  reader.table.Bind(Control::Rewind, 0x13);      // R
  reader.table.Bind(Control::Screenshot, 0x32);  // M, taken from mute
  std::uint8_t keys[kKeyboardKeyCount] = {};
  keys[kScanBackspace] = 1;
  EXPECT_FALSE(reader.Read(keys).rewind) << "Backspace no longer rewinds";
  keys[0x13] = 1;
  EXPECT_TRUE(reader.Read(keys).rewind);
  keys[0x32] = 1;
  const PlayKeys m = reader.Read(keys);
  EXPECT_TRUE(m.screenshot);
  EXPECT_FALSE(m.toggleMute);
  EXPECT_FALSE(reader.Read(keys).screenshot) << "once a press";
  const std::uint8_t none[kKeyboardKeyCount] = {};
  EXPECT_EQ(reader.Read(none, ControlBit(SlotControl(4))).loadSlots, 1u << 4) << "a pad's slot button";
}

// A tap of Shift+F5 whose keys are all up again by the frame's read still
// saves: the Shift held when F5 went down is latched with it.
TEST(Bindings, AModifierIsLatchedWithTheKeyItWasHeldFor) {
  SdlInput input;
  PlayKeyReader reader;
  std::uint8_t keys[kKeyboardKeyCount] = {};
  input.KeyPressed(SDL_SCANCODE_F5, KMOD_LSHIFT);
  ASSERT_TRUE(input.ReadKeyboard(keys));
  EXPECT_EQ(reader.Read(keys).saveSlots, 1u << 5);
  input.FrameRead();
  input.KeyPressed(SDL_SCANCODE_F7, KMOD_NONE);
  ASSERT_TRUE(input.ReadKeyboard(keys));
  EXPECT_EQ(reader.Read(keys).loadSlots, 1u << 7) << "the Shift of the frame before is forgotten";
}

TEST(Bindings, TheFirstFileOfAUriListIsDropped) {
  struct Case {
    const char* list;
    const char* path;
  };
  for (const Case& c : {Case{"file:///tmp/a%20b.sms\r\n", "/tmp/a b.sms"},
                        Case{"# from a file manager\r\nhttp://host/x.sms\r\nfile:///z/y.gg\r\nfile:///w.sms\r\n",
                             "/z/y.gg"},
                        Case{"file:///tmp/nul%00.sms\r\n", ""}, Case{"", ""}, Case{"file://", ""}}) {
    EXPECT_EQ(FirstPathInUriList(c.list), c.path) << c.list;
  }
  EXPECT_EQ(FirstPathInUriList(nullptr), "");
}

}  // namespace
