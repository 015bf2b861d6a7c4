#include "console/Keyboard.h"

#include <cctype>
#include <iterator>

namespace {

constexpr std::uint8_t Key(int row, int line) { return static_cast<std::uint8_t>(row * 16 + line); }

constexpr ScKey kKeys[] = {
    {Key(0, 0), "1"}, {Key(0, 1), "Q"}, {Key(0, 2), "A"}, {Key(0, 3), "Z"}, {Key(0, 4), "ENG DIER'S"},
    {Key(0, 5), ","}, {Key(0, 6), "K"}, {Key(0, 7), "I"}, {Key(0, 8), "8"},
    {Key(1, 0), "2"}, {Key(1, 1), "W"}, {Key(1, 2), "S"}, {Key(1, 3), "X"}, {Key(1, 4), "SPACE"},
    {Key(1, 5), "."}, {Key(1, 6), "L"}, {Key(1, 7), "O"}, {Key(1, 8), "9"},
    {Key(2, 0), "3"}, {Key(2, 1), "E"}, {Key(2, 2), "D"}, {Key(2, 3), "C"}, {Key(2, 4), "HOME CLR"},
    {Key(2, 5), "/"}, {Key(2, 6), ";"}, {Key(2, 7), "P"}, {Key(2, 8), "0"},
    {Key(3, 0), "4"}, {Key(3, 1), "R"}, {Key(3, 2), "F"}, {Key(3, 3), "V"}, {Key(3, 4), "INS DEL"},
    {Key(3, 5), "PI"}, {Key(3, 6), ":"}, {Key(3, 7), "@"}, {Key(3, 8), "-"},
    {Key(4, 0), "5"}, {Key(4, 1), "T"}, {Key(4, 2), "G"}, {Key(4, 3), "B"}, {Key(4, 5), "DOWN"},
    {Key(4, 6), "]"}, {Key(4, 7), "["}, {Key(4, 8), "^"},
    {Key(5, 0), "6"}, {Key(5, 1), "Y"}, {Key(5, 2), "H"}, {Key(5, 3), "N"}, {Key(5, 5), "LEFT"},
    {Key(5, 6), "CR"}, {Key(5, 8), "YEN"}, {Key(5, 11), "FUNC"},
    {Key(6, 0), "7"}, {Key(6, 1), "U"}, {Key(6, 2), "J"}, {Key(6, 3), "M"}, {Key(6, 5), "RIGHT"},
    {Key(6, 6), "UP"}, {Key(6, 8), "BREAK"}, {Key(6, 9), "GRAPH"}, {Key(6, 10), "CTRL"}, {Key(6, 11), "SHIFT"},
};

}  // namespace

std::span<const ScKey> ScKeys() { return kKeys; }

bool ScKeyFromName(const char* name, std::uint8_t& code) {
  if (name == nullptr) return false;
  for (const ScKey& key : kKeys) {
    const char* a = key.name;
    const char* b = name;
    while (*a && *b && std::toupper(static_cast<unsigned char>(*a)) == std::toupper(static_cast<unsigned char>(*b))) {
      ++a;
      ++b;
    }
    if (*a == 0 && *b == 0) {
      code = key.code;
      return true;
    }
  }
  return false;
}
