#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A program's symbols, read from the files its assembler or compiler left:
//   - WLA-DX `.sym`: a `[labels]` section of `bb:aaaa name` lines (bank,
//     address, both hexadecimal);
//   - sdcc's linker `.noi`: `DEF name 0xADDR` lines;
//   - sdcc's linker `.map`: `     0000ADDR  name   module` lines;
//   - pasmo's symbol table: `name EQU 0ADDRH` lines.
// An address past 0xFFFF (sdcc's banked areas) carries its bank in the bits
// above 16. The format is told from the text itself.
//
// Addresses are shown as `label` or `label+offset`, the nearest label at or
// below within kMaxOffset bytes. A label tied to a bank names an address in
// the cartridge's slots only while that bank is mapped there.

struct Symbol {
  std::string name;
  std::uint16_t address = 0;
  std::int32_t bank = -1;  // ROM page the label lives in; -1: any
  // A value rather than a place (an equate): found by name, never used to
  // name an address. pasmo writes both in one list; there, by the common
  // convention, a name in capitals only is taken for a value.
  bool value = false;
};

class SymbolTable {
 public:
  static constexpr std::uint16_t kMaxOffset = 0x1000;

  // Reads one file's text, adding its symbols. False when the text is in no
  // format above (nothing is added then). Lines that do not parse are
  // skipped: a symbol file is a help, not a contract.
  bool Parse(std::string_view text);
  void Add(Symbol symbol);
  void Clear();
  bool Empty() const { return symbols.empty(); }
  std::size_t Size() const { return symbols.size(); }

  // The symbol of that name (exact, then ignoring case).
  std::optional<Symbol> Find(std::string_view name) const;

  // `label`, `label+$1F`, or empty when no label is near. `bankAt` is the
  // ROM page mapped at the address (-1 when the address is not in
  // cartridge ROM). `exact` asks for a label at exactly that address.
  std::string Name(std::uint16_t address, std::int32_t bankAt, bool exact = false) const;

  // An address written as a label, `label+offset`, `$1234`, `0x1234`,
  // `1234h` or plain hexadecimal; nothing when it is none of these.
  std::optional<Symbol> Resolve(std::string_view text) const;

 private:
  // Sorted by address on the first look-up after a change.
  void Sort() const;
  mutable bool sorted = true;
  mutable std::vector<Symbol> symbols;
};

// The symbol files an image may have beside it: the same name with .sym,
// .noi, .map and .cdb (sdcc's debug file) in place of its extension.
std::vector<std::string> SymbolFilesBeside(const std::string& imagePath);
