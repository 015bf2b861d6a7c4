#include "host/input/ScKeyMap.h"

#include <array>

#include "console/Keyboard.h"

namespace {

constexpr ScKeyMapping kMap[] = {
    {0x02, "1", "1"}, {0x03, "2", "2"}, {0x04, "3", "3"}, {0x05, "4", "4"}, {0x06, "5", "5"},
    {0x07, "6", "6"}, {0x08, "7", "7"}, {0x09, "8", "8"}, {0x0A, "9", "9"}, {0x0B, "0", "0"},
    {0x0C, "-", "-"}, {0x0D, "=", "^"}, {0x29, "`", "YEN"}, {0x0E, "Backspace", "INS DEL"},
    {0x10, "Q", "Q"}, {0x11, "W", "W"}, {0x12, "E", "E"}, {0x13, "R", "R"}, {0x14, "T", "T"},
    {0x15, "Y", "Y"}, {0x16, "U", "U"}, {0x17, "I", "I"}, {0x18, "O", "O"}, {0x19, "P", "P"},
    {0x1A, "[", "@"}, {0x1B, "]", "["}, {0x1C, "Return", "CR"},
    {0x1E, "A", "A"}, {0x1F, "S", "S"}, {0x20, "D", "D"}, {0x21, "F", "F"}, {0x22, "G", "G"},
    {0x23, "H", "H"}, {0x24, "J", "J"}, {0x25, "K", "K"}, {0x26, "L", "L"}, {0x27, ";", ";"},
    {0x28, "'", ":"}, {0x2B, "\\", "]"},
    {0x2C, "Z", "Z"}, {0x2D, "X", "X"}, {0x2E, "C", "C"}, {0x2F, "V", "V"}, {0x30, "B", "B"},
    {0x31, "N", "N"}, {0x32, "M", "M"}, {0x33, ",", ","}, {0x34, ".", "."}, {0x35, "/", "/"},
    {0x39, "Space", "SPACE"},
    {0x2A, "Left Shift", "SHIFT"}, {0x36, "Right Shift", "SHIFT"}, {0x1D, "Left Ctrl", "CTRL"},
    {0x9D, "Right Ctrl", "CTRL"}, {0x38, "Left Alt", "GRAPH"}, {0xB8, "Right Alt", "ENG DIER'S"},
    {0x0F, "Tab", "FUNC"}, {0xC7, "Home", "HOME CLR"}, {0xD2, "Insert", "INS DEL"}, {0xD3, "Delete", "INS DEL"},
    {0xCF, "End", "BREAK"}, {0xD1, "Page Down", "PI"},
    {0xC8, "Up", "UP"}, {0xD0, "Down", "DOWN"}, {0xCB, "Left", "LEFT"}, {0xCD, "Right", "RIGHT"},
};

// Scan code to SC-3000 key code plus one (0: none), built once.
struct CodeTable {
  std::array<std::uint8_t, 256> code{};
  CodeTable() {
    for (const ScKeyMapping& m : kMap) {
      std::uint8_t key = 0;
      if (ScKeyFromName(m.scKey, key)) code[m.scanCode] = static_cast<std::uint8_t>(key + 1);
    }
  }
};

const CodeTable& Codes() {
  static const CodeTable table;
  return table;
}

}  // namespace

std::span<const ScKeyMapping> ScKeyMap() { return kMap; }

bool TypesOnSc3000(std::uint8_t scanCode) { return Codes().code[scanCode] != 0; }

void PressScKeys(const std::uint8_t (&held)[256], FrameInput& input) {
  const CodeTable& table = Codes();
  for (int scan = 0; scan < 256; ++scan) {
    if (held[scan] && table.code[scan]) PressScKey(input, static_cast<std::uint8_t>(table.code[scan] - 1));
  }
}
