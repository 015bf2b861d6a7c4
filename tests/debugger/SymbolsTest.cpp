#include "debugger/Symbols.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Each format's own layout: the names it defines land at their addresses and
// banks, and what is not a place is left out.
TEST(Symbols, Formats) {
  struct Case {
    const char* format;
    const char* text;
    const char* name;
    int address;  // -1: must not be there
    int bank;
  };
  const char* const wla =
      "; WLA Symbols\n[labels]\n00:0000 Boot\n01:8000 LevelData\n00:c010 Player.x\n"
      "[definitions]\n00000010 SPEED\n";
  // sdcc's linker files, from tests/cartridges/sdcc_symbols.c at build time.
  const std::string noi = ReadText(SDCC_SYMBOLS ".noi");
  const std::string map = ReadText(SDCC_SYMBOLS ".map");
  const char* const pasmo = "00000000\tEQU 00113H\nMainLoop\tEQU 00152H\nSPEED\t\tEQU 00004H\n";
  const Case cases[] = {
      {"wla", wla, "Boot", 0x0000, 0},
      {"wla", wla, "LevelData", 0x8000, 1},
      {"wla", wla, "Player.x", 0xC010, 0},
      {"wla", wla, "SPEED", -1, 0},  // a definition, not a label
      {"noi", noi.c_str(), "_tick", 0x0200, -1},  // the first routine, at the code's start
      {"noi", noi.c_str(), "_score", 0xC000, -1},
      {"noi", noi.c_str(), "_bonus", 0x8000, 2},  // banked
      {"noi", noi.c_str(), "l__CODE", -1, 0},     // a length
      {"map", map.c_str(), "_tick", 0x0200, -1},
      {"map", map.c_str(), "_score", 0xC000, -1},
      {"map", map.c_str(), "_bonus", 0x8000, 2},
      {"map", map.c_str(), "_CODE", -1, 0},  // an area line
      {"pasmo", pasmo, "MainLoop", 0x0152, -1},
      {"pasmo", pasmo, "SPEED", 0x0004, -1},
      {"pasmo", pasmo, "00000000", -1, 0},  // a local label's number
  };
  for (const Case& c : cases) {
    SymbolTable table;
    ASSERT_TRUE(table.Parse(c.text)) << c.format;
    const std::optional<Symbol> symbol = table.Find(c.name);
    if (c.address < 0) {
      EXPECT_FALSE(symbol) << c.format << " " << c.name;
      continue;
    }
    ASSERT_TRUE(symbol) << c.format << " " << c.name;
    EXPECT_EQ(symbol->address, c.address) << c.format << " " << c.name;
    EXPECT_EQ(symbol->bank, c.bank) << c.format << " " << c.name;
  }
  SymbolTable table;
  EXPECT_FALSE(table.Parse("just some words\nof no format\n"));
  EXPECT_TRUE(table.Empty());
}

// Addresses as a reader sees them: label, label+offset, the bank's own
// label, never a value.
TEST(Symbols, Naming) {
  SymbolTable table;
  ASSERT_TRUE(table.Parse("[labels]\n00:0100 Start\n01:8000 LevelOne\n02:8000 LevelTwo\n00:c000 Ram\n"));
  ASSERT_TRUE(table.Parse("COUNT\tEQU 00103H\n"));
  struct Case {
    int address;
    int bankAt;
    bool exact;
    const char* name;
  };
  const Case cases[] = {
      {0x0100, 0, false, "Start"},      {0x0103, 0, false, "Start+$3"},
      {0x0103, 0, true, ""},            {0x00FF, 0, false, ""},
      {0x8004, 1, false, "LevelOne+$4"}, {0x8004, 2, false, "LevelTwo+$4"},
      {0x8004, 3, false, ""},           {0xC001, -1, false, "Ram+$1"},
      {0x2100, 0, false, ""},  // past the longest offset
  };
  for (const Case& c : cases) {
    EXPECT_EQ(table.Name(static_cast<std::uint16_t>(c.address), c.bankAt, c.exact), c.name)
        << std::hex << c.address << " bank " << c.bankAt;
  }
  struct Written {
    const char* text;
    int address;  // -1: not an address
  };
  const Written written[] = {{"Start", 0x100}, {"start", 0x100}, {"Start+4", 0x104}, {"Start + $10", 0x110},
                             {"$1234", 0x1234}, {"0x1234", 0x1234}, {"1234h", 0x1234}, {"beef", 0xBEEF},
                             {"Nowhere", -1},    {"Start+zz", -1},   {"12345", -1}};
  for (const Written& w : written) {
    const std::optional<Symbol> symbol = table.Resolve(w.text);
    if (w.address < 0) {
      EXPECT_FALSE(symbol) << w.text;
    } else {
      ASSERT_TRUE(symbol) << w.text;
      EXPECT_EQ(symbol->address, w.address) << w.text;
    }
  }
}

// A symbol table made by the assembler itself, and the demo cartridge's.
TEST(Symbols, AssemblerTables) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tavrin-symbols-test";
  std::filesystem::create_directories(dir);
  std::ofstream((dir / "t.asm").string()) << " org $0000\n di\n jp Main\n org $0150\nMain: ld a,1\n"
                                             "Loop: dec a\n jr Loop\nLIMIT equ 7\n";
  const std::string command = std::string(TAVRIN_PASMO) + " --bin " + (dir / "t.asm").string() + " " +
                              (dir / "t.bin").string() + " " + (dir / "t.sym").string();
  ASSERT_EQ(std::system(command.c_str()), 0);
  SymbolTable table;
  ASSERT_TRUE(table.Parse(ReadText((dir / "t.sym").string())));
  std::filesystem::remove_all(dir);
  EXPECT_EQ(table.Name(0x0150, 0, false), "Main");
  EXPECT_EQ(table.Name(0x0153, 0, false), "Loop+$1");
  EXPECT_EQ(table.Find("LIMIT")->address, 7);

  SymbolTable demo;
  ASSERT_TRUE(demo.Parse(ReadText(TAVRIN_DEMO_SYM)));
  const std::optional<Symbol> mainLoop = demo.Find("MainLoop");
  ASSERT_TRUE(mainLoop);
  EXPECT_EQ(demo.Name(mainLoop->address, 0, true), "MainLoop");
}

TEST(Symbols, FilesBesideAnImage) {
  EXPECT_EQ(SymbolFilesBeside("dir.v2/game.sms"),
            (std::vector<std::string>{"dir.v2/game.sym", "dir.v2/game.noi", "dir.v2/game.map", "dir.v2/game.cdb"}));
  EXPECT_EQ(SymbolFilesBeside("dir.v2/game"),
            (std::vector<std::string>{"dir.v2/game.sym", "dir.v2/game.noi", "dir.v2/game.map", "dir.v2/game.cdb"}));
}

}  // namespace
