#include "desktop/DesktopDebugServer.h"

#include <cstdio>

#include "headless/DebugSession.h"
#include "host/session/RunOptions.h"
#include "host/session/Session.h"

Result DesktopDebugServer::Start(const RunOptions& options, Session& session) {
  debugger = std::make_unique<Debugger>(session.console);
  extraSymbols = options.symbols;
  server = std::make_unique<DapServer>(session.console, *debugger, lines, std::string());
  if (Result listening = server->Listen(options.debugServer); !listening) {
    server.reset();
    debugger.reset();
    return listening;
  }
  std::fprintf(stderr, "tavrin: debug server on 127.0.0.1:%d\n", server->Port());
  return {};
}

void DesktopDebugServer::Poll(Session& session) {
  if (!server) return;
  if (session.imagePath != symbolsOf) {
    // Another image: its own symbols and lines, read from beside it. The
    // client keeps its breakpoints' places as they were.
    symbolsOf = session.imagePath;
    debugger->symbols.Clear();
    lines.Clear();
    std::vector<std::string> files = extraSymbols;
    for (const std::string& path : SymbolFilesBeside(symbolsOf)) files.push_back(path);
    for (const std::string& path : files) {
      if (LoadSymbolFile(path, debugger->symbols, &lines)) std::fprintf(stderr, "tavrin: symbols from %s\n", path.c_str());
    }
  }
  server->Poll(0);
}

void DesktopDebugServer::AfterFrame(Session& session) {
  if (!server) return;
  SdscConsole& sdsc = session.console.sdsc;
  while (true) {
    if (!sdsc.Text().empty()) {
      server->Output(sdsc.Text());
      sdsc.ClearText();
    }
    if (!session.console.Stopped()) return;
    if (!server->NoteStop()) {
      // No client: nothing of ours stops here; the frame goes on.
      debugger->Continue();
    } else if (server->Holding()) {
      return;
    }
    session.RunFrame();
  }
}
