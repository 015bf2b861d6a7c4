#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "desktop/debugger/DebugWindowParts.h"

class DebugWindows;

namespace debugwin {

// The memory window: a hex view of one of the console's memories, a byte
// written by hand, a search, and a jump to a label.
struct MemoryWindow {
  explicit MemoryWindow(DebugWindows& debug) : debug(debug) {}
  // Opens it (or brings it up) and shows the memory chosen.
  void Open();
  // Shows the memory again when a byte of it changed, when the window is open.
  void Refresh();
  void Close() { slot.Close(); }
  // The memory chosen (its Area's number).
  int CurrentArea() const;
  // The ROM page chosen.
  int CurrentPage() const;
  // Scrolls to the row holding `offset` and marks the byte.
  void ShowOffset(int offset);
  void SetStatus(const std::string& text);

  DebugWindows& debug;
  WindowSlot slot;
  GtkWidget* areaChoice = nullptr;
  GtkWidget* pageChoice = nullptr;
  GtkWidget* dump = nullptr;
  GtkWidget* addressEntry = nullptr;
  GtkWidget* valueEntry = nullptr;
  GtkWidget* searchEntry = nullptr;
  GtkWidget* status = nullptr;
  std::vector<std::uint8_t> shown;  // the bytes the view shows
  int shownArea = -1;               // their memory, -1: none yet
  int searchFrom = 0;               // the search goes on from this offset
};

}  // namespace debugwin
