#include "desktop/sdl/DisplayManager.h"

#include <vector>

#include "debug/DebugConsole.h"
#include "desktop/sdl/SdlDisplay.h"

namespace {
std::vector<SdlDisplay*> registry;
}  // namespace

void DisplayManagerInit() {
  LogPrintf("Initializing Window Display Manager\n");
  registry.clear();
}

void RegisterDisplayWindow(SdlDisplay* display) { registry.push_back(display); }

SdlDisplay* FindDisplay(std::uint32_t windowId) {
  if (windowId == 0) return nullptr;
  for (SdlDisplay* display : registry) {
    if (display->WindowId() == windowId) return display;
  }
  return nullptr;
}

void DisplayShutdown() {
  LogPrintf("DisplayShutdown() -- Terminate\n");
  LogPrintf("  Destroying Windows\n");
  for (SdlDisplay* display : registry) display->DestroyWindow();
  LogPrintf("  Freeing Memory\n");
  registry.clear();
  registry.shrink_to_fit();
  LogPrintf("DisplayShutdown() -- Offline\n");
}

bool HandleDisplayWindowEvent(const SDL_WindowEvent& event) {
  SdlDisplay* display = FindDisplay(event.windowID);
  if (!display) return false;
  switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      display->active = true;
      return false;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      display->active = false;
      return false;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // Whether or not the console runs, the window shows its picture again
      // (a running console draws over it at its next frame anyway).
      display->Repaint();
      return false;
    case SDL_WINDOWEVENT_CLOSE:
      return true;
    default:
      return false;
  }
}
