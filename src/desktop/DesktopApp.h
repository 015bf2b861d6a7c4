#pragma once

#include <chrono>
#include <string>

#include "desktop/DesktopBindings.h"
#include "desktop/DesktopDebugServer.h"
#include "desktop/DesktopPlay.h"
#include "desktop/DesktopSettings.h"
#include "desktop/FramePacer.h"
#include "desktop/FrameRateMeter.h"
#include "desktop/MenuCommands.h"
#include "desktop/MessageBoxOnce.h"
#include "desktop/debugger/DebugWindows.h"
#include "desktop/gtk/MainWindow.h"
#include "desktop/sdl/DisplayManager.h"
#include "desktop/sdl/SdlDisplay.h"
#include "desktop/sdl/SdlInput.h"
#include "desktop/sdl/SdlSound.h"
#include "host/session/RunOptions.h"
#include "host/input/PointerMotion.h"
#include "host/session/Session.h"

union SDL_Event;
struct SDL_MouseMotionEvent;

// The desktop program: its session, display window, sound, controllers,
// message boxes, menu commands, settings and bindings, made together by
// RunDesktop and handed by reference to whatever needs them (the main
// window's commands reach them through the callbacks it is given).
class DesktopApp {
 public:
  explicit DesktopApp(const RunOptions& options);

  // Starts the session (its windows and the sound), reads the settings and
  // applies the command line over them. False when the main window cannot
  // be made (the session is then not started).
  bool Start(const std::string& image);
  // Runs frames, paced, until a window closes (or --frames are done).
  void Run();
  // Shuts the session and the windows down; prints --bench's figures.
  void Finish();

  const RunOptions& options;
  // The debugger windows; the main window's menu opens them, so they are
  // made before it and go after it.
  DebugWindows debugWindows;
  MainWindow window;
  GtkModalBox modalBox{window};
  GtkFocusedBox focusedBox{window};
  // A failure that repeats every frame shows its box once.
  MessageBoxOnce boxOnce{&modalBox};
  DisplayManager displays;
  SdlDisplay display;
  SdlInput input;
  SdlSound sound;
  Session session;
  MenuCommands menu{session, &focusedBox};
  DesktopSettings settings{session, menu, window};
  DesktopBindings bindings{session, settings};
  // Frames run through the play keys: rewind, fast-forward, state slots.
  DesktopPlay play{[this] { sound.Flush(); }};
  // An editor's debugger over the Debug Adapter Protocol (--debug-server).
  DesktopDebugServer debugServer;

 private:
  bool CreateMainWindow();
  // The keys beside the menu items, from the bindings and the slot chosen.
  void ShowMenuShortcuts();
  // The emulator's pause (its key, or "Pause de l'émulation"): the console
  // and the sound stop, and the frame shows dimmed with the pause line, until
  // the key again, the item, or a click on the picture. Only while a
  // cartridge is loaded.
  void SetEmulatorPaused(bool on);
  void OpenSound();
  void SayNoSoundDevice();
  void NeverSayNoSoundDevice();
  void ApplyCommandLine(const std::string& image);
  void HandlePendingEvents();
  void HandleEvent(const SDL_Event& event);
  void HandleWindowEvent(const SDL_Event& event);
  void HandlePadEvent(const SDL_Event& event);
  void HandlePointerEvent(const SDL_Event& event);
  void MouseMoved(const SDL_MouseMotionEvent& motion);
  void PlaceWindowOnce();
  void RunPacedFrame();
  void Idle();
  void StartRunningSpan();
  void CloseRunningSpan();

  bool quitPosted = false;
  bool emulatorPaused = false;
  SportsPadMotion sportsPadMotion[2][2];  // by port, x and y
  std::string soundFailure;
  // The window goes back where the player left it once it has the focus.
  bool placePending = false;
  FramePacer pacer;
  FrameRateMeter meter;
  bool pacing = false;
  long long framesRun = 0;
  // Running time: the spans in which the console ran, pauses and the wait
  // for the first focus left out. The frame-rate figure and --bench count it.
  double runningSeconds = 0;  // closed spans
  double runningCpu = 0;
  std::chrono::steady_clock::time_point spanStart;
  double spanCpuStart = 0;
};
