#include "host/dap/DapSession.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "console/Console.h"

namespace {

using Json = nlohmann::json;

// Steps of one line give up after this many instructions (a line that
// never ends, or code without lines) and stop where they are.
constexpr int kMaxStepInstructions = 200000;
constexpr long kMaxReadBytes = 0x10000;
constexpr long kMaxInstructions = 4096;

enum Reference : int { kRegisters = 1, kFlags, kLocals, kGlobals, kStack };

// The arguments' members, read without trusting their types.
const Json* Member(const Json& object, const char* name) {
  if (!object.is_object()) return nullptr;
  const auto it = object.find(name);
  return it == object.end() ? nullptr : &*it;
}
std::string String(const Json& object, const char* name, std::string fallback = {}) {
  const Json* value = Member(object, name);
  return value && value->is_string() ? value->get<std::string>() : fallback;
}
long Integer(const Json& object, const char* name, long fallback = 0) {
  const Json* value = Member(object, name);
  if (value == nullptr || !value->is_number()) return fallback;
  const double number = value->get<double>();
  if (!(number > -1e9 && number < 1e9)) return fallback;
  return static_cast<long>(number);
}
bool Boolean(const Json& object, const char* name) {
  const Json* value = Member(object, name);
  return value && value->is_boolean() && value->get<bool>();
}

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// A register by name, with its width in bytes; false for none.
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

// Standard base64, for readMemory and writeMemory.
std::string Base64(const std::vector<std::uint8_t>& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const unsigned n = bytes[i] << 16 | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                       (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    text += kDigits[n >> 18 & 63];
    text += kDigits[n >> 12 & 63];
    text += i + 1 < bytes.size() ? kDigits[n >> 6 & 63] : '=';
    text += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return text;
}
bool FromBase64(std::string_view text, std::vector<std::uint8_t>& bytes) {
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    int digit = c >= 'A' && c <= 'Z' ? c - 'A' : c >= 'a' && c <= 'z' ? c - 'a' + 26 : c >= '0' && c <= '9' ? c - '0' + 52
              : c == '+' ? 62 : c == '/' ? 63 : -1;
    if (c == '=') break;
    if (digit < 0) return false;
    bits = (bits << 6 | static_cast<unsigned>(digit)) & 0xFFFFFF;
    count += 6;
    if (count >= 8) {
      count -= 8;
      bytes.push_back(static_cast<std::uint8_t>(bits >> count));
    }
  }
  return true;
}

}  // namespace

DapSession::DapSession(Console& owner, Debugger& hooks, const SourceLines& source, std::string sourceFolder)
    : console(owner), debugger(hooks), lines(source), folder(std::move(sourceFolder)) {}

DapSession::~DapSession() = default;

std::vector<std::string> DapSession::TakeOutgoing() {
  std::vector<std::string> taken;
  taken.swap(outgoing);
  return taken;
}

void DapSession::Send(Json& message) {
  message["seq"] = seq++;
  // Text from the program may be anything: bytes that are not UTF-8 are
  // replaced rather than refused.
  outgoing.push_back(message.dump(-1, ' ', false, Json::error_handler_t::replace));
}

void DapSession::Respond(const Json& request, bool success, Json body, std::string_view message) {
  Json response = {{"type", "response"},
                   {"request_seq", Integer(request, "seq")},
                   {"command", String(request, "command")},
                   {"success", success}};
  if (!message.empty()) response["message"] = std::string(message);
  if (!body.is_null()) response["body"] = std::move(body);
  Send(response);
}

void DapSession::Event(std::string_view name, Json body) {
  Json event = {{"type", "event"}, {"event", std::string(name)}};
  if (!body.is_null()) event["body"] = std::move(body);
  Send(event);
}

void DapSession::Receive(std::string_view body) {
  Json request = Json::parse(body, nullptr, false);
  if (request.is_discarded() || !request.is_object()) {
    Respond(Json::object(), false, nullptr, "the message is not a JSON object");
    return;
  }
  if (String(request, "type") != "request") return;  // responses to reverse requests: none are made
  try {
    Handle(request);
  } catch (const Json::exception& e) {
    // A member of an unexpected type somewhere deep: the request fails,
    // the session goes on.
    Respond(request, false, nullptr, std::string("malformed request: ") + e.what());
  }
}

