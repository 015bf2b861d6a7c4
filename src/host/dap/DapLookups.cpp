// The session's looking half: where code is in the source, C variables,
// expressions, the scopes' variables and the disassembly.
#include <algorithm>
#include <cctype>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "console/Console.h"
#include "host/dap/DapSession.h"
#include "host/dap/DapValues.h"

namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

namespace dap {

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

bool RegisterValue(const Z80Core& cpu, std::string_view name, unsigned& value, int& bytes) {
  const std::string n = Lower(name);
  struct Entry {
    const char* name;
    unsigned value;
    int bytes;
  };
  const Entry entries[] = {
      {"af", cpu.af.w, 2},   {"bc", cpu.bc.w, 2},   {"de", cpu.de.w, 2},     {"hl", cpu.hl.w, 2},
      {"ix", cpu.ix.w, 2},   {"iy", cpu.iy.w, 2},   {"sp", cpu.sp, 2},       {"pc", cpu.pc, 2},
      {"af'", cpu.af2.w, 2}, {"bc'", cpu.bc2.w, 2}, {"de'", cpu.de2.w, 2},   {"hl'", cpu.hl2.w, 2},
      {"a", cpu.af.Hi(), 1}, {"f", cpu.af.Lo(), 1}, {"b", cpu.bc.Hi(), 1},   {"c", cpu.bc.Lo(), 1},
      {"d", cpu.de.Hi(), 1}, {"e", cpu.de.Lo(), 1}, {"h", cpu.hl.Hi(), 1},   {"l", cpu.hl.Lo(), 1},
      {"ixh", cpu.ix.Hi(), 1}, {"ixl", cpu.ix.Lo(), 1}, {"iyh", cpu.iy.Hi(), 1}, {"iyl", cpu.iy.Lo(), 1},
      {"i", cpu.i, 1},
  };
  for (const Entry& entry : entries) {
    if (n == entry.name) {
      value = entry.value;
      bytes = entry.bytes;
      return true;
    }
  }
  return false;
}

}  // namespace dap

