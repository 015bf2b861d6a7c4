#pragma once

#include <cstddef>
#include <cstdint>

#include "desktop/debugger/DebugWindowParts.h"

class DebugWindows;

namespace debugwin {

// The homebrew debug console's window: what the program printed on ports
// 0xFC and 0xFD.
struct DebugConsoleWindow {
  explicit DebugConsoleWindow(DebugWindows& debug) : debug(debug) {}
  // Opens it (or brings it up) and shows the text.
  void Open();
  // Shows the text again when it grew, when the window is open.
  void Refresh();
  void Close() { slot.Close(); }

  DebugWindows& debug;
  WindowSlot slot;
  GtkWidget* text = nullptr;
  bool shown = false;              // the text area holds the text as of shownPrinted
  std::uint64_t shownPrinted = 0;  // the characters printed in all when it was shown
};

}  // namespace debugwin
