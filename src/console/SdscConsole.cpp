#include "console/SdscConsole.h"

#include <cstdio>
#include <cstring>

#include "console/Console.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The processor register a `pr` parameter names, and whether it is 16 bits.
std::uint16_t Register(const Z80Core& cpu, char code, bool& word) {
  word = code >= 'A' && code <= 'Z';
  switch (code) {
    case 'a': return cpu.af.Hi();
    case 'f': return cpu.af.Lo();
    case 'b': return cpu.bc.Hi();
    case 'c': return cpu.bc.Lo();
    case 'd': return cpu.de.Hi();
    case 'e': return cpu.de.Lo();
    case 'h': return cpu.hl.Hi();
    case 'l': return cpu.hl.Lo();
    case 'i': return cpu.i;
    case 'A': return cpu.af;
    case 'B': return cpu.bc;
    case 'D': return cpu.de;
    case 'H': return cpu.hl;
    case 'X': return cpu.ix;
    case 'Y': return cpu.iy;
    case 'S': return cpu.sp;
    case 'P': return cpu.pc;
    default: word = false; return 0;
  }
}

constexpr int kNumberText = 48;

// A byte or word as the format letter says: d signed, u unsigned, x and X
// hexadecimal, b binary, a a character. A number is at most 32 characters
// wide here.
void FormatNumber(char format, int width, bool word, std::uint16_t value, char (&out)[kNumberText]) {
  const int fieldWidth = width < 32 ? width : 32;
  switch (format) {
    case 'd': {
      const int v = word ? static_cast<std::int16_t>(value) : static_cast<std::int8_t>(value);
      std::snprintf(out, sizeof out, "%*d", fieldWidth, v);
      break;
    }
    case 'u': std::snprintf(out, sizeof out, "%*u", fieldWidth, static_cast<unsigned>(value)); break;
    case 'x':
    case 'X':
      std::snprintf(out, sizeof out, format == 'x' ? "%0*x" : "%0*X", fieldWidth > 0 ? fieldWidth : (word ? 4 : 2),
                    static_cast<unsigned>(value));
      break;
    case 'b': {
      const int bits = width > 0 && width <= 16 ? width : (word ? 16 : 8);
      for (int i = 0; i < bits; ++i) out[i] = (value >> (bits - 1 - i)) & 1 ? '1' : '0';
      out[bits] = 0;
      break;
    }
    default:  // 'a'
      out[0] = value >= 0x20 && value < 0x7F ? static_cast<char>(value) : '?';
      out[1] = 0;
      break;
  }
}


}  // namespace

void SdscConsole::Control(std::uint8_t value) {
  switch (value) {
    case 1: suspend = true; break;
    case 2:
      if (length > 0 && text[length - 1] != '\n') Put('\n');
      break;
    case 3: expect = Expect::kAttribute; break;
    case 4: expect = Expect::kRow; break;
    case 0x40: expect = Expect::kExitStatus; break;
    default: break;
  }
}

void SdscConsole::Data(std::uint8_t value, const Console& console) {
  switch (expect) {
    case Expect::kAttribute:
    case Expect::kColumn:
      expect = Expect::kText;
      return;
    case Expect::kRow:
      expect = Expect::kColumn;
      return;
    case Expect::kExitStatus:
      exitStatus = value;
      expect = Expect::kText;
      return;
    case Expect::kText:
      if (value == '%') {
        expect = Expect::kFormat;
        specLength = 0;
      } else if (value == 10) {
        Put('\n');
      } else if (value >= 0x20 && value < 0x7F) {
        Put(static_cast<char>(value));
      } else if (value != 13) {
        Put('?');
      }
      return;
    case Expect::kFormat:
      break;
  }
  spec[specLength++] = static_cast<char>(value);
  // %[width]<format><type><parameter>, read as it comes.
  int at = 0;
  while (at < specLength && at < 3 && IsDigit(spec[at])) ++at;
  if (at == specLength) return;  // width digits so far
  if (at == 0 && spec[0] == '%') {
    Put('%');
    expect = Expect::kText;
    return;
  }
  bool bad = spec[at] == 0 || std::strchr("duxXbas", spec[at]) == nullptr;
  if (!bad && specLength > at + 1) bad = spec[at + 1] == 0 || std::strchr("mvp", spec[at + 1]) == nullptr;
  if (!bad && specLength > at + 2) {
    const char kind = spec[at + 1], size = spec[at + 2];
    const bool sized = size == 'b' || size == 'w';
    bad = kind == 'p' ? size != 'r' : kind == 'v' ? !(sized || size == 'r') : !sized;
  }
  if (bad) {
    Put('%');
    Put(std::string_view(spec, static_cast<std::size_t>(specLength)));
    expect = Expect::kText;
    return;
  }
  if (specLength < at + 3) return;
  const bool address = spec[at + 2] != 'r';
  if (specLength < at + 3 + (address ? 2 : 1)) return;
  Format(console);
  expect = Expect::kText;
}

void SdscConsole::Format(const Console& console) {
  int at = 0;
  int width = 0;
  while (IsDigit(spec[at])) width = width * 10 + (spec[at++] - '0');
  const char format = spec[at];
  const char kind = spec[at + 1];
  const char size = spec[at + 2];
  const auto p0 = static_cast<std::uint8_t>(spec[at + 3]);
  const auto p1 = static_cast<std::uint8_t>(spec[at + 4]);
  const auto where = static_cast<std::uint16_t>(p0 | p1 << 8);

  // Reads without side effects: memory through the map as the processor
  // sees it, video RAM directly.
  auto byteAt = [&](std::uint16_t a) -> std::uint8_t {
    if (kind == 'm') return console.Peek(a);
    return console.video.vram[a & (Video::kVramSize - 1)];
  };
  if (format == 's') {
    const int limit = width > 0 ? width : 256;
    for (int i = 0; i < limit; ++i) {
      const std::uint8_t c = byteAt(static_cast<std::uint16_t>(where + i));
      if (c == 0) break;
      Put(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    }
    return;
  }
  bool word = size == 'w';
  std::uint16_t value;
  if (kind == 'p') {
    value = Register(console.cpu, static_cast<char>(p0), word);
  } else if (size == 'r') {
    value = console.video.regs[p0 & 15];
  } else {
    value = byteAt(where);
    if (word) value = static_cast<std::uint16_t>(value | byteAt(static_cast<std::uint16_t>(where + 1)) << 8);
  }
  char out[kNumberText];
  FormatNumber(format, width, word, value, out);
  Put(out);
}

void SdscConsole::Put(char c) {
  if (length < kTextSize) {
    text[length++] = c;
  } else {
    ++dropped;
  }
}

void SdscConsole::Put(std::string_view s) {
  for (char c : s) Put(c);
}
