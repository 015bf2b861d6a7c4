#pragma once

#include <SDL.h>

#include <cstdint>

class SdlDisplay;

// The registry of display windows: it lets window events find the display
// they belong to, and DisplayShutdown destroy every window at exit.

// Logs "Initializing Window Display Manager" and empties the registry.
void DisplayManagerInit();
// Appends a display whose window was just created.
void RegisterDisplayWindow(SdlDisplay* display);
// The registered display whose window has this SDL id, or nullptr.
SdlDisplay* FindDisplay(std::uint32_t windowId);
// Destroys every registered window in registration order and empties the
// registry, with its log lines.
void DisplayShutdown();

// Applies one window event to the display it is for: focus gained or lost
// sets or clears its `active` flag; uncovered or resized, it repaints. Returns true when the event closes a
// display window, which ends the program.
bool HandleDisplayWindowEvent(const SDL_WindowEvent& event);
