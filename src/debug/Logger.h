#pragma once

#include <cstddef>

// Where one console's log lines go. The console and its chips report through
// the Logger their owner hands them, never through anything process-wide, so
// two consoles in one process keep their own logs. A Logger with no writer
// drops every line.
struct Logger {
  using Writer = void (*)(void* context, const char* text, std::size_t length);

  Writer writer = nullptr;
  void* context = nullptr;

  // printf-style message through a 512-byte buffer: a longer message is cut
  // to 511 characters. Nothing is appended.
  void Printf(const char* format, ...) const __attribute__((format(printf, 2, 3)));
};

// A Logger that writes through the process's debug console (LogPrintf).
Logger DebugConsoleLogger();
