#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "cartridge/Board.h"
#include "debug/Logger.h"

// A cartridge as bytes: its ROM pages, its RAM, and the board's banking
// rules that turn register writes into the pages the processor sees in
// 0x0000-0xBFFF. It knows nothing of files: the host reads the image and
// the battery file and hands the bytes over.
class Cartridge {
 public:
  static constexpr int kPageSize = 0x4000;
  static constexpr int kMaxPages = 256;  // 4 MB
  static constexpr int kRamSize = 2 * kPageSize;  // two 16 KB pages of battery RAM
  static constexpr int kPieceSize = 0x2000;
  static constexpr int kPieces = 6;  // the 8 KB pieces of 0x0000-0xBFFF

  // Takes an image: a copier header (whatever precedes the last whole page)
  // is skipped, and the rest is cut into 16 KB pages. The board is found
  // from the bytes unless `forced` names one. Logs what it found. False,
  // with a log line and nothing changed, when the image is too small, too
  // big or cannot be held in memory.
  bool Load(const std::uint8_t* bytes, std::size_t size, const Logger& log, const Board* forced = nullptr);
  // Takes an SG-1000 or SC-3000 image: its chips came in sizes of 8 KB and
  // up, so every byte is the program's (no copier header) and a last part
  // smaller than a page repeats to fill it, as a smaller chip shows again
  // in the rest of its slot. Up to 48 KB run without a mapper, larger
  // images on the Sega board, unless `forced` names one.
  bool LoadWhole(const std::uint8_t* bytes, std::size_t size, const Logger& log, const Board* forced = nullptr);
  // Why Load refuses an image of `size` bytes, in words a player reads;
  // "the image cannot be held in memory" when its size is not the reason.
  static std::string SizeProblem(std::size_t size);
  // Drops the image; the RAM is left alone.
  void Unload();

  int PageCount() const { return pageCount; }
  bool Loaded() const { return pageCount > 0; }
  // The page a 16 KB bank number selects. Bank numbers are masked to the
  // next power of two at or above the page count; a masked number past the
  // last page wraps onto the pages that exist, so every page is reachable
  // whatever the image's size.
  int Bank(int value) const {
    const int bank = value & bankMask;
    return bank < pageCount ? bank : (pageCount > 0 ? bank % pageCount : 0);
  }
  // The bits of a bank number that take part in banking.
  std::uint8_t BankMask() const { return static_cast<std::uint8_t>(bankMask); }
  // The page a Sega board bank register selects: bits 0-1 of its control
  // register (0xFFFC) shift every bank number it maps by 0x18, 0x10 or 0x08.
  int SegaBank(int value) const {
    constexpr int kShift[4] = {0, 0x18, 0x10, 0x08};
    return Bank(value + kShift[reg[0] & 3]);
  }
  std::uint8_t* Page(int index) { return rom.get() + static_cast<std::size_t>(index) * kPageSize; }
  const std::uint8_t* Page(int index) const { return rom.get() + static_cast<std::size_t>(index) * kPageSize; }
  // The page a pointer into the mapped ROM shows (`offset`: its place in a
  // 16 KB slot, for the Sega board's slot 0, whose first 1 KB is always page
  // 0), or -1 when it points elsewhere.
  int PageShown(const std::uint8_t* at, int offset) const {
    const auto p = reinterpret_cast<std::uintptr_t>(at);
    const auto copy = reinterpret_cast<std::uintptr_t>(slotZeroCopy);
    if (p >= copy && p < copy + kPageSize) return offset < 0x400 ? 0 : Bank(reg[1]);
    const auto start = reinterpret_cast<std::uintptr_t>(rom.get());
    if (!Loaded() || p < start || p >= start + static_cast<std::uintptr_t>(pageCount) * kPageSize) return -1;
    return static_cast<int>((p - start) / kPageSize);
  }
  // CRC-32 of the pages (header excluded): names the image in save states.
  std::uint32_t Crc32() const { return crc; }

  // ---- The board ----
  Board CurrentBoard() const { return board; }
  // The board the image was loaded with, before the program's writes.
  Board LoadedBoard() const { return loadedBoard; }
  // False while the board is a guess the program's first mapper-like write
  // may still change.
  bool BoardSettled() const { return settled; }
  // The board's power-on registers (and the guess as found at load).
  void ResetBoard();
  // Fills the read and write pointers of the six 8 KB pieces of
  // 0x0000-0xBFFF. A piece whose write pointer is null is ROM: writes to it
  // belong to Write. Valid until the next Write, ResetBoard or Refresh.
  void Map(std::uint8_t* read[kPieces], std::uint8_t* write[kPieces]);
  // What a write to a ROM piece or to 0xFFFC-0xFFFF did.
  struct WriteEffect {
    bool remap = false;   // the pieces changed: call Map again
    bool ramIn = false;   // cartridge RAM was mapped for writing
    bool ramOut = false;  // cartridge RAM that was mapped was switched out
  };
  // `detect`: the write may settle a guessed board (false for writes the
  // boot program makes while the cartridge is switched off).
  WriteEffect Write(std::uint16_t address, std::uint8_t value, bool detect = true);
  // Rebuilds what the registers imply (after registers were restored) and
  // brings restored registers back into range.
  void Refresh();

  // Battery-backed RAM: page 0 then page 1, back to back. The Codemasters
  // board's 8 KB are its first 8 KB.
  std::uint8_t ram[kRamSize] = {};

  // ---- Board state (saved in states) ----
  // Sega: 0 RAM control (0xFFFC), 1-3 slots 0-2. Codemasters and
  // multi-game: 1-3 slots 0-2. Korean: 3 slot 2. Korean 8 KB: 0-3 the
  // registers at 0x0000-0x0003 (8 KB pages).
  std::uint8_t reg[4] = {0, 0, 1, 0};
  Board board = Board::Sega;
  bool settled = false;

 private:
  // Takes `pages` pages already filled, and finds or takes the board.
  void Take(std::unique_ptr<std::uint8_t[]> pages, std::size_t count, const Logger& log, const BoardGuess& guess);
  std::uint8_t* Piece8(int number);  // an 8 KB page, wrapped as Bank wraps
  void SwitchBoard(Board to);

  std::unique_ptr<std::uint8_t[]> rom;  // pageCount pages, back to back
  int pageCount = 0;
  int bankMask = 0;
  std::uint32_t crc = 0;
  Board loadedBoard = Board::Sega;
  bool loadedSettled = false;
  // Sega board: slot 0 keeps page 0's first 1 KB (the interrupt vectors)
  // whatever bank is selected; the rest of the bank is copied behind it.
  std::uint8_t slotZeroCopy[kPageSize] = {};
};

// CRC-32 (the polynomial of zip and PNG) of a byte string.
std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t size, std::uint32_t crc = 0);
