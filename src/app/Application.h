#pragma once

#include "machine/Machine.h"

class Display;
class InputSource;

// The one console of the process and the life of the application around it:
// start-up, the idle step that runs the console a scanline at a time, and
// shutdown. The host layer in use provides the display and input devices.
extern Machine theMachine;

struct HostParts {
  Display* display = nullptr;
  InputSource* input = nullptr;
};

// Opens the debug console, logs the banner and builds the machine on the
// host's devices. Returns nonzero on success.
int Startup(const HostParts& host);

// One pass of the idle loop: a scanline of emulation while a cartridge runs
// and the display is active; otherwise the sound chip is kept silent.
void IdleStep();

// Releases the machine (saving battery RAM still in use).
void Shutdown();

// The menu's load command: reads the image and, on success, marks the
// cartridge loaded and running and resets the console.
bool LoadAndReset(const char* path);