namespace {

using dap::Hex;
using dap::RegisterValue;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string DapSession::SourcePath(std::uint32_t file) const {
  const std::string& name = lines.Files()[file];
  if (name.starts_with("/") || folder.empty()) return name;
  return folder + "/" + name;
}

DapSession::Json DapSession::Location(std::uint16_t address) const {
  const std::int32_t bank = console.RomPageAt(address);
  const SourceFunction* function = lines.FunctionAt(address, bank);
  Json frame = {{"name", function ? function->name : debugger.NameOf(address)}, {"line", 0}, {"column", 0}};
  if (const SourceLine* line = lines.LineAt(address, bank)) {
    const std::string path = SourcePath(line->file);
    const std::size_t slash = path.find_last_of('/');
    frame["source"] = {{"name", slash == std::string::npos ? path : path.substr(slash + 1)}, {"path", path}};
    frame["line"] = line->line;
    frame["column"] = 1;
  }
  return frame;
}

std::string DapSession::ReadVariable(const SourceVariable& variable) const {
  const Z80Core& cpu = console.cpu;
  std::uint8_t bytes[16] = {};
  const int size = std::clamp(variable.size, 0, 16);
  for (int i = 0; i < size; ++i) {
    switch (variable.where) {
      case SourceVariable::Where::kMemory:
        bytes[i] = console.Peek(static_cast<std::uint16_t>(variable.address + i));
        break;
      case SourceVariable::Where::kStack:
        bytes[i] = console.Peek(static_cast<std::uint16_t>(cpu.ix.w + variable.offset + i));
        break;
      case SourceVariable::Where::kRegisters: {
        unsigned value = 0;
        int width = 0;
        if (static_cast<std::size_t>(i) < variable.registers.size() &&
            RegisterValue(cpu, variable.registers[static_cast<std::size_t>(i)], value, width)) {
          bytes[i] = static_cast<std::uint8_t>(value);
        }
        break;
      }
    }
  }
  if (!variable.scalar) {
    std::string text = "{";
    for (int i = 0; i < size; ++i) text += (i ? " " : "") + Hex(bytes[i], 2).substr(2);
    return text + (variable.size > size ? " ...}" : "}");
  }
  std::uint32_t value = 0;
  for (int i = std::min(size, 4) - 1; i >= 0; --i) value = value << 8 | bytes[i];
  if (variable.type.find('*') != std::string::npos) return Hex(value, 4);
  if (variable.isSigned && size > 0 && size < 4 && (value >> (size * 8 - 1) & 1)) {
    return std::to_string(static_cast<std::int64_t>(value) - (std::int64_t{1} << (size * 8)));
  }
  if (variable.isSigned && size == 4) return std::to_string(static_cast<std::int32_t>(value));
  return std::to_string(value);
}

std::string DapSession::Evaluate(std::string_view text, std::string& memoryReference, bool& ok) const {
  const Z80Core& cpu = console.cpu;
  const std::string_view expression = Trim(text);
  ok = true;
  unsigned value = 0;
  int bytes = 0;
  // A C variable (the current function's own, then the globals) before a
  // register: C's `a` is not the accumulator.
  const SourceFunction* function = lines.FunctionAt(cpu.pc, console.RomPageAt(cpu.pc));
  if (const SourceVariable* variable = lines.Variable(expression, function ? function->name : std::string_view())) {
    if (variable->where == SourceVariable::Where::kMemory) memoryReference = Hex(variable->address, 4);
    return ReadVariable(*variable);
  }
  if (RegisterValue(cpu, expression, value, bytes)) return Hex(value, bytes * 2);
  // Memory: (HL), (IX+4), [0xC000], [label+2].
  if (expression.size() >= 2 && ((expression.front() == '(' && expression.back() == ')') ||
                                 (expression.front() == '[' && expression.back() == ']'))) {
    std::string_view inside = Trim(expression.substr(1, expression.size() - 2));
    long offset = 0;
    const std::size_t sign = inside.find_first_of("+-", 1);
    std::string_view base = inside;
    if (sign != std::string_view::npos && sign + 1 < inside.size()) {
      unsigned registerValue = 0;
      int width = 0;
      if (RegisterValue(cpu, Trim(inside.substr(0, sign)), registerValue, width) && width == 2) {
        base = Trim(inside.substr(0, sign));
        const std::optional<Symbol> number = debugger.symbols.Resolve(Trim(inside.substr(sign + 1)));
        if (!number) {
          ok = false;
          return "not an offset: " + std::string(inside.substr(sign + 1));
        }
        offset = inside[sign] == '-' ? -static_cast<long>(number->address) : number->address;
      }
    }
    std::uint16_t address = 0;
    if (RegisterValue(cpu, base, value, bytes) && bytes == 2) {
      address = static_cast<std::uint16_t>(value + offset);
    } else if (const std::optional<Symbol> symbol = debugger.symbols.Resolve(base)) {
      address = symbol->address;
    } else {
      ok = false;
      return "not an address: " + std::string(base);
    }
    memoryReference = Hex(address, 4);
    return Hex(console.Peek(address), 2);
  }
  if (const std::optional<Symbol> symbol = debugger.symbols.Resolve(expression)) {
    memoryReference = Hex(symbol->address, 4);
    return Hex(symbol->address, 4);
  }
  ok = false;
  return "cannot evaluate '" + std::string(expression) + "': not a register, variable, label or (address)";
}

DapSession::Json DapSession::Variables(int reference) const {
  const Z80Core& cpu = console.cpu;
  Json list = Json::array();
  auto add = [&list](std::string name, std::string value, std::string memory = {}, std::string type = {}) {
    Json item = {{"name", std::move(name)}, {"value", std::move(value)}, {"variablesReference", 0}};
    if (!memory.empty()) item["memoryReference"] = std::move(memory);
    if (!type.empty()) item["type"] = std::move(type);
    list.push_back(std::move(item));
  };
  switch (reference) {
    case dap::kRegisters: {
      for (const char* name : {"AF", "BC", "DE", "HL", "IX", "IY", "SP", "PC", "AF'", "BC'", "DE'", "HL'"}) {
        unsigned value = 0;
        int bytes = 0;
        RegisterValue(cpu, name, value, bytes);
        add(name, Hex(value, 4), Hex(value, 4));
      }
      add("I", Hex(cpu.i, 2));
      add("IFF1", (cpu.iff & kIff1) ? "1" : "0");
      add("IM", (cpu.iff & kIffMode2) ? "2" : (cpu.iff & kIffMode1) ? "1" : "0");
      break;
    }
    case dap::kFlags: {
      const std::uint8_t f = cpu.af.Lo();
      const char* names[] = {"S", "Z", "Y", "H", "X", "P/V", "N", "C"};
      for (int bit = 7; bit >= 0; --bit) add(names[7 - bit], (f >> bit) & 1 ? "1" : "0");
      break;
    }
    case dap::kLocals:
    case dap::kGlobals: {
      const SourceFunction* function = lines.FunctionAt(cpu.pc, console.RomPageAt(cpu.pc));
      for (const SourceVariable& variable : lines.Variables()) {
        const bool local = !variable.function.empty();
        if (local != (reference == dap::kLocals)) continue;
        if (local && (function == nullptr || variable.function != function->name)) continue;
        add(variable.name, ReadVariable(variable),
            variable.where == SourceVariable::Where::kMemory ? Hex(variable.address, 4) : std::string(), variable.type);
      }
      break;
    }
    case dap::kStack: {
      for (int i = 0; i < 16; i += 2) {
        const auto at = static_cast<std::uint16_t>(cpu.sp + i);
        const unsigned word = console.Peek(at) | console.Peek(static_cast<std::uint16_t>(at + 1)) << 8;
        add("SP+" + std::to_string(i), Hex(word, 4), Hex(at, 4));
      }
      break;
    }
    default:
      break;
  }
  return list;
}

DapSession::Json DapSession::Disassemble(std::uint16_t address, long offset, long count) const {
  // The instructions' addresses, -1 for padding, with the asked address at
  // index `here`. Instructions have no fixed length: before the address,
  // start far enough back and keep the run of instructions that lands on it.
  std::vector<long> places;
  if (offset < 0) {
    const long back = std::min(-offset, dap::kMaxInstructions);
    std::vector<long> run;
    for (long from = std::max(0L, address - back * 4); from < address; ++from) {
      run.clear();
      long pc = from;
      while (pc < address) {
        run.push_back(pc);
        pc += debugger.DisassembleAt(static_cast<std::uint16_t>(pc)).length;
      }
      if (pc == address) break;
      run.clear();
    }
    if (static_cast<long>(run.size()) > back) run.erase(run.begin(), run.end() - back);
    places.assign(static_cast<std::size_t>(back) - run.size(), -1);
    places.insert(places.end(), run.begin(), run.end());
    offset = -back;
  }
  const long here = static_cast<long>(places.size());
  long pc = address;
  for (long i = 0; i < offset + count; ++i) {
    places.push_back(pc & 0xFFFF);
    pc += debugger.DisassembleAt(static_cast<std::uint16_t>(pc)).length;
  }
  Json list = Json::array();
  for (long i = here + offset; i < here + offset + count && i < static_cast<long>(places.size()); ++i) {
    if (i < 0) continue;
    const long place = places[static_cast<std::size_t>(i)];
    if (place < 0) {
      list.push_back({{"address", Hex(0, 4)}, {"instruction", "??"}, {"presentationHint", "invalid"}});
      continue;
    }
    const auto at = static_cast<std::uint16_t>(place);
    const ::Disassembly d = debugger.DisassembleAt(at);
    std::string bytes;
    for (int b = 0; b < d.length; ++b) bytes += Hex(console.Peek(static_cast<std::uint16_t>(at + b)), 2).substr(2) + (b + 1 < d.length ? " " : "");
    Json item = {{"address", Hex(at, 4)}, {"instructionBytes", bytes}, {"instruction", d.text}};
    const std::string label = debugger.symbols.Name(at, console.RomPageAt(at), true);
    if (!label.empty()) item["symbol"] = label;
    Json location = Location(at);
    if (location.contains("source")) {
      item["location"] = location["source"];
      item["line"] = location["line"];
    }
    list.push_back(std::move(item));
  }
  return list;
}
