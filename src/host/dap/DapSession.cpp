#include "host/dap/DapSession.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "console/Console.h"
#include "host/dap/DapValues.h"

namespace {

using Json = nlohmann::json;
using dap::Hex;

// Steps of one line give up after this many instructions (a line that
// never ends, or code without lines) and stop where they are.
constexpr int kMaxStepInstructions = 200000;
constexpr long kMaxReadBytes = 0x10000;

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

// Every request the session answers, by command name.
const DapSession::Command DapSession::kCommands[] = {
    {"initialize", &DapSession::Initialize},
    {"launch", &DapSession::Launch},
    {"attach", &DapSession::Launch},
    {"configurationDone", &DapSession::ConfigurationDone},
    {"disconnect", &DapSession::Disconnect},
    {"terminate", &DapSession::Disconnect},
    {"setBreakpoints", &DapSession::SetBreakpoints},
    {"setFunctionBreakpoints", &DapSession::SetFunctionBreakpoints},
    {"setInstructionBreakpoints", &DapSession::SetInstructionBreakpoints},
    {"threads", &DapSession::Threads},
    {"continue", &DapSession::ContinueRequest},
    {"next", &DapSession::Next},
    {"stepIn", &DapSession::StepIn},
    {"stepOut", &DapSession::StepOut},
    {"pause", &DapSession::Pause},
    {"stackTrace", &DapSession::StackTrace},
    {"scopes", &DapSession::Scopes},
    {"variables", &DapSession::VariablesRequest},
    {"evaluate", &DapSession::EvaluateRequest},
    {"readMemory", &DapSession::ReadMemory},
    {"writeMemory", &DapSession::WriteMemory},
    {"disassemble", &DapSession::DisassembleRequest},
};

void DapSession::Handle(const Json& request) {
  const std::string command = String(request, "command");
  const Json* found = Member(request, "arguments");
  const Json arguments = found && found->is_object() ? *found : Json::object();
  for (const Command& known : kCommands) {
    if (known.name == command) return (this->*known.handler)(request, arguments);
  }
  Respond(request, false, nullptr, "unknown request '" + command + "'");
}

void DapSession::Initialize(const Json& request, const Json&) {
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
}

void DapSession::Launch(const Json& request, const Json& arguments) {
  attached = true;
  if (Boolean(arguments, "stopOnEntry")) {
    debugger.StepInstruction();
    step = Step::kNone;
    pendingReason = "entry";
  }
  if (const std::string root = String(arguments, "sourceRoot"); !root.empty()) folder = root;
  Respond(request, true, nullptr);
}

void DapSession::ConfigurationDone(const Json& request, const Json&) {
  configured = true;
  Respond(request, true, nullptr);
}

void DapSession::Disconnect(const Json& request, const Json&) {
  Respond(request, true, nullptr);
  Detach();
  ended = true;
}

void DapSession::SetFunctionBreakpoints(const Json& request, const Json& arguments) {
  SetCodeBreakpoints(request, arguments, true);
}

void DapSession::SetInstructionBreakpoints(const Json& request, const Json& arguments) {
  SetCodeBreakpoints(request, arguments, false);
}

// Breakpoints by function name (a C function by its own name or sdcc's) or
// by address, each with an offset.
void DapSession::SetCodeBreakpoints(const Json& request, const Json& arguments, bool function) {
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
}

void DapSession::Threads(const Json& request, const Json&) {
  Respond(request, true, {{"threads", Json::array({{{"id", 1}, {"name", "Z80"}}})}});
}

void DapSession::ContinueRequest(const Json& request, const Json&) {
  step = Step::kNone;
  pendingReason.clear();
  debugger.Continue();
  holding = false;
  Respond(request, true, {{"allThreadsContinued", true}});
}

void DapSession::Next(const Json& request, const Json& arguments) {
  StartStep(Step::kLineOver, arguments);
  Respond(request, true, nullptr);
}

void DapSession::StepIn(const Json& request, const Json& arguments) {
  StartStep(Step::kLineIn, arguments);
  Respond(request, true, nullptr);
}

void DapSession::StepOut(const Json& request, const Json& arguments) {
  StartStep(Step::kOut, arguments);
  Respond(request, true, nullptr);
}

void DapSession::Pause(const Json& request, const Json&) {
  Respond(request, true, nullptr);
  if (!holding) {
    step = Step::kNone;
    debugger.StepInstruction();
    pendingReason = "pause";
  }
}

void DapSession::StackTrace(const Json& request, const Json&) {
  const Z80Core& cpu = console.cpu;
  Json frame = Location(cpu.pc);
  frame["id"] = 1;
  frame["instructionPointerReference"] = Hex(cpu.pc, 4);
  Respond(request, true, {{"stackFrames", Json::array({std::move(frame)})}, {"totalFrames", 1}});
}

void DapSession::Scopes(const Json& request, const Json&) {
  Json scopes = Json::array();
  scopes.push_back({{"name", "Registers"}, {"variablesReference", dap::kRegisters}, {"expensive", false},
                    {"presentationHint", "registers"}});
  scopes.push_back({{"name", "Flags"}, {"variablesReference", dap::kFlags}, {"expensive", false}});
  if (!lines.Variables().empty()) {
    scopes.push_back({{"name", "Locals"}, {"variablesReference", dap::kLocals}, {"expensive", false},
                      {"presentationHint", "locals"}});
    scopes.push_back({{"name", "Globals"}, {"variablesReference", dap::kGlobals}, {"expensive", false}});
  }
  scopes.push_back({{"name", "Stack"}, {"variablesReference", dap::kStack}, {"expensive", false}});
  Respond(request, true, {{"scopes", std::move(scopes)}});
}

void DapSession::VariablesRequest(const Json& request, const Json& arguments) {
  Respond(request, true, {{"variables", Variables(static_cast<int>(Integer(arguments, "variablesReference")))}});
}

void DapSession::EvaluateRequest(const Json& request, const Json& arguments) {
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
}

bool DapSession::MemoryAddress(const Json& request, const Json& arguments, std::uint16_t& address) {
  const std::string where = String(arguments, "memoryReference");
  const std::optional<Symbol> base = debugger.symbols.Resolve(where);
  if (!base) {
    Respond(request, false, nullptr, "not an address: " + where);
    return false;
  }
  address = static_cast<std::uint16_t>(base->address + Integer(arguments, "offset"));
  return true;
}

void DapSession::DisassembleRequest(const Json& request, const Json& arguments) {
  std::uint16_t address = 0;
  if (!MemoryAddress(request, arguments, address)) return;
  const long count = std::clamp(Integer(arguments, "instructionCount"), 0L, dap::kMaxInstructions);
  Respond(request, true, {{"instructions", Disassemble(address, Integer(arguments, "instructionOffset"), count)}});
}

void DapSession::ReadMemory(const Json& request, const Json& arguments) {
  std::uint16_t address = 0;
  if (!MemoryAddress(request, arguments, address)) return;
  const long count = std::clamp(Integer(arguments, "count"), 0L, kMaxReadBytes);
  std::vector<std::uint8_t> bytes;
  for (long i = 0; i < count; ++i) bytes.push_back(console.Peek(static_cast<std::uint16_t>(address + i)));
  Respond(request, true, {{"address", Hex(address, 4)}, {"data", Base64(bytes)}});
}

void DapSession::WriteMemory(const Json& request, const Json& arguments) {
  std::uint16_t address = 0;
  if (!MemoryAddress(request, arguments, address)) return;
  std::vector<std::uint8_t> bytes;
  if (!FromBase64(String(arguments, "data"), bytes) || bytes.size() > static_cast<std::size_t>(kMaxReadBytes)) {
    Respond(request, false, nullptr, "data is not base64");
    return;
  }
  // System RAM only: elsewhere a write reaches the board's registers or
  // nothing.
  long written = 0;
  for (std::uint8_t byte : bytes) {
    const unsigned at = address + static_cast<unsigned>(written);
    if (at < 0xC000 || at >= 0xFFF8) break;
    console.WriteMem(static_cast<std::uint16_t>(at), byte);
    ++written;
  }
  if (written == 0 && !bytes.empty()) {
    Respond(request, false, nullptr, "only system RAM ($C000-$FFF7) can be written");
    return;
  }
  Respond(request, true, {{"bytesWritten", written}});
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
  // Without a line here, or when asked, steps are instructions; a line step
  // goes on an instruction (or a call) at a time until OnStop finds it done.
  const bool byInstruction = String(arguments, "granularity") == "instruction" || stepLine == nullptr;
  step = byInstruction && kind != Step::kOut ? Step::kInstruction : kind;
  if (kind == Step::kLineOver) {
    debugger.StepOver();
  } else if (kind == Step::kLineIn) {
    debugger.StepInstruction();
  } else {
    debugger.StepOut();
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
