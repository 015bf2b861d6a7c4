// Any bytes from a debugging client: cut into pieces of the sizes the first
// bytes say, framed by the reader, and every whole message handed to a
// session over the demo cartridge, whose replies must be framed JSON again.
// Nothing may crash, hang or read or write out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "DemoCartridge.h"
#include "FuzzQuiet.h"
#include "console/Console.h"
#include "debugger/Debugger.h"
#include "debugger/SourceLines.h"
#include "host/dap/DapFraming.h"
#include "host/dap/DapSession.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SilenceLog();
  static Console* console = [] {
    auto* made = new Console();
    made->LoadCartridge(DemoCartridgeData(), DemoCartridgeSize(), "demo.sms");
    return made;
  }();
  static SourceLines* lines = [] {
    auto* made = new SourceLines();
    made->Parse("L:C$demo.c$3$0_0$1:0\nL:C$demo.c$4$0_0$1:10\nS:G$x$0_0$0({2}SI:S),E,0,0\nL:G$x$0_0$0:C000\n");
    return made;
  }();
  console->Reset();
  Debugger debugger(*console);
  DapSession session(*console, debugger, *lines, "/src");
  DapReader reader;
  std::size_t at = 0;
  while (at < size) {
    // One byte gives the next piece's length.
    const std::size_t piece = std::min<std::size_t>(1 + data[at] % 64, size - at - 1);
    ++at;
    reader.Feed(std::string_view(reinterpret_cast<const char*>(data + at), piece));
    at += piece;
    std::string body;
    std::string error;
    DapReader::Result result;
    while ((result = reader.Next(body, error)) == DapReader::Result::kMessage) {
      session.Receive(body);
      if (session.Holding() || !console->Stopped()) {
        console->RunFrame(FrameInput{});
        if (console->Stopped()) session.OnStop();
      }
    }
    if (result == DapReader::Result::kError) break;
  }
  for (const std::string& message : session.TakeOutgoing()) {
    if (message.empty() || message.front() != '{') std::abort();
  }
  return 0;
}