void DapSession::Handle(const Json& request) {
  const std::string command = String(request, "command");
  const Json* found = Member(request, "arguments");
  const Json arguments = found && found->is_object() ? *found : Json::object();
  Z80Core& cpu = console.cpu;

  if (command == "initialize") {
    Respond(request, true,
            {{"supportsConfigurationDoneRequest", true},
             {"supportsFunctionBreakpoints", true},
             {"supportsInstructionBreakpoints", true},
             {"supportsDisassembleRequest", true},
             {"supportsReadMemoryRequest", true},
             {"supportsWriteMemoryRequest", true},
             {"supportsSteppingGranularity", true},
             {"supportsEvaluateForHovers", true},
             {"supportsTerminateRequest", false}});
    Event("initialized", nullptr);
  } else if (command == "launch" || command == "attach") {
    attached = true;
    if (Boolean(arguments, "stopOnEntry")) {
      debugger.StepInstruction();
      step = Step::kNone;
      pendingReason = "entry";
    }
    if (const std::string root = String(arguments, "sourceRoot"); !root.empty()) folder = root;
    Respond(request, true, nullptr);
  } else if (command == "configurationDone") {
    configured = true;
    Respond(request, true, nullptr);
  } else if (command == "disconnect" || command == "terminate") {
    Respond(request, true, nullptr);
    Detach();
    ended = true;
  } else if (command == "setBreakpoints") {
    SetBreakpoints(request, arguments);
  } else if (command == "setFunctionBreakpoints" || command == "setInstructionBreakpoints") {
    const bool function = command == "setFunctionBreakpoints";
    std::vector<CodePlace>& places = function ? functionBreakpoints : instructionBreakpoints;
    places.clear();
    Json result = Json::array();
    const Json* list = Member(arguments, "breakpoints");
    if (list && list->is_array()) {
      for (const Json& item : *list) {
        std::optional<Symbol> symbol;
        std::string text = String(item, function ? "name" : "instructionReference");
        if (function) {
          for (const SourceFunction& f : lines.Functions()) {
            if (f.name == text) symbol = Symbol{f.name, f.start, f.bank};
          }
          if (!symbol) symbol = debugger.symbols.Find(text);
          if (!symbol) symbol = debugger.symbols.Find("_" + text);  // sdcc's names of C functions
        }
        if (!symbol) symbol = debugger.symbols.Resolve(text);
        if (!symbol) {
          result.push_back({{"verified", false}, {"message", "no such function or address: " + text}});
          continue;
        }
        const auto address = static_cast<std::uint16_t>(symbol->address + Integer(item, "offset"));
        places.push_back(CodePlace{address, address < 0xC000 ? symbol->bank : -1});
        Json entry = {{"verified", true}, {"instructionReference", Hex(address, 4)}};
        Json location = Location(address);
        if (location.contains("source")) {
          entry["source"] = location["source"];
          entry["line"] = location["line"];
        }
        result.push_back(std::move(entry));
      }
    }
    ApplyBreakpoints();
    Respond(request, true, {{"breakpoints", std::move(result)}});
  } else if (command == "threads") {
    Respond(request, true, {{"threads", Json::array({{{"id", 1}, {"name", "Z80"}}})}});
  } else if (command == "continue") {
    step = Step::kNone;
    pendingReason.clear();
    debugger.Continue();
    holding = false;
    Respond(request, true, {{"allThreadsContinued", true}});
  } else if (command == "next" || command == "stepIn" || command == "stepOut") {
    StartStep(command == "next" ? Step::kLineOver : command == "stepIn" ? Step::kLineIn : Step::kOut, arguments);
    Respond(request, true, nullptr);
  } else if (command == "pause") {
    Respond(request, true, nullptr);
    if (!holding) {
      step = Step::kNone;
      debugger.StepInstruction();
      pendingReason = "pause";
    }
  } else if (command == "stackTrace") {
    Json frame = Location(cpu.pc);
    frame["id"] = 1;
    frame["instructionPointerReference"] = Hex(cpu.pc, 4);
    Respond(request, true, {{"stackFrames", Json::array({std::move(frame)})}, {"totalFrames", 1}});
  } else if (command == "scopes") {
    Json scopes = Json::array();
    scopes.push_back({{"name", "Registers"}, {"variablesReference", kRegisters}, {"expensive", false},
                      {"presentationHint", "registers"}});
    scopes.push_back({{"name", "Flags"}, {"variablesReference", kFlags}, {"expensive", false}});
    if (!lines.Variables().empty()) {
      scopes.push_back({{"name", "Locals"}, {"variablesReference", kLocals}, {"expensive", false},
                        {"presentationHint", "locals"}});
      scopes.push_back({{"name", "Globals"}, {"variablesReference", kGlobals}, {"expensive", false}});
    }
    scopes.push_back({{"name", "Stack"}, {"variablesReference", kStack}, {"expensive", false}});
    Respond(request, true, {{"scopes", std::move(scopes)}});
  } else if (command == "variables") {
    Respond(request, true, {{"variables", Variables(static_cast<int>(Integer(arguments, "variablesReference")))}});
  } else if (command == "evaluate") {
    std::string reference;
    bool ok = false;
    const std::string value = Evaluate(String(arguments, "expression"), reference, ok);
    if (!ok) {
      Respond(request, false, nullptr, value);
      return;
    }
    Json body = {{"result", value}, {"variablesReference", 0}};
    if (!reference.empty()) body["memoryReference"] = reference;
    Respond(request, true, std::move(body));
  } else if (command == "readMemory" || command == "writeMemory" || command == "disassemble") {
    const std::string where = String(arguments, "memoryReference");
    const std::optional<Symbol> base = debugger.symbols.Resolve(where);
    if (!base) {
      Respond(request, false, nullptr, "not an address: " + where);
      return;
    }
    const auto address = static_cast<std::uint16_t>(base->address + Integer(arguments, "offset"));
    if (command == "disassemble") {
      const long count = std::clamp(Integer(arguments, "instructionCount"), 0L, kMaxInstructions);
      Respond(request, true,
              {{"instructions", Disassemble(address, Integer(arguments, "instructionOffset"), count)}});
    } else if (command == "readMemory") {
      const long count = std::clamp(Integer(arguments, "count"), 0L, kMaxReadBytes);
      std::vector<std::uint8_t> bytes;
      for (long i = 0; i < count; ++i) bytes.push_back(console.Peek(static_cast<std::uint16_t>(address + i)));
      Respond(request, true, {{"address", Hex(address, 4)}, {"data", Base64(bytes)}});
    } else {
      std::vector<std::uint8_t> bytes;
      if (!FromBase64(String(arguments, "data"), bytes) || bytes.size() > static_cast<std::size_t>(kMaxReadBytes)) {
        Respond(request, false, nullptr, "data is not base64");
        return;
      }
      // System RAM only: elsewhere a write reaches the board's registers
      // or nothing.
      long written = 0;
      for (std::uint8_t byte : bytes) {
        const unsigned at = address + static_cast<unsigned>(written);
        if (at < 0xC000 || at >= 0xFFF8) break;
        console.WriteMem(static_cast<std::uint16_t>(at), byte);
        ++written;
      }
      Json body = {{"bytesWritten", written}};
      if (written == 0 && !bytes.empty()) {
        Respond(request, false, nullptr, "only system RAM ($C000-$FFF7) can be written");
        return;
      }
      Respond(request, true, std::move(body));
    }
  } else {
    Respond(request, false, nullptr, "unknown request '" + command + "'");
  }
}

