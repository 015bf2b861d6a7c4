#include <gtest/gtest.h>

#include "app/Application.h"
#include "app/MenuCommands.h"
#include "host/headless/HeadlessDisplay.h"
#include "host/headless/HeadlessMessageBox.h"
#include "input/ScriptedInput.h"
#include "machine/AppFlags.h"

namespace {

// The menu's commands on the global machine, built on a headless display.
class MenuCommands : public testing::Test {
 protected:
  void SetUp() override {
    InstallHeadlessMessageBox();
    Startup(HostParts{&display, &input});
  }
  void TearDown() override { Shutdown(); }

  HeadlessDisplay display;
  ScriptedInput input;
};

TEST_F(MenuCommands, WindowSizesAreWholeMultiplesOfThePicture) {
  struct Case {
    int scale;
    int width, height;
    int centred;  // times Centre was called by then
  };
  const int centredAtStart = display.centreCount;
  const Case cases[] = {
      {3, 768, 576, 1}, {3, 768, 576, 2},  // the checked item again resizes and centres again
      {1, 256, 192, 3}, {4, 1024, 768, 4}, {2, 512, 384, 5},
      {0, 512, 384, 5}, {5, 512, 384, 5},  // no such item: nothing happens
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scale);
    MenuSetScale(c.scale);
    EXPECT_EQ(display.windowWidth, c.width);
    EXPECT_EQ(display.windowHeight, c.height);
    EXPECT_EQ(display.centreCount - centredAtStart, c.centred);
  }
}

TEST_F(MenuCommands, JapaneseSpriteLimitAndPalMarksAndReset) {
  EXPECT_EQ(theMachine.exportConsole, 1);
  MenuSetJapanese(true);
  EXPECT_EQ(theMachine.exportConsole, 0);
  MenuSetJapanese(false);
  EXPECT_EQ(theMachine.exportConsole, 1);

  EXPECT_TRUE(theMachine.video.spriteLimit) << "the console's 8 sprites a line by default";
  MenuSetNoSpriteLimit(true);
  EXPECT_FALSE(theMachine.video.spriteLimit);
  MenuSetNoSpriteLimit(false);
  EXPECT_TRUE(theMachine.video.spriteLimit);

  MenuSetPal(true);
  EXPECT_TRUE(PalMark());
  MenuSetPal(false);
  EXPECT_FALSE(PalMark());

  // Reset before any cartridge: the display gets the focus, nothing runs.
  const int focused = display.focusCount;
  MenuReset();
  EXPECT_EQ(display.focusCount, focused + 1);
  EXPECT_EQ(running, 0);

  // A refused image changes nothing.
  MenuLoadCartridge("/nonexistent/cartridge.sms");
  EXPECT_EQ(running, 0);
  EXPECT_EQ(cartridgeLoaded, 0);
  EXPECT_EQ(display.focusCount, focused + 1);
}

}  // namespace
