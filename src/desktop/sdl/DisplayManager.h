#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

class SdlDisplay;

// The registry of display windows: it lets window events find the display
// they belong to, and Shutdown destroy every window at exit. The desktop
// program owns one and hands it to its display before the window opens.
class DisplayManager {
 public:
  // Logs "Initializing Window Display Manager" and empties the registry.
  void Init();
  // Appends a display whose window was just created.
  void Register(SdlDisplay* display) { registry.push_back(display); }
  // The registered display whose window has this SDL id, or nullptr.
  SdlDisplay* Find(std::uint32_t windowId) const;
  // Destroys every registered window in registration order and empties the
  // registry, with its log lines.
  void Shutdown();

  // Applies one window event to the display it is for: focus gained or lost
  // sets or clears its `active` flag; uncovered or resized, it repaints.
  // Returns true when the event closes a display window, which ends the
  // program.
  bool HandleWindowEvent(const SDL_WindowEvent& event) const;

 private:
  std::vector<SdlDisplay*> registry;
};
