#include "cartridge/Cartridge.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t size, std::uint32_t crc) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = kCrcTable[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::string Cartridge::SizeProblem(std::size_t size) {
  if (size < static_cast<std::size_t>(kPageSize)) {
    return "the image is too small: " + std::to_string(size) + " bytes, where a cartridge holds at least " +
           std::to_string(kPageSize);
  }
  if (size / kPageSize > static_cast<std::size_t>(kMaxPages)) {
    return "the image is too large: " + std::to_string(size / kPageSize) + " pages of 16 KB, where a cartridge holds at most " +
           std::to_string(kMaxPages);
  }
  return "the image cannot be held in memory";
}

namespace {

// Room for `pages` pages, or nothing (with the log's line) for more pages
// than any board reaches or more memory than there is. Running the first
// 4 MB of a larger image would only fail later and in stranger ways.
std::unique_ptr<std::uint8_t[]> AllocatePages(std::size_t pages, const Logger& log) {
  if (pages > static_cast<std::size_t>(Cartridge::kMaxPages)) {
    log.Printf("Cart is too big!\n");
    log.Printf("Cart has %zu pages; a cartridge holds at most %d.\r\n", pages, Cartridge::kMaxPages);
    return nullptr;
  }
  std::unique_ptr<std::uint8_t[]> room(new (std::nothrow) std::uint8_t[pages * Cartridge::kPageSize]);
  if (!room) log.Printf("Cart needs more memory than there is.\r\n");
  return room;
}

}  // namespace

bool Cartridge::Load(const std::uint8_t* bytes, std::size_t size, const Logger& log, const Board* forced) {
  if (bytes == nullptr) size = 0;
  const std::size_t pages = size / kPageSize;
  const std::size_t headerLength = size - pages * kPageSize;
  if (pages == 0) {
    log.Printf("Cart is too small: %zu bytes, a cartridge holds at least one 16384-byte page.\r\n", size);
    return false;
  }
  if (headerLength > 0) log.Printf("Skipping %zu byte header.\r\n", headerLength);
  std::unique_ptr<std::uint8_t[]> pagesRead = AllocatePages(pages, log);
  if (!pagesRead) return false;
  std::memcpy(pagesRead.get(), bytes + headerLength, pages * kPageSize);
  const BoardGuess guess = forced ? BoardGuess{*forced, true} : DetectBoard(pagesRead.get(), pages * kPageSize);
  Take(std::move(pagesRead), pages, log, guess);
  return true;
}

bool Cartridge::LoadWhole(const std::uint8_t* bytes, std::size_t size, const Logger& log, const Board* forced) {
  if (bytes == nullptr || size == 0) {
    log.Printf("Cart is empty.\r\n");
    return false;
  }
  const std::size_t pages = (size + kPageSize - 1) / kPageSize;
  std::unique_ptr<std::uint8_t[]> pagesRead = AllocatePages(pages, log);
  if (!pagesRead) return false;
  std::memcpy(pagesRead.get(), bytes, size);
  const std::size_t lastStart = (pages - 1) * kPageSize;
  const std::size_t lastPart = size - lastStart;
  for (std::size_t at = size; at < pages * kPageSize; at += lastPart) {
    std::memcpy(pagesRead.get() + at, bytes + lastStart, std::min(lastPart, pages * kPageSize - at));
  }
  constexpr std::size_t kLargestWithoutMapper = 3 * kPageSize;
  const BoardGuess guess =
      forced ? BoardGuess{*forced, true} : BoardGuess{size <= kLargestWithoutMapper ? Board::None : Board::Sega, true};
  Take(std::move(pagesRead), pages, log, guess);
  return true;
}

void Cartridge::Take(std::unique_ptr<std::uint8_t[]> pagesRead, std::size_t pages, const Logger& log,
                     const BoardGuess& guess) {
  rom = std::move(pagesRead);
  pageCount = static_cast<int>(pages);
  int span = 1;
  while (span < pageCount) span <<= 1;
  bankMask = span - 1;
  crc = ::Crc32(rom.get(), pages * kPageSize);
  // A 24-page image has the only page count whose old mask (one less than
  // the count) left pages out; the line is kept for those who look for it.
  if (pageCount == 24) log.Printf("Cart Limit Changed\n");
  loadedBoard = guess.board;
  loadedSettled = guess.settled;
  ResetBoard();
}

void Cartridge::Unload() {
  rom.reset();
  pageCount = 0;
  bankMask = 0;
  crc = 0;
  loadedBoard = board = Board::Sega;
  loadedSettled = settled = false;
}

namespace {

// Power-on registers: every slot shows the page of its own number, but the
// Sega board's slot 2 starts at page 0.
void PowerOnRegisters(Board board, std::uint8_t reg[4]) {
  switch (board) {
    case Board::Korean8K:
      reg[0] = 4; reg[1] = 5; reg[2] = 2; reg[3] = 3;
      break;
    case Board::Sega:
      reg[0] = 0; reg[1] = 0; reg[2] = 1; reg[3] = 0;
      break;
    default:
      reg[0] = 0; reg[1] = 0; reg[2] = 1; reg[3] = 2;
      break;
  }
}

}  // namespace

void Cartridge::ResetBoard() {
  board = loadedBoard;
  settled = loadedSettled;
  PowerOnRegisters(board, reg);
  Refresh();
}

void Cartridge::Refresh() {
  if (static_cast<int>(board) >= kBoardCount) board = loadedBoard;
  if (!Loaded() || board != Board::Sega) return;
  std::memcpy(slotZeroCopy, Page(0), 0x400);
  std::memcpy(slotZeroCopy + 0x400, Page(SegaBank(reg[1])) + 0x400, kPageSize - 0x400);
}

