#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "debugger/Debugger.h"
#include "debugger/SourceLines.h"

class Console;

// One debugging client's conversation in the Debug Adapter Protocol: its
// requests (JSON bodies, framing already taken off) become Debugger calls,
// and what it should hear (responses and events, JSON bodies) piles up for
// the transport to send. No socket here: the transport feeds it and the
// tests drive it directly.
//
// The console has one thread. Line stepping runs instruction by instruction
// (or over calls) until the processor reaches the start of another source
// line: the runner reports every stop with OnStop, and the session either
// lets the console run on at once or tells the client it stopped.
class DapSession {
 public:
  DapSession(Console& console, Debugger& debugger, const SourceLines& lines, std::string sourceFolder);
  ~DapSession();
  DapSession(const DapSession&) = delete;
  DapSession& operator=(const DapSession&) = delete;

  // One message from the client.
  void Receive(std::string_view body);
  // What to send, in order; emptied by the call.
  std::vector<std::string> TakeOutgoing();

  // The client has sent configurationDone: the program may run.
  bool Configured() const { return configured; }
  // The client sent launch or attach.
  bool Attached() const { return attached; }
  // The client said disconnect: send what is left and close.
  bool Ended() const { return ended; }
  // The console stopped (a frame returned stopped). False: the session lets
  // it run on at once (a step not yet on a new line). True: the client was
  // told, and the console stays stopped until Holding() turns false.
  bool OnStop();
  bool Holding() const { return holding; }
  // Text the program printed on the debug console.
  void Output(std::string_view text);
  // The run is over: the client hears the exit status and the end.
  void Exited(int status);
  // The client is gone (or said disconnect): its breakpoints go and the
  // console runs on.
  void Detach();

 private:
  enum class Step : std::uint8_t { kNone, kInstruction, kLineIn, kLineOver, kOut };

  using Json = nlohmann::json;
  void Respond(const Json& request, bool success, Json body, std::string_view message = {});
  void Event(std::string_view name, Json body);
  void Send(Json& message);
  void Handle(const Json& request);
  // The requests, one member each, found by Handle in kCommands.
  using Handler = void (DapSession::*)(const Json& request, const Json& arguments);
  struct Command {
    std::string_view name;
    Handler handler;
  };
  static const Command kCommands[];
  void Initialize(const Json& request, const Json& arguments);
  void Launch(const Json& request, const Json& arguments);
  void ConfigurationDone(const Json& request, const Json& arguments);
  void Disconnect(const Json& request, const Json& arguments);
  void SetBreakpoints(const Json& request, const Json& arguments);
  void SetFunctionBreakpoints(const Json& request, const Json& arguments);
  void SetInstructionBreakpoints(const Json& request, const Json& arguments);
  void SetCodeBreakpoints(const Json& request, const Json& arguments, bool function);
  void Threads(const Json& request, const Json& arguments);
  void ContinueRequest(const Json& request, const Json& arguments);
  void Next(const Json& request, const Json& arguments);
  void StepIn(const Json& request, const Json& arguments);
  void StepOut(const Json& request, const Json& arguments);
  void Pause(const Json& request, const Json& arguments);
  void StackTrace(const Json& request, const Json& arguments);
  void Scopes(const Json& request, const Json& arguments);
  void VariablesRequest(const Json& request, const Json& arguments);
  void EvaluateRequest(const Json& request, const Json& arguments);
  void ReadMemory(const Json& request, const Json& arguments);
  void WriteMemory(const Json& request, const Json& arguments);
  void DisassembleRequest(const Json& request, const Json& arguments);
  // The address a memory request names; false once the client was told it
  // names none.
  bool MemoryAddress(const Json& request, const Json& arguments, std::uint16_t& address);
  void ApplyBreakpoints();
  void StartStep(Step kind, const Json& arguments);
  bool StepDone() const;
  void Stopped(std::string_view reason, std::string_view description);
  std::string SourcePath(std::uint32_t file) const;
  Json Location(std::uint16_t address) const;
  std::string Evaluate(std::string_view expression, std::string& memoryReference, bool& ok) const;
  std::string ReadVariable(const SourceVariable& variable) const;
  Json Variables(int reference) const;
  Json Disassemble(std::uint16_t address, long offset, long count) const;

  Console& console;
  Debugger& debugger;
  const SourceLines& lines;
  std::string folder;
  std::vector<std::string> outgoing;
  std::int64_t seq = 1;
  bool configured = false;
  bool ended = false;
  bool holding = false;
  bool attached = false;  // launch or attach came
  // Breakpoints set by this client, by kind; all of them are in the
  // debugger as `applied`.
  std::map<std::string, std::vector<CodePlace>> sourceBreakpoints;  // by source path
  std::vector<CodePlace> functionBreakpoints;
  std::vector<CodePlace> instructionBreakpoints;
  std::vector<CodePlace> applied;
  // The step under way.
  Step step = Step::kNone;
  std::string pendingReason;  // what the next stop means when it is not a breakpoint: "step", "pause", "entry"
  const SourceLine* stepLine = nullptr;
  std::uint16_t stepPc = 0;
  std::uint16_t stepSp = 0;
  int stepCount = 0;
};
