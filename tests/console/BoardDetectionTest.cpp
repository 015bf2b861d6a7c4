// The board found from an image and from the program's first writes, the
// console found from the header, port 0x3E's enables, and the boot program
// handing over to the cartridge.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "console/Console.h"
#include "console/SaveState.h"

namespace {

enum class Header { kNone, kCodemasters, kRegion3, kRegion4, kRegion5, kRegion6, kRegion7 };

// Pages filled with their own number, and the header asked for.
std::vector<std::uint8_t> Image(int pages, Header header = Header::kNone) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(pages) * Console::kPageSize);
  for (std::size_t at = 0; at < bytes.size(); ++at) bytes[at] = static_cast<std::uint8_t>(at / Console::kPageSize);
  if (header == Header::kCodemasters) {
    const std::uint8_t sums[] = {0x34, 0x12, 0xCC, 0xED};  // 0x1234 and 0x10000 less it
    std::copy(std::begin(sums), std::end(sums), bytes.begin() + 0x7FE6);
  } else if (header != Header::kNone) {
    const char* tmr = "TMR SEGA";
    std::copy(tmr, tmr + 8, bytes.begin() + 0x7FF0);
    const int region = header == Header::kRegion3   ? 3
                       : header == Header::kRegion4 ? 4
                       : header == Header::kRegion5 ? 5
                       : header == Header::kRegion6 ? 6
                                                    : 7;
    bytes[0x7FFF] = static_cast<std::uint8_t>(region << 4 | 0x0C);
  }
  return bytes;
}

struct Write {
  std::uint16_t address;
  std::uint8_t value;
};

// With no region chosen, the header's region code picks the console: a
// Japanese code the Japanese one, anything else (or no header) the export
// NTSC one. A choice wins; a Game Gear has no PAL model.
TEST(BoardDetection, TheHeaderNamesTheRegionUnlessOneIsChosen) {
  struct Case {
    const char* name;
    Header header;
    Region choice;
    Region running;
    int lines;
  };
  const Case cases[] = {
      {"Master System, Japan", Header::kRegion3, Region::kFromImage, Region::kJapanese, 262},
      {"Master System, export", Header::kRegion4, Region::kFromImage, Region::kExport, 262},
      {"Game Gear, Japan", Header::kRegion5, Region::kFromImage, Region::kJapanese, 262},
      {"no header", Header::kNone, Region::kFromImage, Region::kExport, 262},
      {"a Japanese image on a PAL console", Header::kRegion3, Region::kExportPal, Region::kExportPal, 313},
      {"an export image on a Japanese console", Header::kRegion4, Region::kJapanese, Region::kJapanese, 262},
      {"a Game Gear asked to be PAL stays NTSC", Header::kRegion6, Region::kExportPal, Region::kExport, 262},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Console console;
    console.SetRegion(c.choice);
    ASSERT_TRUE(console.LoadCartridge(Image(4, c.header).data(), 4 * Console::kPageSize, "game.sms"));
    EXPECT_EQ(console.CurrentRegion(), c.running);
    EXPECT_EQ(console.Japanese(), c.running == Region::kJapanese);
    EXPECT_EQ(console.timing.linesPerFrame, c.lines);
  }
}

