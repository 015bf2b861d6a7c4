#pragma once

#include "desktop/debugger/DebugWindowParts.h"

class DebugWindows;

namespace debugwin {

// The video window: tiles, name table, sprites and palette, one page each.
struct VideoWindow {
  explicit VideoWindow(DebugWindows& debug) : debug(debug) {}
  // Opens it (or brings it up) and draws the page in sight.
  void Open();
  // Draws the page in sight again, when the window is open.
  void Refresh();
  void Close() { slot.Close(); }

  DebugWindows& debug;
  WindowSlot slot;
  GtkWidget* pages = nullptr;
  GtkWidget* tiles[2] = {};
  GtkWidget* tileInfo = nullptr;
  GtkWidget* names = nullptr;
  GtkWidget* sprites = nullptr;
  GtkWidget* palette = nullptr;
  GtkWidget* paletteValues = nullptr;
  int chosenTile = -1;  // the tile the player clicked, -1 before a click
};

}  // namespace debugwin
