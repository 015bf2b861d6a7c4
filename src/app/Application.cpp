#include "app/Application.h"

#include "debug/DebugConsole.h"
#include "machine/AppFlags.h"
#include "sound/SoundOutput.h"
#include "video/Display.h"

Machine theMachine;

namespace {
Display* hostDisplay = nullptr;
}

int Startup(const HostParts& host) {
  cartridgeLoaded = 0;
  running = 0;
  ConsoleInit();
  LogPrintf("Tavrin -- Startup -- %s\n", "v0.3b [19]");
  hostDisplay = host.display;
  LogPrintf("Tavrin -- Initializing the SMS ...\n");
  theMachine.Create(host.display, host.input);
  LogPrintf("Tavrin -- Ready to go!\n");
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

void Shutdown() { theMachine.Destroy(); }

bool LoadAndReset(const char* path) {
  if (!theMachine.LoadCart(path)) return false;
  cartridgeLoaded = 1;
  running = 1;
  theMachine.Reset();
  return true;
}