TEST(BoardDetection, TheImageAndTheFirstWritesNameTheBoard) {
  struct Case {
    const char* name;
    int pages;
    Header header;
    std::optional<Board> chosen;
    std::vector<Write> writes;
    Board board;
    bool settled;
    std::uint16_t readAt;
    std::uint8_t page;  // the page readAt shows after the writes
  };
  const Case cases[] = {
      {"Codemasters checksum at 0x7FE0", 8, Header::kCodemasters, std::nullopt, {{0x8000, 5}}, Board::Codemasters,
       true, 0x8000, 5},
      {"48 KB: no mapper until a Sega register is written", 3, Header::kNone, std::nullopt, {}, Board::None, false,
       0x8000, 2},
      {"48 KB that writes 0xFFFC: Sega", 3, Header::kNone, std::nullopt, {{0xFFFC, 0}, {0xFFFF, 1}}, Board::Sega,
       true, 0x8000, 1},
      {"64 KB: Sega until proved otherwise", 4, Header::kNone, std::nullopt, {{0x1234, 1}}, Board::Sega, false,
       0x8000, 0},
      {"first write 0x8000: Codemasters", 8, Header::kNone, std::nullopt, {{0x8000, 3}}, Board::Codemasters, true,
       0x8000, 3},
      {"first write 0x4000: Codemasters", 8, Header::kNone, std::nullopt, {{0x4000, 6}}, Board::Codemasters, true,
       0x4000, 6},
      {"first write 0xA000: Korean", 8, Header::kNone, std::nullopt, {{0xA000, 4}}, Board::Korean, true, 0x8000, 4},
      {"first write 0x0002: Korean 8 KB", 8, Header::kNone, std::nullopt, {{0x0002, 9}}, Board::Korean8K, true,
       0x4000, 4},
      {"first write 0x7FFF: multi-game", 8, Header::kNone, std::nullopt, {{0x7FFF, 6}}, Board::MultiGame, true,
       0x4000, 6},
      {"0xFFFF first: later ROM writes are only writes", 8, Header::kNone, std::nullopt,
       {{0xFFFF, 3}, {0x8000, 5}, {0xA000, 6}}, Board::Sega, true, 0x8000, 3},
      {"4 MB: bank 255 is the last page", 256, Header::kNone, std::nullopt, {{0xFFFF, 255}}, Board::Sega, true,
       0x8000, 255},
      {"chosen Codemasters ignores 0xFFFF", 4, Header::kNone, Board::Codemasters, {{0xFFFF, 2}, {0x8000, 3}},
       Board::Codemasters, true, 0x8000, 3},
      {"chosen Sega over the Codemasters checksum", 8, Header::kCodemasters, Board::Sega, {{0x8000, 5}}, Board::Sega,
       true, 0x8000, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Console console;
    const std::vector<std::uint8_t> image = Image(c.pages, c.header);
    console.SetBoardChoice(c.chosen);
    ASSERT_TRUE(console.LoadCartridge(image.data(), image.size(), "game.sms"));
    console.Reset();
    for (const Write& w : c.writes) console.WriteMem(w.address, w.value);
    EXPECT_EQ(console.CartridgeBoard(), c.board) << BoardName(console.CartridgeBoard());
    EXPECT_EQ(console.cartridge.BoardSettled(), c.settled);
    EXPECT_EQ(console.ReadMem(c.readAt), c.page);
  }
}

TEST(BoardDetection, AStateKeepsTheBoardAndItsRegisters) {
  const struct {
    const char* name;
    std::vector<Write> writes;
    Board board;
    std::uint16_t readAt;
    std::uint8_t page;
  } cases[] = {
      {"Korean", {{0xA000, 5}}, Board::Korean, 0x8000, 5},
      {"Codemasters with its RAM", {{0x8000, 6}, {0x4000, 0x80}, {0xA000, 0x77}}, Board::Codemasters, 0xA000, 0x77},
      {"Korean 8 KB", {{0x0002, 9}}, Board::Korean8K, 0x4000, 4},
      {"cartridge switched off", {{0xFFFF, 2}, {0x3E, 0xEB}}, Board::Sega, 0x8000, 0xFF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::uint8_t> image = Image(8);
    Console saved, restored;
    ASSERT_TRUE(saved.LoadCartridge(image.data(), image.size(), "game.sms"));
    ASSERT_TRUE(restored.LoadCartridge(image.data(), image.size(), "game.sms"));
    saved.Reset();
    restored.Reset();
    for (const Write& w : c.writes) {
      if (w.address == 0x3E) {
        saved.OutPort(w.address, w.value);
      } else {
        saved.WriteMem(w.address, w.value);
      }
    }
    std::vector<std::uint8_t> state(StateSize(saved));
    ASSERT_EQ(SaveState(saved, state.data(), state.size()), StateError::None);
    ASSERT_EQ(LoadState(restored, state.data(), state.size()), StateError::None);
    EXPECT_EQ(restored.CartridgeBoard(), c.board);
    EXPECT_EQ(restored.ReadMem(c.readAt), c.page);
  }
}

TEST(BoardDetection, ImagesBeyondFourMegabytesAreRefused) {
  const struct {
    int pages;
    bool loads;
  } cases[] = {{256, true}, {257, false}, {300, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pages);
    Console console;
    const std::vector<std::uint8_t> image = Image(c.pages);
    EXPECT_EQ(console.LoadCartridge(image.data(), image.size(), "big.sms"), c.loads);
    EXPECT_EQ(console.CartridgeLoaded(), c.loads);
  }
}

TEST(BoardDetection, TheHeadersRegionCodeNamesTheGameGear) {
  const struct {
    const char* name;
    Header header;
    ConsoleKind kind;
    bool gameGear;
  } cases[] = {
      {"game.sms", Header::kNone, ConsoleKind::kFromImage, false},
      {"game.gg", Header::kNone, ConsoleKind::kFromImage, true},
      {"renamed.sms", Header::kRegion6, ConsoleKind::kFromImage, true},
      {"renamed.sms", Header::kRegion7, ConsoleKind::kFromImage, true},
      {"game.sms", Header::kRegion4, ConsoleKind::kFromImage, false},
      {"game.gg", Header::kRegion4, ConsoleKind::kFromImage, true},  // the name stands
      {"renamed.sms", Header::kRegion6, ConsoleKind::kMasterSystem, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Console console;
    const std::vector<std::uint8_t> image = Image(2, c.header);
    console.SetConsoleKind(c.kind);
    ASSERT_TRUE(console.LoadCartridge(image.data(), image.size(), c.name));
    EXPECT_EQ(console.GameGearColours(), c.gameGear);
  }
}

enum class Op { kOut, kRead, kWrite, kIn };
struct Step {
  Op op;
  std::uint16_t at;
  std::uint8_t value;  // written, or expected
};

TEST(MemoryControl, Port3EEnablesWhatAnswers) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"as the boot program leaves it, kept at 0xC000", {{Op::kRead, 0xC000, 0xAB}, {Op::kRead, 0x4000, 1}}},
      {"cartridge off: its slots read 0xFF; on again",
       {{Op::kOut, 0x3E, 0xEB}, {Op::kRead, 0x0000, 0xFF}, {Op::kRead, 0x4000, 0xFF}, {Op::kRead, 0xC000, 0xAB},
        {Op::kOut, 0x3E, 0xAB}, {Op::kRead, 0x4000, 1}}},
      {"cartridge off: its registers still switch banks",
       {{Op::kOut, 0x3E, 0xEB}, {Op::kWrite, 0xFFFE, 3}, {Op::kOut, 0x3E, 0xAB}, {Op::kRead, 0x4000, 3}}},
      {"work RAM off: reads 0xFF, writes are lost",
       {{Op::kWrite, 0xC100, 0x12}, {Op::kOut, 0x3E, 0xBB}, {Op::kRead, 0xC100, 0xFF}, {Op::kWrite, 0xC100, 0x34},
        {Op::kRead, 0xE100, 0xFF}, {Op::kOut, 0x3E, 0xAB}, {Op::kRead, 0xC100, 0x12}}},
      {"I/O chip off: the controller ports read 0xFF",
       {{Op::kOut, 0x3F, 0x05}, {Op::kIn, 0xDD, 0x3F}, {Op::kOut, 0x3E, 0xAF}, {Op::kIn, 0xDD, 0xFF},
        {Op::kIn, 0xDC, 0xFF}, {Op::kOut, 0x3E, 0xAB}, {Op::kIn, 0xDD, 0x3F}}},
      {"boot program on without one: the cartridge stays", {{Op::kOut, 0x3E, 0xA3}, {Op::kRead, 0x4000, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Console console;
    const std::vector<std::uint8_t> image = Image(4);
    ASSERT_TRUE(console.LoadCartridge(image.data(), image.size(), "game.sms"));
    console.Reset();
    for (const Step& s : c.steps) {
      switch (s.op) {
        case Op::kOut: console.OutPort(s.at, s.value); break;
        case Op::kWrite: console.WriteMem(s.at, s.value); break;
        case Op::kRead: EXPECT_EQ(console.ReadMem(s.at), s.value) << std::hex << s.at; break;
        case Op::kIn: EXPECT_EQ(console.InPort(s.at), s.value) << std::hex << s.at; break;
      }
    }
  }
}

TEST(MemoryControl, TheBootProgramHandsOverToTheCartridge) {
  // Marks 0xC011, copies a stub to work RAM and runs it: the stub switches
  // the cartridge on and the boot program off through port 0x3E, then
  // restarts at 0x0000, now the cartridge's.
  const std::vector<std::uint8_t> handsOver = {
      0xF3, 0x31, 0xF0, 0xDF, 0x3E, 0x77, 0x32, 0x11, 0xC0, 0x21, 0x20, 0x00, 0x11, 0x00, 0xC1, 0x01,
      0x05, 0x00, 0xED, 0xB0, 0xC3, 0x00, 0xC1, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0x3E, 0xAB, 0xD3, 0x3E, 0xC7};
  // Marks 0xC011 and stays.
  const std::vector<std::uint8_t> stays = {0xF3, 0x3E, 0x77, 0x32, 0x11, 0xC0, 0x18, 0xFE};
  // The cartridge marks 0xC010 and stays.
  std::vector<std::uint8_t> cartridge = Image(2);
  const std::uint8_t program[] = {0xF3, 0x3E, 0x42, 0x32, 0x10, 0xC0, 0x18, 0xFE};
  std::copy(std::begin(program), std::end(program), cartridge.begin());
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bios;  // empty: none
    std::uint8_t biosMark, cartridgeMark, at0000;
  };
  const Case cases[] = {
      {"no boot program: the cartridge starts", {}, 0xFF, 0x42, 0xF3},
      {"the boot program hands over", handsOver, 0x77, 0x42, 0xF3},
      {"a boot program that keeps the console", stays, 0x77, 0xFF, 0xF3},
      {"an 8 KB boot program of NOPs shows instead of the cartridge", std::vector<std::uint8_t>(0x2000, 0x00), 0xFF, 0xFF, 0x00},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Console console;
    if (!c.bios.empty()) {
      ASSERT_TRUE(console.SetBios(c.bios.data(), c.bios.size()));
    }
    ASSERT_TRUE(console.LoadCartridge(cartridge.data(), cartridge.size(), "game.sms"));
    console.Reset();
    for (int frame = 0; frame < 2; ++frame) console.RunFrame(FrameInput{});
    EXPECT_EQ(console.ReadMem(0xC011), c.biosMark);
    EXPECT_EQ(console.ReadMem(0xC010), c.cartridgeMark);
    EXPECT_EQ(console.ReadMem(0x0000), c.at0000);
  }
  Console console;
  const std::vector<std::uint8_t> tooLarge(Console::kMaxBiosSize + 1, 0);
  EXPECT_FALSE(console.SetBios(tooLarge.data(), tooLarge.size()));
  EXPECT_FALSE(console.HasBios());
}

}  // namespace
