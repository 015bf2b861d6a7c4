#pragma once

#include "desktop/debugger/DebugWindowParts.h"

class DebugWindows;

namespace debugwin {

// The processor window: registers and flags (editable), the instructions
// around pc, the call stack, the breakpoints, and the buttons that run,
// pause and step.
struct ProcessorWindow {
  // The registers the window shows, each an entry of its own.
  enum Register { kAF, kBC, kDE, kHL, kAF2, kBC2, kDE2, kHL2, kIX, kIY, kSP, kPC, kI, kRegisterCount };
  // The flags of F it shows (bits 5 and 3 are not).
  static constexpr int kFlagCount = 6;

  explicit ProcessorWindow(DebugWindows& debug) : debug(debug) {}
  // Opens it (or brings it up) and shows the processor's state.
  void Open();
  // Shows the state again, when the window is open.
  void Refresh();
  void Close() { slot.Close(); }

  DebugWindows& debug;
  WindowSlot slot;
  GtkWidget* reasonLabel = nullptr;
  GtkWidget* code = nullptr;
  GtkWidget* stack = nullptr;
  GtkWidget* breakList = nullptr;
  GtkWidget* breakEntry = nullptr;
  GtkWidget* registerEntries[kRegisterCount] = {};
  GtkWidget* flagButtons[kFlagCount] = {};
  GtkWidget* interruptLabel = nullptr;
  bool refreshing = false;  // the window is writing its own widgets: edits are not the player's

 private:
  GtkWidget* BuildButtons();
  GtkWidget* BuildRegisters();
  GtkWidget* BuildFlags();
  GtkWidget* BuildPanes();
};

}  // namespace debugwin
