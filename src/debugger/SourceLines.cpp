#include "debugger/SourceLines.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> Split(std::string_view text, char by) {
  std::vector<std::string_view> parts;
  std::size_t at = 0;
  for (;;) {
    const std::size_t end = text.find(by, at);
    parts.push_back(text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
    if (end == std::string_view::npos) return parts;
    at = end + 1;
  }
}

template <typename T>
bool Number(std::string_view text, T& value, int base) {
  if (text.empty()) return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// Calls `each` with every line of the text, trimmed, empty ones left out.
template <typename F>
void EachLine(std::string_view text, F each) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(at, end - at));
    at = end + 1;
    if (!line.empty()) each(line);
  }
}

bool BankFits(std::int32_t bank, std::uint16_t address, std::int32_t bankAt) {
  return bank < 0 || bankAt < 0 || address >= 0xC000 || bank == bankAt;
}

// A type chain of a `.cdb` symbol, `{2}DG,SC:U` say: size, sign and a name.
void ReadType(std::string_view text, SourceVariable& variable) {
  if (text.size() < 3 || text.front() != '{') return;
  const std::size_t close = text.find('}');
  if (close == std::string_view::npos || !Number(text.substr(1, close - 1), variable.size, 10)) return;
  std::string_view chain = text.substr(close + 1);
  std::string_view sign;
  if (const std::size_t colon = chain.rfind(':'); colon != std::string_view::npos) {
    sign = chain.substr(colon + 1);
    chain = chain.substr(0, colon);
  }
  const std::vector<std::string_view> items = Split(chain, ',');
  std::string suffix;
  bool pointer = false;
  bool array = false;
  std::string base = "?";
  for (std::string_view item : items) {
    if (item.starts_with("DA")) {
      array = true;
      std::string_view count = item.substr(2);
      if (!count.empty() && count.back() == 'd') count.remove_suffix(1);
      suffix += "[" + std::string(count) + "]";
    } else if (item.size() == 2 && item[0] == 'D') {
      if (!array) pointer = true;
      suffix = "*" + suffix;
    } else if (item.starts_with("ST")) {
      base = "struct " + std::string(item.substr(2));
    } else if (!item.empty() && item[0] == 'S') {
      const char kind = item.size() > 1 ? item[1] : ' ';
      base = kind == 'C' ? "char" : kind == 'I' ? "int" : kind == 'L' ? "long" : kind == 'F' ? "float" : kind == 'V' ? "void"
           : kind == 'B' ? "_Bool" : "?";
    }
  }
  variable.isSigned = sign == "S";
  if (!variable.isSigned && (base == "char" || base == "int" || base == "long")) base = "unsigned " + base;
  variable.type = base + suffix;
  variable.scalar = pointer || (!array && !base.starts_with("struct") && variable.size <= 4);
}

// `G$name$0_0$0`, `Fmodule$name$...`, `Lmodule.function$name$...`: the
// scope and the name, which with each other key a symbol to its address.
struct Ident {
  std::string_view scope;
  std::string_view name;
};
bool ReadIdent(std::string_view text, Ident& ident) {
  const std::vector<std::string_view> parts = Split(text, '$');
  if (parts.size() < 2 || parts[0].empty() || parts[1].empty()) return false;
  ident.scope = parts[0];
  ident.name = parts[1];
  return true;
}
std::string Key(const Ident& ident) { return std::string(ident.scope) + "$" + std::string(ident.name); }

}  // namespace

bool SourceLines::Parse(std::string_view text) {
  const std::size_t before = lines.size() + functions.size() + variables.size();
  bool cdb = false;
  bool wla = false;
  EachLine(text, [&](std::string_view line) {
    if (line.size() > 2 && line[1] == ':' && (line[0] == 'M' || line[0] == 'L' || line[0] == 'S' || line[0] == 'F')) cdb = true;
    if (line.starts_with("[addr-to-line mapping")) wla = true;
  });
  if (wla) {
    ParseWla(text);
  } else if (cdb) {
    ParseCdb(text);
  }
  Sort();
  return lines.size() + functions.size() + variables.size() > before;
}

void SourceLines::Clear() {
  files.clear();
  lines.clear();
  functions.clear();
  variables.clear();
}

std::uint32_t SourceLines::FileIndex(std::string_view name) {
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i] == name) return static_cast<std::uint32_t>(i);
  }
  files.emplace_back(name);
  return static_cast<std::uint32_t>(files.size() - 1);
}

