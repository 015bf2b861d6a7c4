#include "app/Application.h"

#include <string>

#include "debug/DebugConsole.h"
#include "host/files/BatteryFile.h"
#include "machine/AppFlags.h"
#include "sound/SoundOutput.h"
#include "video/Display.h"

Machine theMachine;

namespace {
Display* hostDisplay = nullptr;
HostParts hostParts;
}

int Startup(const HostParts& host) {
  cartridgeLoaded = 0;
  running = 0;
  ConsoleInit();
  LogPrintf("Tavrin -- Startup -- %s\n", "v0.3b [19]");
  hostParts = host;
  hostDisplay = host.display;
  if (host.displayManagerInit) host.displayManagerInit();
  if (host.createMainWindow && !host.createMainWindow()) return 0;
  // A refused sound device has been reported; the console then runs silent.
  if (host.soundOpen) host.soundOpen(kSoundRate, kSoundBuffers);
  LogPrintf("Tavrin -- Initializing the SMS ...\n");
  theMachine.Create(host.display, host.input);
  LogPrintf("Tavrin -- Ready to go!\n");
  if (host.showMainWindow) host.showMainWindow();
  return 1;
}

void IdleStep() {
  if (running && hostDisplay && hostDisplay->active) {
    theMachine.RunLine();
    return;
  }
  theMachine.psg.Reset(SoundChannelUpdate);
  theMachine.psg.Flush(FlushKeep);
}

void Shutdown() {
  theMachine.Destroy();
  if (hostParts.soundClose) hostParts.soundClose();
  if (hostParts.displayShutdown) hostParts.displayShutdown();
  hostParts = HostParts{};
}

bool LoadAndReset(const char* path) {
  // An image whose battery file would be itself (game.sav) is destroyed by
  // its first save: it is refused before anything is read.
  std::string battery, error;
  if (path && !BatteryPathFor(path, battery, error)) {
    LogPrintf("file error\r\ntavrin: %s\n", error.c_str());
    return false;
  }
  if (!theMachine.LoadCart(path)) return false;
  cartridgeLoaded = 1;
  running = 1;
  theMachine.Reset();
  return true;
}