void DapSession::SetBreakpoints(const Json& request, const Json& arguments) {
  const Json* source = Member(arguments, "source");
  const std::string path = source ? String(*source, "path", String(*source, "name")) : std::string();
  std::vector<CodePlace>& places = sourceBreakpoints[path];
  places.clear();
  const int file = lines.FileOf(path);
  Json result = Json::array();
  const Json* list = Member(arguments, "breakpoints");
  if (list && list->is_array()) {
    for (const Json& item : *list) {
      const long line = Integer(item, "line");
      const std::vector<SourceLine> code = file >= 0 && line > 0 ? lines.CodeFor(file, static_cast<std::uint32_t>(line))
                                                                  : std::vector<SourceLine>();
      if (code.empty()) {
        result.push_back({{"verified", false}, {"line", line}, {"message", "no code at this line"}});
        continue;
      }
      for (const SourceLine& at : code) places.push_back(CodePlace{at.address, at.address < 0xC000 ? at.bank : -1});
      result.push_back({{"verified", true}, {"line", code.front().line},
                        {"instructionReference", Hex(code.front().address, 4)}});
    }
  }
  ApplyBreakpoints();
  Respond(request, true, {{"breakpoints", std::move(result)}});
}

void DapSession::ApplyBreakpoints() {
  for (const CodePlace& place : applied) debugger.RemoveBreakpoint(place);
  applied.clear();
  for (const auto& [path, places] : sourceBreakpoints) applied.insert(applied.end(), places.begin(), places.end());
  applied.insert(applied.end(), functionBreakpoints.begin(), functionBreakpoints.end());
  applied.insert(applied.end(), instructionBreakpoints.begin(), instructionBreakpoints.end());
  for (const CodePlace& place : applied) debugger.AddBreakpoint(place);
}