std::uint8_t* Cartridge::Piece8(int number) {
  const int count = pageCount * 2;
  int piece = number & (bankMask * 2 + 1);
  if (piece >= count) piece %= count;
  return rom.get() + static_cast<std::size_t>(piece) * kPieceSize;
}

// A guess proved wrong: the new board starts out showing what the slots
// showed, so only the write that proved it changes a slot.
void Cartridge::SwitchBoard(Board to) {
  int slot[3] = {0, 1, 2};
  if (board == Board::Sega) {
    slot[0] = reg[1]; slot[1] = reg[2]; slot[2] = reg[3];
  }
  PowerOnRegisters(to, reg);
  switch (to) {
    case Board::Sega: case Board::Codemasters: case Board::MultiGame:
      reg[1] = static_cast<std::uint8_t>(slot[0]);
      reg[2] = static_cast<std::uint8_t>(slot[1]);
      reg[3] = static_cast<std::uint8_t>(slot[2]);
      break;
    case Board::Korean:
      reg[3] = static_cast<std::uint8_t>(slot[2]);
      break;
    case Board::Korean8K:
      reg[2] = static_cast<std::uint8_t>(slot[1] * 2);
      reg[3] = static_cast<std::uint8_t>(slot[1] * 2 + 1);
      reg[0] = static_cast<std::uint8_t>(slot[2] * 2);
      reg[1] = static_cast<std::uint8_t>(slot[2] * 2 + 1);
      break;
    case Board::None:
      break;
  }
  board = to;
  Refresh();
}

void Cartridge::Map(std::uint8_t* read[kPieces], std::uint8_t* write[kPieces]) {
  for (int k = 0; k < kPieces; ++k) write[k] = nullptr;
  auto slot = [&](int index, std::uint8_t* page) {
    read[index * 2] = page;
    read[index * 2 + 1] = page + kPieceSize;
  };
  switch (board) {
    case Board::Sega:
      slot(0, slotZeroCopy);
      slot(1, Page(SegaBank(reg[2])));
      if (reg[0] & 0x08) {
        // Bit 2 picks the RAM page; set selects the first half of the
        // battery file (the layout existing battery files have).
        std::uint8_t* page = (reg[0] & 0x04) ? ram : ram + kPageSize;
        slot(2, page);
        write[4] = page;
        write[5] = page + kPieceSize;
      } else {
        slot(2, Page(SegaBank(reg[3])));
      }
      break;
    case Board::Codemasters:
      slot(0, Page(Bank(reg[1])));
      slot(1, Page(Bank(reg[2] & 0x7F)));
      slot(2, Page(Bank(reg[3])));
      if (reg[2] & 0x80) read[5] = write[5] = ram;
      break;
    case Board::Korean:
      slot(0, Page(Bank(0)));
      slot(1, Page(Bank(1)));
      slot(2, Page(Bank(reg[3])));
      break;
    case Board::Korean8K:
      read[0] = Piece8(0);
      read[1] = Piece8(1);
      read[2] = Piece8(reg[2]);
      read[3] = Piece8(reg[3]);
      read[4] = Piece8(reg[0]);
      read[5] = Piece8(reg[1]);
      break;
    case Board::MultiGame:
      slot(0, Page(Bank(reg[1])));
      slot(1, Page(Bank(reg[2])));
      slot(2, Page(Bank((reg[1] & 0x30) + reg[3])));
      break;
    case Board::None:
      for (int k = 0; k < 3; ++k) slot(k, Page(Bank(k)));
      break;
  }
}

Cartridge::WriteEffect Cartridge::Write(std::uint16_t address, std::uint8_t value, bool detect) {
  WriteEffect effect;
  if (!Loaded()) return effect;
  if (!settled && detect) {
    Board found;
    if (BoardFromFirstWrite(address, found)) {
      settled = true;
      if (found != board) {
        SwitchBoard(found);
        effect.remap = true;
      }
    }
  }
  auto set = [&](int index) {
    reg[index] = value;
    effect.remap = true;
  };
  switch (board) {
    case Board::Sega: {
      if (address < 0xFFFC) break;
      if (address == 0xFFFC) {
        // Switching the RAM out is the cartridge's way of saying the save
        // is complete.
        effect.ramIn = (value & 0x08) != 0;
        effect.ramOut = !effect.ramIn && (reg[0] & 0x08);
      }
      // Slot 0's copy follows its register and the bank shift.
      const bool slotZero = address == 0xFFFD || (address == 0xFFFC && ((value ^ reg[0]) & 3) != 0);
      set(address - 0xFFFC);
      if (slotZero) {
        std::memcpy(slotZeroCopy + 0x400, Page(SegaBank(reg[1])) + 0x400, kPageSize - 0x400);
      }
      break;
    }
    case Board::Codemasters:
      if (address == 0x4000) {
        effect.ramIn = (value & 0x80) != 0;
        effect.ramOut = !effect.ramIn && (reg[2] & 0x80);
      }
      if (address == 0x0000) set(1);
      if (address == 0x4000) set(2);
      if (address == 0x8000) set(3);
      break;
    case Board::Korean:
      if (address == 0xA000) set(3);
      break;
    case Board::Korean8K:
      if (address <= 0x0003) set(address);
      break;
    case Board::MultiGame:
      if (address == 0x3FFE) set(1);
      if (address == 0x7FFF) set(2);
      if (address == 0xBFFF) set(3);
      break;
    case Board::None:
      break;
  }
  return effect;
}
