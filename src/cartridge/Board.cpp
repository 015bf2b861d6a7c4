#include "cartridge/Board.h"

#include "cartridge/Cartridge.h"

namespace {

struct BoardNames {
  const char* name;
  const char* title;
};
constexpr BoardNames kNames[kBoardCount] = {
    {"none", "no mapper"},
    {"sega", "Sega board"},
    {"codemasters", "Codemasters board"},
    {"korean", "Korean board"},
    {"korean8k", "Korean 8 KB board"},
    {"multigame", "multi-game board"},
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr std::size_t kPage = Cartridge::kPageSize;

// Codemasters images carry their own header at 0x7FE0: a 16-bit checksum at
// 0x7FE6 and its complement (0x10000 less it) at 0x7FE8.
bool HasCodemastersHeader(const std::uint8_t* rom, std::size_t size) {
  if (size < 2 * kPage) return false;
  const unsigned checksum = rom[0x7FE6] | rom[0x7FE7] << 8;
  const unsigned complement = rom[0x7FE8] | rom[0x7FE9] << 8;
  return checksum != 0 && checksum + complement == 0x10000;
}

}  // namespace

const char* BoardName(Board board) { return kNames[static_cast<int>(board) % kBoardCount].name; }
const char* BoardTitle(Board board) { return kNames[static_cast<int>(board) % kBoardCount].title; }

bool BoardFromName(const char* name, Board& board) {
  if (name == nullptr) return false;
  for (int k = 0; k < kBoardCount; ++k) {
    const char* want = kNames[k].name;
    int i = 0;
    while (want[i] != '\0' && Lower(name[i]) == want[i]) ++i;
    if (want[i] == '\0' && name[i] == '\0') {
      board = static_cast<Board>(k);
      return true;
    }
  }
  return false;
}

BoardGuess DetectBoard(const std::uint8_t* rom, std::size_t size) {
  if (rom != nullptr && HasCodemastersHeader(rom, size)) return {Board::Codemasters, true};
  // Up to 48 KB needs no mapper; a program that writes the Sega registers
  // anyway (for its battery RAM, say) turns the guess into the Sega board.
  if (size <= 3 * kPage) return {Board::None, false};
  return {Board::Sega, false};
}

bool BoardFromFirstWrite(std::uint16_t address, Board& board) {
  if (address >= 0xFFFC) {
    board = Board::Sega;
  } else if (address <= 0x0003) {
    board = Board::Korean8K;
  } else if (address == 0x4000 || address == 0x8000) {
    board = Board::Codemasters;
  } else if (address == 0xA000) {
    board = Board::Korean;
  } else if (address == 0x3FFE || address == 0x7FFF || address == 0xBFFF) {
    board = Board::MultiGame;
  } else {
    return false;
  }
  return true;
}
