#include <gtest/gtest.h>

#include "desktop/DisplayCaption.h"

namespace {

TEST(DisplayCaption, NamesTheConsoleTheImageAndAPause) {
  struct Case {
    bool gameGear;
    const char* path;
    bool paused;
    const char* expected;
  };
  const Case cases[] = {
      {false, "", false, "Sega Master System"},
      {false, "/home/me/roms/game.sms", false, "Sega Master System — game.sms"},
      {true, "relative.gg", false, "Sega Game Gear — relative.gg"},
      {true, "/a/b/c.gg", true, "Sega Game Gear — c.gg — Pause"},
      {false, "", true, "Sega Master System — Pause"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(DisplayCaption(c.gameGear, c.path, c.paused), c.expected);
  }
}

}  // namespace
