#pragma once

#include <cstddef>
#include <cstdint>

// The boards cartridges are built on: which mapper chip (if any) turns the
// processor's writes into bank numbers, and where it listens.
//
//   Sega         registers at 0xFFFC (RAM control) and 0xFFFD-0xFFFF (slots 0-2);
//                32 KB of battery RAM in slot 2
//   Codemasters  registers at 0x0000, 0x4000 and 0x8000 (slots 0-2); bit 7 of
//                the 0x4000 register maps 8 KB of cartridge RAM at 0xA000-0xBFFF
//   Korean       one register at 0xA000 (slot 2); slots 0 and 1 fixed
//   Korean8K     registers at 0x0000-0x0003 choosing the 8 KB pages seen at
//                0x8000, 0xA000, 0x4000 and 0x6000 (the MSX-style boards)
//   MultiGame    registers at 0x3FFE, 0x7FFF and 0xBFFF (slots 0-2); slot 2 adds
//                bits 4-5 of the slot 0 register (the game's 256 KB block)
//   None         no mapper: up to 48 KB in place, RAM at 0xC000 only
enum class Board : std::uint8_t { None, Sega, Codemasters, Korean, Korean8K, MultiGame };
inline constexpr int kBoardCount = 6;

// The name options and settings use ("sega", "codemasters", ...).
const char* BoardName(Board board);
// The name the log gives ("Sega board", "no mapper", ...).
const char* BoardTitle(Board board);
// Reads a name BoardName gives (any case). False for anything else.
bool BoardFromName(const char* name, Board& board);

// What an image's bytes tell of its board. `settled` is false when the
// guess stands only until the program's first mapper-like write decides.
struct BoardGuess {
  Board board = Board::Sega;
  bool settled = false;
};

// `rom` holds `size` bytes of whole 16 KB pages (header removed).
BoardGuess DetectBoard(const std::uint8_t* rom, std::size_t size);

// The board a program's first mapper-like write points to, or false when the
// address is none of the boards' registers. A write to 0xFFFC-0xFFFF names
// the Sega board.
bool BoardFromFirstWrite(std::uint16_t address, Board& board);
