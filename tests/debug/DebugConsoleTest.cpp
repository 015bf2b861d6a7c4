#include <gtest/gtest.h>

#include <string>

#include "LogCapture.h"

TEST(DebugConsole, FormatsLikePrintfAndAddsNothing) {
  LogCapture log;
  LogPrintf("[Z80 %lX] at PC=%04X ", 0UL, 0x1234);
  LogPrintf("Game Gear Mode: ");
  EXPECT_EQ(log.text(), "[Z80 0] at PC=1234 Game Gear Mode: ");
}

TEST(DebugConsole, LongMessagesAreCutTo511Characters) {
  struct Case {
    std::size_t length;
    std::size_t shown;
  };
  const Case cases[] = {{259, 259}, {511, 511}, {512, 511}, {4000, 511}};
  for (const Case& c : cases) {
    LogCapture log;
    std::string path(c.length, 'a');
    LogPrintf("%s", path.c_str());
    EXPECT_EQ(log.text().size(), c.shown) << "message of " << c.length;
  }
}

TEST(DebugConsole, InitAnnouncesTheConsole) {
  LogCapture log;
  ConsoleInit();
  EXPECT_EQ(log.text(), "Allocated Console\n");
}
