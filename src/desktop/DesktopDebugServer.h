#pragma once

#include <memory>
#include <string>

#include "debugger/Debugger.h"
#include "debugger/SourceLines.h"
#include "host/dap/DapServer.h"

class Session;
struct RunOptions;

// --debug-server in the desktop program: a debugger on the session's
// console, with the symbols and source lines of whatever image is loaded,
// served to an editor over the Debug Adapter Protocol. The run loop polls
// it once per pass; while the client holds the console stopped the loop
// runs no frame (the windows stay alive), and a step that has not reached
// its line yet runs on at once rather than a frame at a time.
class DesktopDebugServer {
 public:
  // Starts listening; a failure, with the reason, when it cannot.
  Result Start(const RunOptions& options, Session& session);
  // Once per pass of the run loop: new symbols after a load, the client's
  // requests.
  void Poll(Session& session);
  // After the frames of a pass: the program's debug-console text, and a
  // stop, if the frame stopped.
  void AfterFrame(Session& session);
  // The client has the console stopped: run no frame.
  bool Holding() const { return server && server->Holding(); }

 private:
  std::unique_ptr<Debugger> debugger;
  SourceLines lines;
  std::unique_ptr<DapServer> server;
  std::string symbolsOf;  // the image whose symbols are loaded
  std::vector<std::string> extraSymbols;  // --symbols
};
