#include <random>

#include "LogCapture.h"
#include "SessionRig.h"

namespace {

class RandomCartridges : public SessionRig {};

// Cartridges of arbitrary bytes: every one must run frame after frame without
// reading or writing outside a buffer (the sanitizer build checks) and
// without a scanline that never ends.
TEST_F(RandomCartridges, AnyBytesRunWithoutFault) {
  struct Case {
    const char* name;
    std::uint32_t seed;
    int pages;
    const char* file;
    ConsoleKind kind = ConsoleKind::kFromImage;
    Peripheral port1 = Peripheral::kPad;
    Peripheral port2 = Peripheral::kPad;
  };
  const Case cases[] = {
      {"two pages", 1, 2, "noise.sms"},   {"one page", 2, 1, "noise1.sms"},
      {"odd page count", 3, 5, "noise5.sms"}, {"Game Gear", 4, 3, "noise.gg"},
      {"24 pages", 5, 24, "noise24.sms"},
      {"on a Game Gear, with a light gun and a paddle", 6, 4, "noise6.sms", ConsoleKind::kGameGear,
       Peripheral::kLightGun, Peripheral::kPaddle},
      {"with a sports pad and the glasses", 7, 3, "noise7.sms", ConsoleKind::kFromImage, Peripheral::kSportsPad,
       Peripheral::kGlasses},
      {"SG-1000", 8, 2, "noise.sg"}, {"SC-3000 over 48 KB", 9, 5, "noise.sc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    machine->SetConsoleKind(c.kind);
    machine->SetPeripheral(0, c.port1);
    machine->SetPeripheral(1, c.port2);
    std::mt19937 random(c.seed);
    std::vector<std::uint8_t> image(static_cast<std::size_t>(c.pages) * Console::kPageSize);
    for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
    LogCapture quiet;  // random code talks to many unknown ports
    ASSERT_TRUE(Load(Write(c.file, image)));
    RunFrames(20);
    EXPECT_EQ(machine->video.line, 0);  // every scanline ended: whole frames ran
  }
}

TEST_F(RandomCartridges, PrefixRunsStillEndEveryScanline) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> pattern;
  };
  const Case cases[] = {
      {"DD 18 FE: a prefixed jump to itself", {0xDD, 0x18, 0xFE}},
      {"ED 00 throughout", {0xED, 0x00}},
      {"DD DD DD ...", {0xDD}},
      {"FD CB d unknown", {0xFD, 0xCB, 0x00, 0x36}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> image(2 * Console::kPageSize);
    for (std::size_t at = 0; at < image.size(); ++at) image[at] = c.pattern[at % c.pattern.size()];
    LogCapture quiet;
    ASSERT_TRUE(Load(Write("prefixes.sms", image)));
    RunFrames(3);
    EXPECT_EQ(machine->video.line, 0);
  }
}

}  // namespace
