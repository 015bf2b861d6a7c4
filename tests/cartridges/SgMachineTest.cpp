// The SG-1000 and SC-3000 test cartridges run on a console directly: what
// they read back from the memory map and from the SC-3000's keyboard
// matrix, left in their results in work RAM.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "console/Console.h"
#include "console/SaveState.h"

namespace {

std::vector<std::uint8_t> ReadImage(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

constexpr int kResults = 0x100;  // RESULTS ($C100) in the work RAM

std::unique_ptr<Console> Start(const char* path, const char* name, ConsoleKind kind = ConsoleKind::kFromImage,
                               SgCartridgeRam ram = SgCartridgeRam::kAuto) {
  auto console = std::make_unique<Console>();
  const std::vector<std::uint8_t> image = ReadImage(path);
  console->SetConsoleKind(kind);
  console->SetCartridgeRamChoice(ram);
  EXPECT_TRUE(console->LoadCartridge(image.data(), image.size(), name)) << path;
  console->Reset();
  return console;
}

std::vector<std::uint8_t> Results(const Console& console, int count) {
  return std::vector<std::uint8_t>(console.systemRam + kResults, console.systemRam + kResults + count);
}

TEST(SgMachine, MemoryMapOfEachConsoleAndCartridgeRam) {
  struct Case {
    const char* name;
    const char* file;
    ConsoleKind kind;
    SgCartridgeRam ram;
    std::vector<std::uint8_t> expected;
    int ramAt;
  };
  // 0xF3 and 0xED are the image's first two bytes (di; im 1), seen again
  // wherever no RAM answers: the 8 KB image repeats through 0x0000-0xBFFF.
  const Case cases[] = {
      {"SG-1000: 1 KB of RAM; the first write places the extra RAM at 0x8000", "a.sg", ConsoleKind::kFromImage,
       SgCartridgeRam::kAuto, {3, 3, 3, 0xA5, 0xA5, 0xF3, 0xF3, 0xED, 0xFF}, 0x8000},
      {"SC-3000: 2 KB of RAM", "a.sc", ConsoleKind::kFromImage, SgCartridgeRam::kAuto,
       {3, 2, 2, 0xA5, 0xA5, 0xF3, 0xF3, 0xED, 0xFF}, 0x8000},
      {"the RAM put at 0x2000", "a.sg", ConsoleKind::kFromImage, SgCartridgeRam::kAt2000,
       {3, 3, 3, 0xF3, 0xF3, 0x5A, 0xF3, 0xFF, 0xFF}, 0x2000},
      {"no extra RAM", "a.sg", ConsoleKind::kFromImage, SgCartridgeRam::kNone,
       {3, 3, 3, 0xF3, 0xF3, 0xF3, 0xF3, 0xED, 0xFF}, 0},
      {"a .sms name run as an SC-3000", "a.sms", ConsoleKind::kSc3000, SgCartridgeRam::kAuto,
       {3, 2, 2, 0xA5, 0xA5, 0xF3, 0xF3, 0xED, 0xFF}, 0x8000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto console = Start(CART_SG_MEMORY, c.file, c.kind, c.ram);
    for (int frame = 0; frame < 3; ++frame) console->RunFrame({});
    EXPECT_EQ(Results(*console, 9), c.expected);
    EXPECT_EQ(console->SgCartridgeRamAddress(), c.ramAt);
    EXPECT_FALSE(console->CartridgeRamDirty()) << "the extra RAM keeps no battery";
  }
}

TEST(SgMachine, KeyboardMatrixThroughThe8255) {
  FrameInput input;
  std::uint8_t code = 0;
  for (const char* key : {"Q", "8", "SPACE", "CR", "SHIFT", "FUNC"}) {
    ASSERT_TRUE(ScKeyFromName(key, code)) << key;
    PressScKey(input, code);
  }
  input.pad[0] = kPadUp | kPadButton1;
  input.pad[1] = kPadDown | kPadRight;
  auto console = Start(CART_SC_KEYBOARD, "keys.sc");
  for (int frame = 0; frame < 3; ++frame) console->RunFrame(input);
  // Active low. Q is row 0 line 1, 8 row 0 line 8 (port B bit 0), SPACE row
  // 1 line 4, CR row 5 line 6, FUNC row 5 line 11, SHIFT row 6 line 11;
  // row 7 holds pad 1's up and button 1, pad 2's down (port A bit 7) and
  // right (port B bit 1).
  const std::vector<std::uint8_t> expected = {
      0x6E, 0xFD,              // the chip as it starts: the pads
      0xFD, 0xFE, 0xEF, 0xFF,  // rows 0, 1
      0xFF, 0xFF, 0xFF, 0xFF,  // rows 2, 3
      0xFF, 0xFF, 0xBF, 0xF7,  // rows 4, 5
      0xFF, 0xF7,              // row 6
      0x6E, 0xFD, 0x07,        // row 7 through bit commands, port C read back
  };
  EXPECT_EQ(Results(*console, 19), expected);

  // On an SG-1000 the same ports are the pads whatever was written.
  auto sg = Start(CART_SC_KEYBOARD, "keys.sg");
  for (int frame = 0; frame < 3; ++frame) sg->RunFrame(input);
  const std::vector<std::uint8_t> rows = Results(*sg, 18);
  for (int at = 0; at < 18; at += 2) {
    EXPECT_EQ(rows[at], 0x6E) << at;
    EXPECT_EQ(rows[at + 1], 0xFD) << at;
  }
}

TEST(SgMachine, StatesKeepTheConsoleAndRefuseAnother) {
  auto console = Start(CART_SG_MEMORY, "a.sc");
  for (int frame = 0; frame < 3; ++frame) console->RunFrame({});
  std::vector<std::uint8_t> state(StateSize(*console));
  ASSERT_EQ(SaveState(*console, state.data(), state.size()), StateError::None);

  // A fresh SC-3000 takes it: the RAM placement and the mirrored RAM return.
  auto again = Start(CART_SG_MEMORY, "a.sc");
  ASSERT_EQ(LoadState(*again, state.data(), state.size()), StateError::None);
  EXPECT_EQ(again->SgCartridgeRamAddress(), 0x8000);
  EXPECT_EQ(again->ReadMem(0xC810), 3);
  EXPECT_EQ(again->ReadMem(0xFC10), 2);
  EXPECT_EQ(again->ReadMem(0xA000), 0xA5);

  // An SG-1000 of the same image refuses it.
  auto other = Start(CART_SG_MEMORY, "a.sg");
  EXPECT_EQ(LoadState(*other, state.data(), state.size()), StateError::OtherConsole);
}

}  // namespace
