#pragma once

#include <cstddef>
#include <cstdint>

class Console;

// Save states: the console's whole emulated state as bytes, in the layout
// docs/save-states.md gives byte by byte. A header (magic, format version,
// the image's CRC-32, total size) is followed by one section per component,
// each a four-letter tag, a little-endian length and the component's fields
// in little-endian order. A state's size depends only on the format version.

// Version 2 added the controller ports' section, version 3 the board's
// (which board, port 0x3E), version 4 the console's (which console, the
// SG-1000's cartridge RAM, the SC-3000's keyboard), version 5 the FM
// unit's, version 6 the model's (Japanese, export NTSC or PAL; the
// picture's height; Q; the TH levels); older states still load.
inline constexpr std::uint32_t kStateFormatVersion = 6;

// Why a state was refused.
enum class StateError {
  None,
  NoCartridge,      // nothing runs: there is no state to save or load
  BufferTooSmall,   // the caller's buffer cannot hold a state
  NotAState,        // wrong magic, or too short to hold a header
  NewerVersion,     // made by a later version of the format
  OtherImage,       // made from another cartridge image
  OtherConsole,     // made on another console (an SG-1000's on a Master System)
  Damaged,          // sizes or sections do not match the format
};

const char* StateErrorText(StateError error);

// Bytes a state of this console takes.
std::size_t StateSize(const Console& console);

// Writes the state into `out` (at least StateSize bytes). The console is not
// changed.
StateError SaveState(const Console& console, std::uint8_t* out, std::size_t size);

// Byte ranges [begin, end) of a state, in increasing order.
struct StateRanges {
  static constexpr std::size_t kMax = 96;
  struct Range {
    std::uint32_t begin;
    std::uint32_t end;
  };
  Range range[kMax];
  std::size_t count = 0;
  // Adds a range after the last one; joins it to the last when they touch,
  // and stretches the last over it when the table is full (still covering
  // every byte added).
  void Add(std::size_t begin, std::size_t end);
};

// For a caller that keeps the state it saved last (a rewind taking one every
// frame): brings `state` up to date and lists in `changed` the ranges that
// may differ from what it held. `state` must hold what the last RefreshState
// of this console wrote, unless `whole` is set, which writes every byte.
// Only the pages of the large memories written since (Console::
// TakeMemoryChanges) are copied, and of the other arrays longer than 256
// bytes only the pieces that differ from `state`; the small fields are
// written every time.
StateError RefreshState(Console& console, std::uint8_t* state, std::size_t size, bool whole, StateRanges& changed);

// Restores a state. A state that is refused changes nothing; one that is
// accepted is checked field by field, so no byte string can put the console
// into a state that reads or writes outside its memories.
StateError LoadState(Console& console, const std::uint8_t* in, std::size_t size);
