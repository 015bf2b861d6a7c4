#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The Z80 disassembler: one instruction's text from its bytes.
//
// The text is in the assembler's usual syntax, lower-case mnemonics and
// hexadecimal numbers written `$1F`, so a documented instruction's text
// assembles back to the same bytes. Relative jumps show their target.
// Undocumented forms are named as the processor runs them (`sll`, `ixh`,
// `out (c),0`, `rlc (ix+$05),b`, ...); a prefix that changes nothing
// (DD or FD before an instruction without HL, H or L) shows as `db $DD`,
// one byte, and an ED pair that does nothing as `db $ED,$xx`.

struct Disassembly {
  int length = 1;      // bytes, 1 to 4
  std::string text;
  // Where a jump, call, return-less branch or restart can go next; -1 when
  // the instruction only falls through (or goes where a register says).
  std::int32_t target = -1;
  bool isCall = false;  // CALL, RST: "step over" runs to the next instruction
};

// Names an address: a label, `label+offset`, or nothing (an empty string:
// the number is shown). `exact` asks for a label at exactly that address,
// for immediates that may not be addresses at all.
using AddressNamer = std::function<std::string(std::uint16_t address, bool exact)>;

// `bytes` holds the four bytes at `address` (fewer are read when the
// instruction is shorter).
Disassembly Disassemble(const std::uint8_t bytes[4], std::uint16_t address, const AddressNamer& namer = {});