void DapSession::StartStep(Step kind, const Json& arguments) {
  const std::uint16_t pc = console.cpu.pc;
  stepLine = lines.LineAt(pc, console.RomPageAt(pc));
  stepPc = pc;
  stepSp = console.cpu.sp;
  stepCount = 0;
  // Without a line here, or when asked, steps are instructions.
  if (String(arguments, "granularity") == "instruction" || (stepLine == nullptr && kind != Step::kOut)) {
    if (kind == Step::kLineOver) {
      debugger.StepOver();
    } else if (kind == Step::kLineIn) {
      debugger.StepInstruction();
    } else {
      debugger.StepOut();
    }
    step = Step::kInstruction;
  } else {
    step = kind;
    if (kind == Step::kLineOver) {
      debugger.StepOver();
    } else if (kind == Step::kLineIn) {
      debugger.StepInstruction();
    } else {
      debugger.StepOut();
    }
  }
  pendingReason = "step";
  holding = false;
}

bool DapSession::StepDone() const {
  const std::uint16_t pc = console.cpu.pc;
  const std::int32_t bank = console.RomPageAt(pc);
  if (step == Step::kInstruction || step == Step::kOut || step == Step::kNone) return true;
  if (stepCount >= kMaxStepInstructions) return true;
  const SourceLine* line = lines.LineAt(pc, bank);
  // Back in a caller without lines (the start-up code): stop there.
  if (line == nullptr && console.cpu.sp > stepSp && step == Step::kLineOver) return true;
  if (!lines.StartsLine(pc, bank) || line == nullptr) return false;
  return pc == stepPc || stepLine == nullptr || line->file != stepLine->file || line->line != stepLine->line;
}

bool DapSession::OnStop() {
  const std::string& reason = debugger.StopReason();
  if (reason.starts_with("breakpoint")) {
    step = Step::kNone;
    pendingReason.clear();
    Stopped("breakpoint", reason);
    return true;
  }
  const bool stepping = reason == "step" || reason.starts_with("reached ") || reason.starts_with("returned to ");
  if (!stepping) {
    // A watchpoint, or the program asked for a stop.
    step = Step::kNone;
    pendingReason.clear();
    Stopped(reason.starts_with("the program asked") ? "pause" : "data breakpoint", reason);
    return true;
  }
  if (step == Step::kLineIn || step == Step::kLineOver) {
    ++stepCount;
    if (!StepDone()) {
      if (step == Step::kLineOver) {
        debugger.StepOver();
      } else {
        debugger.StepInstruction();
      }
      return false;
    }
  }
  step = Step::kNone;
  const std::string why = pendingReason.empty() ? "step" : pendingReason;
  pendingReason.clear();
  Stopped(why, reason);
  return true;
}

void DapSession::Stopped(std::string_view reason, std::string_view description) {
  holding = true;
  Event("stopped", {{"reason", std::string(reason)},
                    {"description", std::string(description)},
                    {"threadId", 1},
                    {"allThreadsStopped", true}});
}

void DapSession::Output(std::string_view text) {
  if (text.empty()) return;
  Event("output", {{"category", "stdout"}, {"output", std::string(text)}});
}

void DapSession::Exited(int status) {
  Event("exited", {{"exitCode", status}});
  Event("terminated", nullptr);
  holding = false;
}

void DapSession::Detach() {
  sourceBreakpoints.clear();
  functionBreakpoints.clear();
  instructionBreakpoints.clear();
  ApplyBreakpoints();
  step = Step::kNone;
  pendingReason.clear();
  debugger.Continue();
  holding = false;
}

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
    case kRegisters: {
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
    case kFlags: {
      const std::uint8_t f = cpu.af.Lo();
      const char* names[] = {"S", "Z", "Y", "H", "X", "P/V", "N", "C"};
      for (int bit = 7; bit >= 0; --bit) add(names[7 - bit], (f >> bit) & 1 ? "1" : "0");
      break;
    }
    case kLocals:
    case kGlobals: {
      const SourceFunction* function = lines.FunctionAt(cpu.pc, console.RomPageAt(cpu.pc));
      for (const SourceVariable& variable : lines.Variables()) {
        const bool local = !variable.function.empty();
        if (local != (reference == kLocals)) continue;
        if (local && (function == nullptr || variable.function != function->name)) continue;
        add(variable.name, ReadVariable(variable),
            variable.where == SourceVariable::Where::kMemory ? Hex(variable.address, 4) : std::string(), variable.type);
      }
      break;
    }
    case kStack: {
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
    const long back = std::min(-offset, kMaxInstructions);
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
