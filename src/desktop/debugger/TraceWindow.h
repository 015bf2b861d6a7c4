#pragma once

#include "desktop/debugger/DebugWindowParts.h"

class DebugWindows;

namespace debugwin {

// The trace window: the last instructions the processor ran, oldest first.
struct TraceWindow {
  explicit TraceWindow(DebugWindows& debug) : debug(debug) {}
  // Opens it (or brings it up) and shows the trace.
  void Open();
  // Shows the trace again, when the window is open.
  void Refresh();
  void Close() { slot.Close(); }

  DebugWindows& debug;
  WindowSlot slot;
  GtkWidget* lines = nullptr;
};

}  // namespace debugwin
