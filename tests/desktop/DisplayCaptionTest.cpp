#include <gtest/gtest.h>

#include "desktop/DisplayCaption.h"

namespace {

TEST(DisplayCaption, NamesTheConsoleTheImageAndAPause) {
  struct Case {
    ConsoleKind console;
    const char* path;
    bool paused;
    const char* expected;
  };
  const Case cases[] = {
      {ConsoleKind::kMasterSystem, "", false, "Sega Master System"},
      {ConsoleKind::kMasterSystem, "/home/me/roms/game.sms", false, "Sega Master System — game.sms"},
      {ConsoleKind::kGameGear, "relative.gg", false, "Sega Game Gear — relative.gg"},
      {ConsoleKind::kGameGear, "/a/b/c.gg", true, "Sega Game Gear — c.gg — Pause"},
      {ConsoleKind::kMasterSystem, "", true, "Sega Master System — Pause"},
      {ConsoleKind::kSg1000, "/a/b.sg", false, "Sega SG-1000 — b.sg"},
      {ConsoleKind::kSc3000, "basic.sc", true, "Sega SC-3000 — basic.sc — Pause"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(DisplayCaption(c.console, c.path, c.paused), c.expected);
  }
}

}  // namespace
