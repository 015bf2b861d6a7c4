#pragma once

// A stream of save states that change the way a running game's do, for the
// rewind benchmark and tests: a 56 KB state laid out as registers, 16 KB of
// video RAM, 8 KB of system RAM, 32 KB of cartridge RAM and the sound chip.
// Each frame moves a few hundred to two thousand bytes in clusters (object
// tables and the stack in system RAM, the sprite table, a name-table column,
// registers and sound), now and then loads 4-16 KB of new tiles, and rarely
// writes to cartridge RAM. Deterministic for a given seed.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class SyntheticConsoleStates {
 public:
  static constexpr std::size_t kRegisters = 0, kRegistersSize = 256;
  static constexpr std::size_t kVram = kRegisters + kRegistersSize, kVramSize = 16384;
  static constexpr std::size_t kRam = kVram + kVramSize, kRamSize = 8192;
  static constexpr std::size_t kCartRam = kRam + kRamSize, kCartRamSize = 32768;
  static constexpr std::size_t kSound = kCartRam + kCartRamSize, kSoundSize = 64;
  static constexpr std::size_t kSize = kSound + kSoundSize;

  explicit SyntheticConsoleStates(std::uint64_t seed = 1) : seed(seed), state(kSize) {
    for (std::size_t i = 0; i < kRegistersSize; ++i) state[kRegisters + i] = Byte();
    LoadTiles(0, 0x3800);
    for (std::size_t e = 0x3800; e < 0x3F00; e += 2) {  // name table: tile numbers, few attributes
      state[kVram + e] = Byte();
      state[kVram + e + 1] = static_cast<std::uint8_t>(Below(8) == 0 ? Below(16) : 0);
    }
    for (std::size_t i = 0x3F00; i < 0x4000; ++i) state[kVram + i] = Byte();
    for (std::size_t i = 0; i < kRamSize; ++i) state[kRam + i] = Below(5) < 2 ? Byte() : 0;
    for (std::size_t i = 0; i < 2048; ++i) state[kCartRam + i] = Byte();  // a saved game, the rest unused
    for (std::size_t i = 0; i < kSoundSize; ++i) state[kSound + i] = Byte();
  }

  // Advances one frame and returns the new state.
  std::span<const std::uint8_t> Next() {
    ++frame;
    for (int i = 0; i < 24; ++i) state[kRegisters + Below(64)] = Byte();  // registers and counters
    const int clusters = 4 + static_cast<int>(Below(21));
    for (int c = 0; c < clusters; ++c) {
      // Object tables, the stack and the variables are where a game writes.
      static constexpr std::size_t kHot[][2] = {{0x0000, 0x0100}, {0x0100, 0x0500}, {0x1F00, 0x2000}};
      std::size_t from = 0, to = kRamSize;
      if (Below(5) != 0) {
        const auto& area = kHot[Below(3)];
        from = area[0];
        to = area[1];
      }
      const std::size_t length = 16 + Below(113);
      const std::size_t start = from + Below(to - from);
      for (std::size_t i = start; i < start + length && i < kRamSize; ++i) {
        if (Below(2)) state[kRam + i] = static_cast<std::uint8_t>(state[kRam + i] + 1 + Below(3));
      }
    }
    for (int i = 0; i < 32; ++i) {  // sprites move a pixel or two
      std::uint8_t& b = state[kVram + 0x3F00 + Below(256)];
      b = static_cast<std::uint8_t>(b + Below(2) * 2 - 1);
    }
    if (frame % 8 == 0) {  // scrolling brings in a column of the name table
      const std::size_t column = Below(32);
      for (std::size_t row = 0; row < 28; ++row) state[kVram + 0x3800 + row * 64 + column * 2] = Byte();
    }
    if (Below(90) == 0) LoadTiles(Below(0x3800 - 16384 / 4) & ~31u, 4096 + Below(12289));
    if (Below(600) == 0) {
      const std::size_t length = 32 + Below(225), start = Below(kCartRamSize - length);
      for (std::size_t i = 0; i < length; ++i) state[kCartRam + start + i] = Byte();
    }
    for (int i = 0; i < 4; ++i) state[kSound + Below(kSoundSize)] = Byte();
    return state;
  }

  std::span<const std::uint8_t> Current() const { return state; }

 private:
  std::uint64_t Random() {  // splitmix64
    std::uint64_t z = (seed += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Random() % n); }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Random()); }

  // Tiles as artists draw them: rows from a small set of bit patterns, so
  // the data compresses about as well as real graphics.
  void LoadTiles(std::size_t at, std::size_t length) {
    static constexpr std::uint8_t kRows[] = {0x00, 0xFF, 0x3C, 0x7E, 0x18, 0x81, 0xC3, 0x0F, 0xF0, 0x66, 0x24, 0xE7};
    for (std::size_t i = 0; i < length && at + i < 0x3800; ++i) state[kVram + at + i] = kRows[Below(sizeof kRows)];
  }

  std::uint64_t seed;
  std::uint64_t frame = 0;
  std::vector<std::uint8_t> state;
};
