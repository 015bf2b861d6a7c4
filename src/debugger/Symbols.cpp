#include "debugger/Symbols.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

enum class Format { kNone, kWla, kNoi, kMap, kPasmo };

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// The line's whitespace-separated words.
std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
    const std::size_t start = at;
    while (at < line.size() && !std::isspace(static_cast<unsigned char>(line[at]))) ++at;
    if (at > start) words.push_back(line.substr(start, at - start));
  }
  return words;
}

// Hexadecimal digits only, at most 8 of them.
std::optional<std::uint32_t> HexDigits(std::string_view text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text) {
    const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : (c >= 'a' && c <= 'f')                   ? c - 'a' + 10
                      : (c >= 'A' && c <= 'F')                   ? c - 'A' + 10
                                                                 : -1;
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  return value;
}

// A number as assemblers write it: $1F, 0x1F, 1Fh, or bare hexadecimal.
std::optional<std::uint32_t> Number(std::string_view text) {
  if (text.size() > 1 && (text.front() == '$' || text.front() == '#')) return HexDigits(text.substr(1));
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return HexDigits(text.substr(2));
  if (text.size() > 1 && (text.back() == 'h' || text.back() == 'H')) return HexDigits(text.substr(0, text.size() - 1));
  return HexDigits(text);
}

bool IsName(std::string_view text) {
  if (text.empty() || std::isdigit(static_cast<unsigned char>(text.front()))) return false;
  return std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '@' || c == '$' || c == '?';
  });
}

// sdcc's linker lists its debug records among the symbols when the program
// was built with --debug: `C$main.c$12$1_0$4` (a line), `A$main$63`,
// `G$main$0$0`, `XG$main$0$0`, `Fmain$add$0$0`... They name no place a
// person would.
bool SdccDebugRecord(std::string_view name) {
  const std::size_t dollar = name.find('$');
  if (dollar == std::string_view::npos || name.find('$', dollar + 1) == std::string_view::npos) return false;
  const std::string_view scope = name.substr(0, dollar);
  return scope == "A" || scope == "C" || scope == "G" || scope == "XG" || scope.starts_with("F") ||
         scope.starts_with("XF") || scope.starts_with("L") || scope.starts_with("XL");
}

bool AllCapitals(std::string_view name) {
  return std::none_of(name.begin(), name.end(), [](char c) { return std::islower(static_cast<unsigned char>(c)); });
}

Symbol Place(std::string_view name, std::uint32_t value) {
  Symbol symbol;
  symbol.name = std::string(name);
  symbol.address = static_cast<std::uint16_t>(value);
  if (value > 0xFFFF) symbol.bank = static_cast<std::int32_t>(value >> 16);
  return symbol;
}

// What the text's first telling line says it is.
Format Detect(std::string_view text) {
  std::size_t at = 0;
  int looked = 0;
  while (at < text.size() && looked < 200) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(at, end - at));
    at = end + 1;
    if (line.empty() || line.front() == ';') continue;
    ++looked;
    if (line.front() == '[') return Format::kWla;
    const std::vector<std::string_view> words = Words(line);
    if (words.size() == 3 && words[0] == "DEF") return Format::kNoi;
    if (words.size() == 3 && words[1] == "EQU") return Format::kPasmo;
    if (line.find("Area") != std::string_view::npos && line.find("Addr") != std::string_view::npos) return Format::kMap;
    if (line.find("Value") != std::string_view::npos && line.find("Global") != std::string_view::npos) {
      return Format::kMap;
    }
  }
  return Format::kNone;
}

// A symbol from one line of each format, split in words; nothing when the
// line holds none.
std::optional<Symbol> WlaSymbol(const std::vector<std::string_view>& words) {
  if (words.size() < 2 || !IsName(words[1])) return std::nullopt;
  const std::size_t colon = words[0].find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const auto bank = HexDigits(words[0].substr(0, colon));
  const auto address = HexDigits(words[0].substr(colon + 1));
  if (!bank || !address || *address > 0xFFFF) return std::nullopt;
  Symbol symbol = Place(words[1], *address);
  symbol.bank = static_cast<std::int32_t>(*bank & 0xFFFF);
  return symbol;
}

std::optional<Symbol> NoiSymbol(const std::vector<std::string_view>& words) {
  // l__AREA entries are lengths, not places.
  if (words.size() != 3 || words[0] != "DEF" || !IsName(words[1]) || words[1].starts_with("l__") ||
      SdccDebugRecord(words[1])) {
    return std::nullopt;
  }
  if (const auto value = Number(words[2])) return Place(words[1], *value);
  return std::nullopt;
}

std::optional<Symbol> MapSymbol(const std::vector<std::string_view>& words) {
  // "     00000200  _main     main": a value and a name, in the lists of
  // each area's symbols; the area lines have more words.
  if (words.size() < 2 || words.size() > 3 || !IsName(words[1]) || words[1].starts_with("l__") ||
      SdccDebugRecord(words[1])) {
    return std::nullopt;
  }
  if (words[0].size() != 4 && words[0].size() != 8) return std::nullopt;
  if (const auto value = HexDigits(words[0])) return Place(words[1], *value);
  return std::nullopt;
}

