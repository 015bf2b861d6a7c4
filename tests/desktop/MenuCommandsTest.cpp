#include <gtest/gtest.h>

#include "app/Application.h"
#include "app/MenuCommands.h"
#include "host/headless/HeadlessDisplay.h"
#include "host/headless/HeadlessMessageBox.h"
#include "host/headless/ScriptedInput.h"

namespace {

// The menu's commands on the active session, built on a headless display.
class MenuCommands : public testing::Test {
 protected:
  void SetUp() override {
    InstallHeadlessMessageBox();
    session.Startup(HostParts{&display, &input});
    activeSession = &session;
  }
  void TearDown() override {
    session.Shutdown();
    activeSession = nullptr;
  }

  HeadlessDisplay display;
  ScriptedInput input;
  Session session;
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
  EXPECT_EQ(session.console.exportConsole, 1);
  MenuSetJapanese(true);
  EXPECT_EQ(session.console.exportConsole, 0);
  MenuSetJapanese(false);
  EXPECT_EQ(session.console.exportConsole, 1);

  EXPECT_TRUE(session.console.video.spriteLimit) << "the console's 8 sprites a line by default";
  MenuSetNoSpriteLimit(true);
  EXPECT_FALSE(session.console.video.spriteLimit);
  MenuSetNoSpriteLimit(false);
  EXPECT_TRUE(session.console.video.spriteLimit);

  MenuSetPal(true);
  EXPECT_TRUE(PalMark());
  MenuSetPal(false);
  EXPECT_FALSE(PalMark());

  // Reset before any cartridge: the display gets the focus, nothing runs.
  const int focused = display.focusCount;
  MenuReset();
  EXPECT_EQ(display.focusCount, focused + 1);
  EXPECT_FALSE(session.cartridgeLoaded);

  // A refused image changes nothing.
  MenuLoadCartridge("/nonexistent/cartridge.sms");
  EXPECT_FALSE(session.cartridgeLoaded);
  EXPECT_EQ(display.focusCount, focused + 1);
}

}  // namespace
