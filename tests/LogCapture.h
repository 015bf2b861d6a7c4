#pragma once

#include <string>

#include "debug/DebugConsole.h"

// Collects everything logged while it lives, so a test can check messages
// word for word.
class LogCapture {
 public:
  LogCapture() {
    Text().clear();
    SetLogWriter(&Append);
  }
  ~LogCapture() { SetLogWriter(nullptr); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  const std::string& text() const { return Text(); }
  void clear() { Text().clear(); }

 private:
  static std::string& Text() {
    static std::string captured;
    return captured;
  }
  static void Append(const char* text, std::size_t length) { Text().append(text, length); }
};