std::optional<Symbol> PasmoSymbol(const std::vector<std::string_view>& words) {
  // Local labels (--alocal) come out as bare numbers: not names.
  if (words.size() != 3 || words[1] != "EQU" || !IsName(words[0])) return std::nullopt;
  const auto value = Number(words[2]);
  if (!value || *value > 0xFFFF) return std::nullopt;
  Symbol symbol = Place(words[0], *value);
  symbol.value = AllCapitals(words[0]);
  return symbol;
}

}  // namespace

bool SymbolTable::Parse(std::string_view text) {
  const Format format = Detect(text);
  if (format == Format::kNone) return false;
  bool inLabels = false;  // WLA-DX: inside [labels]
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = Trim(text.substr(at, end - at));
    at = end + 1;
    if (line.empty() || line.front() == ';') continue;
    if (format == Format::kWla && line.front() == '[') {
      inLabels = line == "[labels]";
      continue;
    }
    const std::vector<std::string_view> words = Words(line);
    std::optional<Symbol> symbol;
    switch (format) {
      case Format::kWla:
        if (inLabels) symbol = WlaSymbol(words);
        break;
      case Format::kNoi: symbol = NoiSymbol(words); break;
      case Format::kMap: symbol = MapSymbol(words); break;
      case Format::kPasmo: symbol = PasmoSymbol(words); break;
      case Format::kNone: break;
    }
    if (symbol) Add(std::move(*symbol));
  }
  return true;
}

void SymbolTable::Add(Symbol symbol) {
  symbols.push_back(std::move(symbol));
  sorted = false;
}

void SymbolTable::Clear() {
  symbols.clear();
  sorted = true;
}

void SymbolTable::Sort() const {
  if (sorted) return;
  std::stable_sort(symbols.begin(), symbols.end(),
                   [](const Symbol& a, const Symbol& b) { return a.address < b.address; });
  sorted = true;
}

std::optional<Symbol> SymbolTable::Find(std::string_view name) const {
  for (const Symbol& symbol : symbols) {
    if (symbol.name == name) return symbol;
  }
  for (const Symbol& symbol : symbols) {
    if (symbol.name.size() == name.size() &&
        std::equal(name.begin(), name.end(), symbol.name.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        })) {
      return symbol;
    }
  }
  return std::nullopt;
}

std::string SymbolTable::Name(std::uint16_t address, std::int32_t bankAt, bool exact) const {
  Sort();
  // The last label at or below the address that fits its bank.
  auto it = std::upper_bound(symbols.begin(), symbols.end(), address,
                             [](std::uint16_t a, const Symbol& s) { return a < s.address; });
  while (it != symbols.begin()) {
    --it;
    const Symbol& symbol = *it;
    if (address - symbol.address > (exact ? 0 : kMaxOffset)) break;
    if (symbol.value) continue;
    // A banked label names an address of cartridge ROM only while its bank
    // is there; RAM labels (WLA-DX gives them a bank too) always.
    if (symbol.bank >= 0 && address < 0xC000 && bankAt >= 0 && symbol.bank != bankAt) continue;
    const unsigned offset = address - symbol.address;
    if (offset == 0) return symbol.name;
    char text[16];
    std::snprintf(text, sizeof text, "+$%X", offset);
    return symbol.name + text;
  }
  return {};
}

std::optional<Symbol> SymbolTable::Resolve(std::string_view text) const {
  text = Trim(text);
  if (text.empty()) return std::nullopt;
  // A label first (a label spelt like a number, Fade, stays a label), then
  // a number, then a label with +offset.
  if (std::optional<Symbol> symbol = Find(text)) return symbol;
  if (const auto value = Number(text); value && *value <= 0xFFFF) return Place("", *value);
  std::string_view name = text;
  std::uint32_t offset = 0;
  if (const std::size_t plus = text.find('+'); plus != std::string_view::npos && plus > 0) {
    const auto number = Number(Trim(text.substr(plus + 1)));
    if (!number) return std::nullopt;
    offset = *number;
    name = Trim(text.substr(0, plus));
  }
  std::optional<Symbol> symbol = Find(name);
  if (!symbol) return std::nullopt;
  symbol->address = static_cast<std::uint16_t>(symbol->address + offset);
  return symbol;
}

std::vector<std::string> SymbolFilesBeside(const std::string& imagePath) {
  const std::size_t slash = imagePath.find_last_of('/');
  const std::size_t dot = imagePath.find_last_of('.');
  const std::string stem =
      dot != std::string::npos && (slash == std::string::npos || dot > slash) ? imagePath.substr(0, dot) : imagePath;
  return {stem + ".sym", stem + ".noi", stem + ".map", stem + ".cdb"};
}
