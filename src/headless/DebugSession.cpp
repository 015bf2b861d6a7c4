#include "headless/DebugSession.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "DemoCartridge.h"
#include "host/session/RunOptions.h"
#include "console/Console.h"
#include "host/files/FileRead.h"

namespace {

// Symbol files of large programs run to a few megabytes.
constexpr std::uint64_t kMaxSymbolFileSize = 64ull << 20;

}  // namespace

// `PAGE:ADDRESS` (a place in one ROM page), or a label or address.
bool ParseCodePlace(const std::string& text, const SymbolTable& symbols, CodePlace& place) {
  const std::size_t colon = text.find(':');
  if (colon != std::string::npos) {
    const std::optional<Symbol> page = symbols.Resolve(text.substr(0, colon));
    const std::optional<Symbol> address = symbols.Resolve(text.substr(colon + 1));
    if (!page || !page->name.empty() || !address || page->address >= Cartridge::kMaxPages) return false;
    place = CodePlace{address->address, page->address};
    return true;
  }
  const std::optional<Symbol> symbol = symbols.Resolve(text);
  if (!symbol) return false;
  // A label of a banked program stops only in its own bank.
  place = CodePlace{symbol->address, symbol->address < 0xC000 ? symbol->bank : -1};
  return true;
}

Result LoadSymbolFile(const std::string& path, SymbolTable& table, SourceLines* lines) {
  std::vector<std::uint8_t> bytes;
  const FileRead read = ReadRegularFile(path, kMaxSymbolFileSize, bytes);
  if (read.error != 0) return read.reason;
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const bool haveLines = lines != nullptr && lines->Parse(text);
  if (!table.Parse(text) && !haveLines) {
    return LogReason("'" + path + "': not a symbol file (WLA-DX .sym, sdcc .noi, .map or .cdb, pasmo)");
  }
  return {};
}

DebugSession::~DebugSession() {
  if (trace) std::fclose(trace);
}

bool DebugSession::Wanted(const RunOptions& options) {
  return !options.breaks.empty() || !options.trace.empty() || options.debugServer >= 0;
}

// The headless runner's failures are the command line's: said in the log's
// words alone.
Result DebugSession::Start(const RunOptions& options, const std::string& image, bool demo, Console& console) {
  debugger = std::make_unique<Debugger>(console);
  const std::size_t slash = image.find_last_of('/');
  folder = slash == std::string::npos ? "." : image.substr(0, slash);
  exitOnBreak = options.onBreak == "exit";
  for (const std::string& path : options.symbols) {
    if (Result loaded = LoadSymbolFile(path, debugger->symbols, &lines); !loaded) return LogReason(loaded.Log());
  }
  if (demo) {
    debugger->symbols.Parse(DemoSymbols());
  } else {
    // The assembler's files beside the image, when there are any.
    for (const std::string& path : SymbolFilesBeside(image)) {
      if (LoadSymbolFile(path, debugger->symbols, &lines)) {
        std::fprintf(stderr, "tavrin: symbols from %s\n", path.c_str());
      }
    }
  }
  for (const std::string& where : options.breaks) {
    CodePlace place;
    if (!ParseCodePlace(where, debugger->symbols, place)) {
      return LogReason("--break '" + where + "': no such label, and not an address ($1234, 1234h, PAGE:ADDRESS)");
    }
    debugger->AddBreakpoint(place);
  }
  if (!options.trace.empty()) {
    trace = std::fopen(options.trace.c_str(), "w");
    if (trace == nullptr) return LogReason(DescribePathError(options.trace, errno).log);
    tracePath = options.trace;
    debugger->SetTrace([this](std::string_view line) {
      if (traceFailed) return;
      if (std::fwrite(line.data(), 1, line.size(), trace) != line.size() || std::fputc('\n', trace) == EOF) {
        traceFailed = true;
      }
    });
  }
  return {};
}

bool DebugSession::Stopped() {
  std::fputs(debugger->Describe().c_str(), stdout);
  std::fflush(stdout);
  if (exitOnBreak) return false;
  debugger->Continue();
  return true;
}

Result DebugSession::Finish() {
  if (trace == nullptr) return {};
  const bool closed = std::fclose(trace) == 0;
  trace = nullptr;
  if (traceFailed || !closed) return LogReason("'" + tracePath + "': the trace could not be written whole");
  return {};
}