namespace {

// A function or variable record (F: or S:) of an sdcc .cdb, waiting for the
// address its L: record gives.
struct CdbSymbol {
  std::string key;
  SourceVariable variable;
  bool function = false;
};

// Where a variable lives, after the record's closing parenthesis at `close`:
// registers `R,0,0,[c,b]` (low byte first), the stack `B,1,OFFSET` or memory.
bool ReadCdbPlace(std::string_view line, std::size_t close, SourceVariable& variable) {
  const std::vector<std::string_view> place = Split(line.substr(close + 1), ',');
  if (place.size() < 2 || place[1].empty()) return false;
  if (place[1] == "R") {
    const std::size_t bracket = line.find('[', close);
    const std::size_t last = line.find(']', close);
    if (bracket == std::string_view::npos || last == std::string_view::npos || last < bracket) return false;
    for (std::string_view reg : Split(line.substr(bracket + 1, last - bracket - 1), ',')) {
      if (!reg.empty()) variable.registers.emplace_back(Trim(reg));
    }
    if (variable.registers.empty()) return false;
    variable.where = SourceVariable::Where::kRegisters;
  } else if ((place[1] == "B" || place[1] == "A") && place.size() >= 4 && place[2] == "1") {
    if (!Number(place[3], variable.offset, 10)) return false;
    variable.where = SourceVariable::Where::kStack;
  } else {
    variable.where = SourceVariable::Where::kMemory;
  }
  return true;
}

// An F: or S: record; false for any other line or one not well formed.
bool ReadCdbSymbol(std::string_view line, CdbSymbol& symbol) {
  const bool function = line.starts_with("F:");
  if (!function && !line.starts_with("S:")) return false;
  const std::size_t open = line.find('(');
  const std::size_t close = line.find(')', open);
  Ident ident;
  if (open == std::string_view::npos || close == std::string_view::npos || !ReadIdent(line.substr(2, open - 2), ident)) {
    return false;
  }
  symbol.key = Key(ident);
  // A function's type chain starts with DF, after its size.
  const std::string_view type = line.substr(open + 1, close - open - 1);
  symbol.function = function || type.substr(type.find('}') + 1).starts_with("DF");
  if (function) return true;
  SourceVariable& variable = symbol.variable;
  variable.name = std::string(ident.name);
  if (ident.scope.front() == 'L') {
    std::string_view scope = ident.scope.substr(1);
    if (const std::size_t dot = scope.rfind('.'); dot != std::string_view::npos) scope = scope.substr(dot + 1);
    variable.function = std::string(scope);
  }
  ReadType(type, variable);
  return ReadCdbPlace(line, close, variable);
}

}  // namespace

bool SourceLines::ReadCdbAddress(std::string_view line, CdbAddresses& starts, CdbAddresses& ends) {
  if (!line.starts_with("L:")) return false;
  const std::size_t colon = line.rfind(':');
  std::uint32_t address = 0;
  if (colon < 2 || !Number(line.substr(colon + 1), address, 16)) return true;
  std::string_view what = line.substr(2, colon - 2);
  if (what.starts_with("C$")) {
    const std::vector<std::string_view> parts = Split(what, '$');
    std::uint32_t number = 0;
    if (parts.size() < 3 || parts[1].empty() || !Number(parts[2], number, 10) || number == 0) return true;
    SourceLine record;
    record.file = FileIndex(parts[1]);
    record.line = number;
    record.address = static_cast<std::uint16_t>(address);
    if (address > 0xFFFF) record.bank = static_cast<std::int32_t>(address >> 16);
    lines.push_back(record);
    return true;
  }
  if (what.starts_with("A$")) return true;
  const bool end = what.starts_with("X");
  if (end) what.remove_prefix(1);
  Ident ident;
  if (ReadIdent(what, ident)) (end ? ends : starts).emplace(Key(ident), address);
  return true;
}

void SourceLines::ParseCdb(std::string_view text) {
  CdbAddresses starts;  // L: records by key: a function's start, a variable's address
  CdbAddresses ends;    // LX: records: a function's end
  std::vector<CdbSymbol> symbols;
  EachLine(text, [&](std::string_view line) {
    if (ReadCdbAddress(line, starts, ends)) return;
    CdbSymbol symbol;
    if (ReadCdbSymbol(line, symbol)) symbols.push_back(std::move(symbol));
  });
  for (CdbSymbol& pending : symbols) {
    const auto start = starts.find(pending.key);
    if (pending.function) {
      if (start == starts.end()) continue;
      SourceFunction function;
      function.name = pending.key.substr(pending.key.find('$') + 1);
      function.start = static_cast<std::uint16_t>(start->second);
      if (start->second > 0xFFFF) function.bank = static_cast<std::int32_t>(start->second >> 16);
      const auto end = ends.find(pending.key);
      function.end = end != ends.end() ? static_cast<std::uint16_t>(end->second) : function.start;
      if (std::none_of(functions.begin(), functions.end(), [&](const SourceFunction& f) {
            return f.name == function.name && f.start == function.start;
          })) {
        functions.push_back(std::move(function));
      }
      continue;
    }
    if (pending.variable.where == SourceVariable::Where::kMemory) {
      if (start == starts.end()) continue;
      pending.variable.address = static_cast<std::uint16_t>(start->second);
    }
    variables.push_back(std::move(pending.variable));
  }
}

