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
  // The desktop's own steps of start-up and shutdown. A headless run has no
  // windows and no sound device and leaves them empty.
  void (*displayManagerInit)() = nullptr;
  bool (*createMainWindow)() = nullptr;  // start-up ends when this fails
  int (*soundOpen)(int rate, int buffers) = nullptr;
  void (*showMainWindow)() = nullptr;
  void (*soundClose)() = nullptr;
  void (*displayShutdown)() = nullptr;
};

// The sound output's rate, and how many 256-sample buffers start-up lets the
// device hold: two keep a sound write within 25 ms of the speaker.
inline constexpr int kSoundRate = 22050;
inline constexpr int kSoundBuffers = 2;

// Opens the debug console, logs the banner, empties the display registry,
// creates the main window, opens sound, builds the machine on the host's
// devices and shows the main window. Returns nonzero on success, 0 when the
// main window cannot be made (nothing is torn down then).
int Startup(const HostParts& host);

// One pass of the idle loop: a scanline of emulation while a cartridge runs
// and the display is active; otherwise the sound chip is kept silent.
void IdleStep();

// Releases the machine (saving battery RAM still in use), closes sound and
// destroys the display windows.
void Shutdown();

// The menu's load command: reads the image and, on success, marks the
// cartridge loaded and running and resets the console.
bool LoadAndReset(const char* path);
