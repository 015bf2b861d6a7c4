#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Where a program's source lines, functions and variables are, read from the
// debug files its tools left:
//   - sdcc's `.cdb` (linked with --debug): `L:C$file$line$level$block:ADDR`
//     line records, `L:G$name$...:ADDR` and `L:XG$name$...:ADDR` for where a
//     function starts and ends (F for a file's own, X for the end), `S:`
//     records for variables (name, type, where: memory, the stack frame or
//     registers) with `L:` records giving a memory variable's address;
//   - WLA-DX `.sym` written with -i: `[source files]` (index, checksum,
//     name) and `[addr-to-line mapping]` (`bank:address file:line`, all
//     hexadecimal; the v2 forms have a ROM offset first).
// As in the symbol tables, an sdcc address past 0xFFFF carries its bank in
// the bits above 16. Lines that do not parse are skipped.

struct SourceLine {
  std::uint32_t file = 0;  // index in Files()
  std::uint32_t line = 0;  // from 1
  std::uint16_t address = 0;
  std::int32_t bank = -1;  // ROM page the code lives in; -1: any
};

struct SourceFunction {
  std::string name;
  std::uint16_t start = 0;
  std::uint16_t end = 0;  // its last instruction's address (sdcc's end record)
  std::int32_t bank = -1;
};

struct SourceVariable {
  enum class Where : std::uint8_t { kMemory, kStack, kRegisters };
  std::string name;
  std::string function;  // empty for a global or a file's static
  Where where = Where::kMemory;
  std::uint16_t address = 0;  // kMemory
  int offset = 0;             // kStack: from the frame pointer, IX
  std::vector<std::string> registers;  // kRegisters: low byte first
  int size = 0;
  bool isSigned = false;
  bool scalar = true;  // a number or a pointer, shown as a value
  std::string type;    // `unsigned int`, `char*`, `int[4]`...
};

class SourceLines {
 public:
  // Reads one file's text, adding what it holds. False when it has no line
  // or variable information (a plain symbol file, say).
  bool Parse(std::string_view text);
  void Clear();
  bool Empty() const { return lines.empty(); }

  const std::vector<std::string>& Files() const { return files; }
  const std::vector<SourceFunction>& Functions() const { return functions; }
  const std::vector<SourceVariable>& Variables() const { return variables; }

  // The line the code at an address belongs to: the nearest line record at
  // or below it in the same function (or within 256 bytes without one),
  // fitting the bank shown there; of lines that share an address, the
  // last. Null when none does.
  const SourceLine* LineAt(std::uint16_t address, std::int32_t bankAt) const;
  // True when a line record starts exactly at the address.
  bool StartsLine(std::uint16_t address, std::int32_t bankAt) const;
  // The function whose code holds the address, or null.
  const SourceFunction* FunctionAt(std::uint16_t address, std::int32_t bankAt) const;
  // The file a path names: the same path, else the one whose path the
  // given one ends with (on a folder boundary), else the same file name.
  // -1 when none.
  int FileOf(std::string_view path) const;
  // Where to stop for a line: the first line at or after it (within 50
  // lines) that has code, its records' lowest address first. Empty when
  // there is none.
  std::vector<SourceLine> CodeFor(int file, std::uint32_t line) const;
  // A variable by name: the function's own first, then the globals.
  const SourceVariable* Variable(std::string_view name, std::string_view function) const;

 private:
  using CdbAddresses = std::map<std::string, std::uint32_t>;
  void ParseCdb(std::string_view text);
  // An L: record of a .cdb: a source line's address kept at once, a
  // symbol's start or end address into `starts` or `ends`. False for any
  // other line.
  bool ReadCdbAddress(std::string_view line, CdbAddresses& starts, CdbAddresses& ends);
  void ParseWla(std::string_view text);
  std::uint32_t FileIndex(std::string_view name);
  void Sort();

  std::vector<std::string> files;
  std::vector<SourceLine> lines;  // by address once parsed
  std::vector<SourceFunction> functions;
  std::vector<SourceVariable> variables;
};