void SourceLines::ParseWla(std::string_view text) {
  enum class Section { kOther, kFiles, kLines } section = Section::kOther;
  std::map<std::uint32_t, std::uint32_t> fileIndexes;  // the file's number in the .sym to ours
  EachLine(text, [&](std::string_view line) {
    if (line.front() == ';') return;
    if (line.front() == '[') {
      section = line.starts_with("[source files") ? Section::kFiles
              : line.starts_with("[addr-to-line mapping") ? Section::kLines
                                                          : Section::kOther;
      return;
    }
    std::vector<std::string_view> words;
    for (std::string_view word : Split(line, ' ')) {
      if (!Trim(word).empty()) words.push_back(Trim(word));
    }
    if (section == Section::kFiles) {
      // `0000 5f0dc5ef main.s`: number, checksum, then the name (which may
      // hold spaces).
      std::uint32_t number = 0;
      if (words.size() < 3 || !Number(words[0], number, 16)) return;
      const std::size_t nameAt = line.find(words[2], words[0].size() + words[1].size());
      fileIndexes[number] = FileIndex(line.substr(nameAt));
    } else if (section == Section::kLines) {
      // `bb:aaaa ffff:llllllll`, or with the ROM offset first.
      if (words.size() < 2) return;
      const std::vector<std::string_view> place = Split(words[words.size() - 2], ':');
      const std::vector<std::string_view> where = Split(words.back(), ':');
      std::uint32_t bank = 0, address = 0, file = 0, number = 0;
      if (place.size() != 2 || where.size() != 2 || !Number(place[0], bank, 16) || !Number(place[1], address, 16) ||
          !Number(where[0], file, 16) || !Number(where[1], number, 16) || address > 0xFFFF || number == 0) {
        return;
      }
      const auto index = fileIndexes.find(file);
      if (index == fileIndexes.end()) return;
      SourceLine record;
      record.file = index->second;
      record.line = number;
      record.address = static_cast<std::uint16_t>(address);
      record.bank = static_cast<std::int32_t>(bank & 0xFFFF);
      lines.push_back(record);
    }
  });
}

void SourceLines::Sort() {
  std::stable_sort(lines.begin(), lines.end(),
                   [](const SourceLine& a, const SourceLine& b) { return a.address < b.address; });
}

const SourceLine* SourceLines::LineAt(std::uint16_t address, std::int32_t bankAt) const {
  const SourceFunction* function = FunctionAt(address, bankAt);
  const std::uint16_t lowest = function ? function->start : static_cast<std::uint16_t>(address < 256 ? 0 : address - 256);
  auto it = std::upper_bound(lines.begin(), lines.end(), address,
                             [](std::uint16_t a, const SourceLine& l) { return a < l.address; });
  while (it != lines.begin()) {
    --it;
    if (it->address < lowest) return nullptr;
    if (!BankFits(it->bank, it->address, bankAt)) continue;
    // Of the lines that share the address (a function's opening line and
    // its first statement, say), the last in the file: the statement.
    const std::uint16_t at = it->address;
    const SourceLine* last = &*it;
    while (it != lines.begin() && (it - 1)->address == at) {
      --it;
      if (BankFits(it->bank, at, bankAt) && it->file == last->file && it->line > last->line) last = &*it;
    }
    return last;
  }
  return nullptr;
}

bool SourceLines::StartsLine(std::uint16_t address, std::int32_t bankAt) const {
  auto it = std::lower_bound(lines.begin(), lines.end(), address,
                             [](const SourceLine& l, std::uint16_t a) { return l.address < a; });
  for (; it != lines.end() && it->address == address; ++it) {
    if (BankFits(it->bank, address, bankAt)) return true;
  }
  return false;
}

const SourceFunction* SourceLines::FunctionAt(std::uint16_t address, std::int32_t bankAt) const {
  for (const SourceFunction& function : functions) {
    if (address >= function.start && address <= function.end && BankFits(function.bank, address, bankAt)) {
      return &function;
    }
  }
  return nullptr;
}

int SourceLines::FileOf(std::string_view path) const {
  auto baseName = [](std::string_view p) {
    const std::size_t slash = p.find_last_of("/\\");
    return slash == std::string_view::npos ? p : p.substr(slash + 1);
  };
  int sameName = -1;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string& file = files[i];
    if (file == path) return static_cast<int>(i);
    if (path.size() > file.size() && path.ends_with(file) && !file.starts_with("/") &&
        (path[path.size() - file.size() - 1] == '/' || path[path.size() - file.size() - 1] == '\\')) {
      return static_cast<int>(i);
    }
    if (sameName < 0 && baseName(file) == baseName(path)) sameName = static_cast<int>(i);
  }
  return sameName;
}

std::vector<SourceLine> SourceLines::CodeFor(int file, std::uint32_t line) const {
  std::uint32_t best = 0;
  for (const SourceLine& record : lines) {
    if (static_cast<int>(record.file) == file && record.line >= line && record.line <= line + 50 &&
        (best == 0 || record.line < best)) {
      best = record.line;
    }
  }
  std::vector<SourceLine> found;
  for (const SourceLine& record : lines) {
    if (best != 0 && static_cast<int>(record.file) == file && record.line == best) found.push_back(record);
  }
  return found;
}

const SourceVariable* SourceLines::Variable(std::string_view name, std::string_view function) const {
  const SourceVariable* global = nullptr;
  for (const SourceVariable& variable : variables) {
    if (variable.name != name) continue;
    if (!function.empty() && variable.function == function) return &variable;
    if (variable.function.empty() && global == nullptr) global = &variable;
  }
  return global;
}
