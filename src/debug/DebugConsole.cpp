#include "debug/DebugConsole.h"

#include <cstdarg>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr std::size_t kLogBufferSize = 512;

void WriteToStandardError(const char* text, std::size_t length) {
  // One write call per message, so lines from the log and from other output
  // interleave whole. A failed write loses the message and nothing else.
  while (length > 0) {
    ssize_t written = ::write(STDERR_FILENO, text, length);
    if (written <= 0) return;
    text += written;
    length -= static_cast<std::size_t>(written);
  }
}

LogWriter consoleWriter = &WriteToStandardError;

}  // namespace

void ConsoleInit() {
  // Standard error is open from the start of the process; there is nothing to
  // allocate, only the milestone to log.
  LogPrintf("Allocated Console\n");
}

void SetLogWriter(LogWriter writer) { consoleWriter = writer ? writer : &WriteToStandardError; }

void LogPrintf(const char* format, ...) {
  char buffer[kLogBufferSize];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0) return;
  std::size_t shown = static_cast<std::size_t>(length);
  if (shown > kLogBufferSize - 1) shown = kLogBufferSize - 1;
  consoleWriter(buffer, shown);
}
