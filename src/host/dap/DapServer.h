#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "host/dap/DapFraming.h"
#include "host/dap/DapSession.h"
#include "host/files/Result.h"

// `--debug-server PORT`: the Debug Adapter Protocol over TCP on 127.0.0.1,
// one client at a time (a second one is told so and closed). The socket is
// non-blocking: the runner polls it once per frame, and while the client
// holds the console stopped, so neither a slow nor a vanished client ever
// holds up the emulator. Each client gets a fresh DapSession; when it goes,
// its breakpoints go with it and the program runs on.
class DapServer {
 public:
  DapServer(Console& console, Debugger& debugger, const SourceLines& lines, std::string sourceFolder);
  ~DapServer();
  DapServer(const DapServer&) = delete;
  DapServer& operator=(const DapServer&) = delete;

  // Listens on 127.0.0.1:port (0: a port the system picks). A failure,
  // with the reason (the log's words: only the command line says it), when
  // it cannot.
  Result Listen(int port);
  int Port() const { return port; }

  // Accepts, reads and answers, waiting up to timeoutMs for something to
  // happen (0: not at all).
  void Poll(int timeoutMs);
  // No client has finished configuring yet (a headless run waits for one
  // before its first frame; a client that attached and left ends the wait).
  bool WaitingForStart() const { return !started; }
  // After a frame that stopped: true when a client takes the stop (then
  // keep polling while Holding()); false when no client is there and the
  // stop is someone else's (--break).
  bool NoteStop();
  bool Holding() const { return session && session->Holding(); }
  // Text the program printed on the debug console.
  void Output(std::string_view text);
  // The run ends with this status: the client hears it, then is closed.
  void Finish(int status);

 private:
  void Accept();
  void Read();
  void Flush();
  void Drop();
  void Take();  // moves the session's messages to the send buffer

  Console& console;
  Debugger& debugger;
  const SourceLines& lines;
  std::string folder;
  int listener = -1;
  int client = -1;
  int port = 0;
  bool started = false;
  DapReader reader;
  std::string sending;
  std::unique_ptr<DapSession> session;
};
