#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "debugger/Debugger.h"
#include "debugger/SourceLines.h"
#include "host/files/Result.h"

class Console;
struct RunOptions;

// Reads a symbol file (WLA-DX, sdcc or pasmo) into `table`, and the source
// lines it holds (sdcc's .cdb, WLA-DX's .sym) into `lines` when given.
// False, with the reason, when it cannot be read or holds neither.
Result LoadSymbolFile(const std::string& path, SymbolTable& table, SourceLines* lines = nullptr);

// A place as --break and the debugger windows take it: a label, an address
// ($1234, 1234h...), or PAGE:ADDRESS for an offset in one ROM page. False
// when it is none of these.
bool ParseCodePlace(const std::string& text, const SymbolTable& symbols, CodePlace& place);

// The headless runner's debugger: symbols, --break places, the --trace file
// and what a stop prints. Started only when the options ask for breakpoints
// or a trace, so a plain run keeps the plain interpreter.
class DebugSession {
 public:
  ~DebugSession();

  static bool Wanted(const RunOptions& options);

  // Attaches a debugger to the console: symbols from --symbols, the files
  // beside the image (or the demo's own), then the breakpoints. A failure,
  // with the reason, when a file cannot be read or a place is unknown.
  Result Start(const RunOptions& options, const std::string& image, bool demo, Console& console);

  // After a frame that stopped: prints the stop on standard output. True to
  // run on (the frame is then finished by the next RunFrame), false when
  // --on-break exit ends the run here.
  bool Stopped();

  // The debugger and the program's source lines, once started.
  Debugger* GetDebugger() { return debugger.get(); }
  const SourceLines& Lines() const { return lines; }
  // The folder the program's relative source names start from: the
  // image's.
  const std::string& SourceFolder() const { return folder; }

  // The trace could not be written (disk full): the run fails.
  bool TraceFailed() const { return traceFailed; }
  // Closes the trace file; a failure when its last writes failed.
  Result Finish();

 private:
  std::unique_ptr<Debugger> debugger;
  SourceLines lines;
  std::string folder;
  std::FILE* trace = nullptr;
  std::string tracePath;
  bool traceFailed = false;
  bool exitOnBreak = false;
};

// The exit status of a run that stopped at a breakpoint with --on-break exit.
inline constexpr int kExitAtBreakpoint = 3;
