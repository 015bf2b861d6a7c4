#pragma once

#include <string>
#include <string_view>

#include "z80/Z80Core.h"

// What both halves of the debug session share: how numbers are written,
// the registers by name and the scopes' variable references.
namespace dap {

enum Reference : int { kRegisters = 1, kFlags, kLocals, kGlobals, kStack };
// The most instructions one disassemble request gets.
constexpr long kMaxInstructions = 4096;

// `0x1F`, `0x01FF`: the protocol's memory references and our values.
std::string Hex(unsigned value, int digits);
// A register by name (any case; `af'` for the other set), with its width in
// bytes; false for none.
bool RegisterValue(const Z80Core& cpu, std::string_view name, unsigned& value, int& bytes);

}  // namespace dap
