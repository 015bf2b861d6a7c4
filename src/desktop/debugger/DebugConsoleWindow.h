#pragma once

#include <cstddef>

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
  std::size_t shownSize = static_cast<std::size_t>(-1);  // the length of the text shown
};

}  // namespace debugwin
