#include "desktop/sdl/DisplayManager.h"

#include "debug/DebugConsole.h"
#include "desktop/sdl/SdlDisplay.h"

void DisplayManager::Init() {
  LogPrintf("Initializing Window Display Manager\n");
  registry.clear();
}

SdlDisplay* DisplayManager::Find(std::uint32_t windowId) const {
  if (windowId == 0) return nullptr;
  for (SdlDisplay* display : registry) {
    if (display->WindowId() == windowId) return display;
  }
  return nullptr;
}

void DisplayManager::Shutdown() {
  LogPrintf("DisplayShutdown() -- Terminate\n");
  LogPrintf("  Destroying Windows\n");
  for (SdlDisplay* display : registry) display->DestroyWindow();
  LogPrintf("  Freeing Memory\n");
  registry.clear();
  registry.shrink_to_fit();
  LogPrintf("DisplayShutdown() -- Offline\n");
}

bool DisplayManager::HandleWindowEvent(const SDL_WindowEvent& event) const {
  SdlDisplay* display = Find(event.windowID);
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
