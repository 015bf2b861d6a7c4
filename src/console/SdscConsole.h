#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

class Console;

// The debug console homebrew programs print to: port 0xFC takes control
// codes, port 0xFD takes text. No console has it; it is a convention
// between homebrew programs and the tools that run them, and on a real
// console both ports ignore writes.
//
// Control port 0xFC:
//   1  suspend emulation (a breakpoint, for a debugger)
//   2  clear the console (starts a new line here)
//   3  the next data byte is a text attribute (colours; ignored here)
//   4  the next two data bytes are a row and a column (ignored here)
//   0x40  the next data byte is the exit status of a headless run: the run
//         ends after that frame with that status (our own code, for tests)
// Data port 0xFD: characters (10 ends a line, 13 is dropped), and formatted
// values `%[width]<format><type><parameter>`:
//   format: d signed decimal, u unsigned decimal, x X hexadecimal, b binary,
//           a the value as a character, s a zero-ended string at the address
//   type:   mb mw memory byte or word, vb vw video RAM byte or word (the
//           parameter is a little-endian address, two bytes); vr a video
//           register (one byte: its number); pr a processor register (one
//           byte: a b c d e f h l i for the 8-bit ones, A B D H for AF BC DE
//           HL, X Y S P for IX IY SP PC)
//   `%%` prints a percent sign. Something else after `%` is printed as it came.
// The text piles up in a fixed buffer the host empties after each frame.
class SdscConsole {
 public:
  static constexpr int kTextSize = 16384;

  void Control(std::uint8_t value);
  void Data(std::uint8_t value, const Console& console);

  // The text since the last ClearText; characters past kTextSize are
  // dropped and counted.
  std::string_view Text() const { return {text, static_cast<std::size_t>(length)}; }
  void ClearText() { length = 0; }
  std::uint32_t Dropped() const { return dropped; }

  // A suspend request not yet taken.
  bool TakeSuspend() {
    const bool was = suspend;
    suspend = false;
    return was;
  }
  // The exit status the program set, if it did.
  std::optional<std::uint8_t> ExitStatus() const { return exitStatus; }
  void ClearExitStatus() { exitStatus.reset(); }

 private:
  void Put(char c);
  void Put(std::string_view s);
  void Format(const Console& console);

  enum class Expect : std::uint8_t { kText, kFormat, kAttribute, kRow, kColumn, kExitStatus };
  Expect expect = Expect::kText;
  char spec[16] = {};  // the format read so far, '%' excluded
  int specLength = 0;
  bool suspend = false;
  std::optional<std::uint8_t> exitStatus;
  char text[kTextSize] = {};
  int length = 0;
  std::uint32_t dropped = 0;
};
