#pragma once

#include "debug/DebugConsole.h"

// The emulator logs through one writer; a fuzzing run would spend most of its
// time printing, so the log goes nowhere.
inline void SilenceLog() {
  static const bool done = [] {
    SetLogWriter([](const char*, std::size_t) {});
    return true;
  }();
  (void)done;
}
