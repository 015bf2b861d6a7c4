// Runs the board probes of this folder on a console directly and checks
// the 8 KB page numbers each probe read back after its register writes (its
// results block in work RAM), and the board the console settled on.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "console/Console.h"

namespace {

std::vector<std::uint8_t> ReadImage(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(BoardProbes, EachBoardGivesItsBankSequence) {
  struct Case {
    const char* name;
    const char* image;
    std::optional<Board> chosen;
    Board settled;
    std::vector<std::uint8_t> reads;  // 8 KB page numbers, and RAM bytes where the probe says
  };
  const Case cases[] = {
      {"Sega: slots at reset, 0xFFFF, 0xFFFE, slot 0 past its first 1 KB", CART_BOARD_sega_8, std::nullopt,
       Board::Sega, {2, 0, 10, 6, 4, 10}},
      {"Codemasters: 0x8000, 0x4000, 0x0000, then 8 KB of RAM at 0xA000 and off again", CART_BOARD_codemasters_8,
       std::nullopt, Board::Codemasters, {2, 4, 6, 10, 12, 6, 0x5A, 4, 6, 7}},
      {"Korean: 0xA000 switches slot 2, 0xFFFF does not", CART_BOARD_korean_8, std::nullopt, Board::Korean,
       {0, 10, 11, 2, 10}},
      {"Korean 8 KB: 0x0000-0x0003 choose 0x8000, 0xA000, 0x4000, 0x6000", CART_BOARD_korean8k_8, std::nullopt,
       Board::Korean8K, {0, 1, 7, 15, 9, 12}},
      {"multi-game: slot 2 adds the slot 0 register's bits 4-5", CART_BOARD_multigame_32, std::nullopt,
       Board::MultiGame, {6, 10, 34, 38, 6}},
      {"48 KB in place; a write to 0xFFFF makes it a Sega board", CART_BOARD_none_3, std::nullopt, Board::Sega,
       {0, 2, 4, 2, 1}},
      {"no mapper chosen: 0xFFFF is only RAM", CART_BOARD_none_3, Board::None, Board::None, {0, 2, 4, 4, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Console console;
    const std::vector<std::uint8_t> image = ReadImage(c.image);
    console.SetBoardChoice(c.chosen);
    ASSERT_TRUE(console.LoadCartridge(image.data(), image.size(), "probe.sms"));
    console.Reset();
    for (int frame = 0; frame < 20; ++frame) console.RunFrame(FrameInput{});
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(console.systemRam), 4), "TVRN");
    EXPECT_EQ(std::vector<std::uint8_t>(console.systemRam + 4, console.systemRam + 4 + c.reads.size()), c.reads);
    EXPECT_EQ(console.CartridgeBoard(), c.settled) << BoardName(console.CartridgeBoard());
  }
}

}  // namespace
