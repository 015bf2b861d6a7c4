#include "desktop/DesktopRun.h"

#include <SDL.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "host/session/Session.h"
#include "host/session/DemoImage.h"
#include "desktop/DesktopBindings.h"
#include "desktop/DesktopDebugServer.h"
#include "desktop/DesktopPlay.h"
#include "desktop/DesktopSettings.h"
#include "host/settings/Settings.h"
#include "desktop/FramePacer.h"
#include "desktop/FrameRateMeter.h"
#include "desktop/MenuCommands.h"
#include "desktop/MessageBoxOnce.h"
#include "desktop/debugger/DebugWindows.h"
#include "debug/DebugConsole.h"
#include "desktop/gtk/KeysDialog.h"
#include "desktop/gtk/MainWindow.h"
#include "host/i18n/Translate.h"
#include "desktop/sdl/DisplayManager.h"
#include "desktop/sdl/SdlDisplay.h"
#include "desktop/sdl/SdlInput.h"
#include "desktop/sdl/SdlSound.h"
#include "host/display/HostMessageBox.h"
#include "host/display/MillisecondClock.h"

namespace {

// While the console does not run, the loop sleeps in the event wait for at
// most this long before it looks at the main window's events again.
constexpr int kIdleWaitMs = 10;

bool quitPosted = false;
SdlInput* desktopInput = nullptr;
SdlSound* desktopSound = nullptr;
std::string soundFailure;

void OpenDesktopSound() {
  if (!desktopSound->Open(soundFailure)) return;
  activeSession->sound = desktopSound;
}
void CloseDesktopSound() { desktopSound->Close(); }
void FlushDesktopSound() { desktopSound->Flush(); }
void SetDesktopSoundLevel(int volume, bool muted) { desktopSound->SetLevel(volume, muted); }

SdlDisplay* desktopDisplay = nullptr;
bool SetDesktopFullscreen(bool on) { return desktopDisplay->SetFullscreen(on); }

void PostQuit() { quitPosted = true; }

bool CreateDesktopMainWindow() {
  MainWindowCommands commands;
  commands.loadCartridge = MenuLoadCartridge;
  commands.setPal = MenuSetPal;
  commands.setJapanese = MenuSetJapanese;
  commands.setFmUnit = MenuSetFmUnit;
  commands.startSoundLog = MenuStartSoundLog;
  commands.stopSoundLog = MenuStopSoundLog;
  commands.setNoSpriteLimit = MenuSetNoSpriteLimit;
  commands.setBoard = MenuSetBoard;
  commands.setConsole = MenuSetConsole;
  commands.setScale = MenuSetScale;
  commands.setWholeScales = MenuSetWholeScales;
  commands.reset = MenuReset;
  commands.saveState = MenuSaveState;
  commands.loadState = MenuLoadState;
  commands.setStateSlot = MenuSetStateSlot;
  commands.setFastForward = MenuSetFastForward;
  commands.focusGame = MenuFocusGame;
  commands.destroyed = PostQuit;
  UseSavingCommands(commands);
  return CreateMainWindow(commands);
}

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Pads plugged in or pulled out while the program runs: picked up into a
// free pad, or dropped, with a note on the picture.
void HandlePadEvent(const SDL_Event& event) {
  if (!desktopInput || !activeSession) return;
  std::string name;
  std::string note;
  if (event.type == SDL_JOYDEVICEADDED) {
    if (const int pad = desktopInput->DeviceAdded(event.jdevice.which, name)) {
      note = Format(Tr("Manette %d branchée : %s"), pad, name.c_str());
    }
  } else if (const int pad = desktopInput->DeviceRemoved(event.jdevice.which)) {
    note = Format(Tr("Manette %d débranchée"), pad);
  }
  if (!note.empty()) activeSession->presenter.note.Show(note, MillisecondsNow());
}

// The mouse over the display window is the pointer of both ports: the
// light gun aims where it is on the picture (nowhere off it), the paddle
// stands at its column, the sports pad moves as it moves.
void MouseMoved(const SDL_MouseMotionEvent& motion) {
  int x = -1, y = -1;
  if (!desktopDisplay->FramePoint(motion.x, motion.y, x, y)) x = y = -1;
  for (PointerInput& pointer : activeSession->input.pointer) {
    pointer.x = x;
    pointer.y = y;
    pointer.dx += motion.xrel;
    pointer.dy += motion.yrel;
  }
}

// Every waiting event of both toolkits: the main window's through GTK, the
// display window's and the devices' through SDL.
void HandlePendingEvents() {
  GtkHandlePendingEvents();
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) {
      PostQuit();
    } else if (event.type == SDL_WINDOWEVENT) {
      if (HandleDisplayWindowEvent(event.window)) PostQuit();
      // A size set by hand checks the menu's item of that size, or none.
      if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        const PictureRect& picture = desktopDisplay->picture;
        const int width = event.window.data1, height = event.window.data2;
        const int scale = picture.width > 0 ? width / picture.width : 0;
        SetScaleCheck(width == scale * picture.width && height == scale * picture.height ? scale : 0);
      }
    } else if (HandleDroppedFile(event, LoadImageAndRemember)) {
    } else if (event.type == SDL_JOYDEVICEADDED || event.type == SDL_JOYDEVICEREMOVED) {
      HandlePadEvent(event);
    } else if (event.type == SDL_KEYDOWN && !event.key.repeat) {
      // Escape in the game window leaves full screen (it never ends the program).
      if (event.key.keysym.scancode == SDL_SCANCODE_ESCAPE && desktopDisplay->Fullscreen()) {
        SetFullscreenAndSave(false);
      } else if (desktopInput) {
        desktopInput->KeyPressed(event.key.keysym.scancode, event.key.keysym.mod);
      }
    } else if (event.type == SDL_MOUSEBUTTONUP && event.button.button == SDL_BUTTON_RIGHT) {
      PopupMainMenu();
    } else if (event.type == SDL_MOUSEMOTION) {
      desktopDisplay->PointerMoved(NowMs());
      if (activeSession && event.motion.windowID == desktopDisplay->WindowId()) MouseMoved(event.motion);
    } else if ((event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) && activeSession &&
               event.button.windowID == desktopDisplay->WindowId()) {
      // The left button is the light gun's trigger and the paddle's and
      // sports pad's first button; the middle one the sports pad's second
      // (the right one opens the menu).
      for (PointerInput& pointer : activeSession->input.pointer) {
        if (event.button.button == SDL_BUTTON_LEFT) pointer.button1 = event.type == SDL_MOUSEBUTTONDOWN;
        if (event.button.button == SDL_BUTTON_MIDDLE) pointer.button2 = event.type == SDL_MOUSEBUTTONDOWN;
      }
    }
  }
}

void NeverSayNoSoundDevice() {
  SettingsFile* file = DesktopSettings();
  if (!file) return;
  file->values.noDeviceBox = false;
  std::string error;
  if (!file->Save(error)) LogPrintf("tavrin: %s\n", error.c_str());
}

// No sound device: the game runs silent, and says so once the windows are
// up, in a box that does not stop it; once a login session (a mark in the
// session's runtime folder, which goes at logout), and never once the player
// ticks the box's choice (or the setting says so). The log says it each time.
void SayNoSoundDevice(const std::string& failure) {
  if (DesktopSettings() && !DesktopSettings()->values.noDeviceBox) {
    LogPrintf("Sound: no device; the box is turned off in the settings\n");
    return;
  }
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) {
    const std::string mark = std::string(runtime) + "/tavrin-no-sound-said";
    // O_EXCL: the first program of the session makes the mark and says it.
    const int made = ::open(mark.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (made < 0 && errno == EEXIST) {
      LogPrintf("Sound: no device; already said in this session\n");
      return;
    }
    if (made >= 0) ::close(made);
  }
  const std::string text =
      Format(Tr("The sound device could not be opened, so the game runs without sound.\n\nSDL says: %s"),
             failure.c_str());
  GtkMessageBoxLaterWithChoice(text.c_str(), Tr("Waveout error"), Tr("_Ne plus le signaler"), NeverSayNoSoundDevice);
}

double CpuSeconds() {
  struct rusage usage;
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

bool HandleDroppedFile(const SDL_Event& event, void (*load)(const char* path)) {
  if (event.type != SDL_DROPFILE) return false;
  if (event.drop.file) {
    if (load) load(event.drop.file);
    SDL_free(event.drop.file);
  }
  return true;
}

int RunDesktop(const RunOptions& options, std::string& noDisplay) {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!x11 || !*x11) && (!wayland || !*wayland)) {
    noDisplay = "neither DISPLAY nor WAYLAND_DISPLAY is set";
    return -1;
  }
  if (!GtkHostInit()) {
    noDisplay = "GTK cannot open the display";
    return -1;
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    noDisplay = std::string("SDL cannot open the display: ") + SDL_GetError();
    return -1;
  }
  SDL_EventState(SDL_DROPFILE, SDL_ENABLE);

  if (!options.screenshot.empty() || !options.audio.empty() || !options.input.Empty()) {
    std::fprintf(stderr, "tavrin: --screenshot, --audio and --hold apply to headless runs; ignored here\n");
  }

  std::string image = options.image;
  if (image.empty()) {
    std::string error;
    image = InstallDemoImage(error);
    if (image.empty()) std::fprintf(stderr, "tavrin: %s\n", error.c_str());
  }

  InstallMessageBoxOnce(GtkMessageBox);
  InstallMessageBoxAgain(GtkMessageBoxFocused);
  quitPosted = false;
  SdlDisplay display;
  SdlInput input;
  desktopInput = &input;
  SdlSound sound;
  auto session = std::make_unique<Session>();
  activeSession = session.get();
  desktopSound = &sound;
  desktopDisplay = &display;
  soundFailure.clear();
  HostParts host;
  host.display = &display;
  host.input = &input;
  host.displayManagerInit = DisplayManagerInit;
  host.createMainWindow = CreateDesktopMainWindow;
  host.soundOpen = OpenDesktopSound;
  host.showMainWindow = ShowMainWindow;
  host.soundClose = CloseDesktopSound;
  host.displayShutdown = DisplayShutdown;
  host.console = CommandLineConsole(options);
  session->SaveInBackground();
  if (!session->Startup(host)) {
    activeSession = nullptr;
    desktopInput = nullptr;
    SDL_Quit();
    return 0;
  }
  // The saved settings first; the command line's switches then add to them.
  SetSoundLevelApplier(SetDesktopSoundLevel);
  SetFullscreenApplier(SetDesktopFullscreen);
  LoadDesktopSettings();
  if (!soundFailure.empty()) SayNoSoundDevice(soundFailure);
  // --region: the marks show the console asked for (for this run only;
  // ApplyConsoleOptions below sets it).
  if (!options.region.empty()) {
    MenuSetJapanese(options.region == "jp");
    MenuSetPal(options.region == "eu");
    SetJapaneseCheck(JapaneseMark());
    SetPalCheck(PalMark());
  }
  if (options.noSpriteLimit) {
    MenuSetNoSpriteLimit(true);
    SetNoSpriteLimitCheck(true);
  }
  if (options.fm) SetFmUnitCheck(true);  // ApplyConsoleOptions fits it
  {
    // A boot program that cannot be read is said on standard error; the
    // console then starts cartridges as without one.
    // The settings' boot program unless the command line names one.
    RunOptions consoleOptions = options;
    if (consoleOptions.bios.empty() && DesktopSettings()) consoleOptions.bios = DesktopSettings()->values.bios;
    std::string error;
    if (!ApplyConsoleOptions(consoleOptions, session->console, error)) {
      std::fprintf(stderr, "tavrin: cannot use the boot program: %s\n", error.c_str());
    }
  }
  for (int port = 0; port < 2; ++port) session->console.SetPeripheral(port, options.port[port]);
  session->console.SetGlassesView(options.glassesView);
  // The image of the command line is loaded as the menu would load it; one
  // that cannot be read leaves the program waiting for the menu.
  if (!image.empty()) MenuLoadCartridge(image.c_str());
  AttachDebugWindows(session.get(), options.breaks);
  // The window goes back where the player left it (sizing it has centred
  // it), once it has the focus: the window manager has framed it by then, and
  // SDL knows the frame it must leave room for.
  bool placePending = DesktopSettings() && DesktopSettings()->values.windowPlaced;

  // Frames run through the play keys: rewind, fast-forward, state slots.
  DesktopPlay play(FlushDesktopSound);
  // An editor's debugger over the Debug Adapter Protocol.
  DesktopDebugServer debugServer;
  if (options.debugServer >= 0) {
    std::string error;
    if (!debugServer.Start(options, *session, error)) std::fprintf(stderr, "tavrin: %s\n", error.c_str());
  }
  play.toggleMute = ToggleMuteAndSave;
  play.toggleFullscreen = ToggleFullscreenAndSave;
  SetBindingsTargets(&input, &play);
  FramePacer pacer;
  FrameRateMeter meter;
  bool pacing = false;
  long long framesRun = 0;
  // Running time: the spans in which the console ran, pauses and the wait
  // for the first focus left out. The frame-rate figure and --bench count it.
  using Clock = std::chrono::steady_clock;
  double runningSeconds = 0;  // closed spans
  double runningCpu = 0;
  Clock::time_point spanStart;
  double spanCpuStart = 0;
  auto closeSpan = [&] {
    runningSeconds += std::chrono::duration<double>(Clock::now() - spanStart).count();
    runningCpu += CpuSeconds() - spanCpuStart;
  };

  while (true) {
    HandlePendingEvents();
    if (quitPosted) break;
    if (!GtkFocusedBoxOpen()) display.KeepAskingForFocus(NowMs());
    display.HidePointerWhenIdle(NowMs());
    if (placePending && display.active) {
      placePending = false;
      if (!display.Fullscreen()) display.MoveTo(DesktopSettings()->values.windowX, DesktopSettings()->values.windowY);
    }
    debugServer.Poll(*session);
    // A debugger's stop holds the console; run from a debugger window it
    // runs without the game window's focus.
    const bool running = session->cartridgeLoaded && (display.active || DebugDrivesConsole()) &&
                         !debugServer.Holding() && !DebugHoldsConsole();
    SetDisplayPaused(session->cartridgeLoaded && !display.active && !DebugDrivesConsole());
    if (running) {
      if (!pacing) {
        pacer.Restart();
        meter.Restart(NowNs());
        spanStart = Clock::now();
        spanCpuStart = CpuSeconds();
      }
      pacing = true;
      session->presenter.frameRate = meter.Rate();
      const int ran = play.Step(*session, &input);
      DebugAfterFrame();
      debugServer.AfterFrame(*session);
      framesRun += ran;
      meter.Add(ran, NowNs());
      input.FrameRead();
      // At the running console's own rate: 59.92 or 49.70 frames a second.
      pacer.UseTiming(session->console.timing);
      sound.SetFramesPerSecond(session->console.timing.FramesPerSecond());
      const std::int64_t wait = pacer.FrameDone();
      if (wait > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(wait));
      if (options.framesGiven && framesRun >= options.frames) break;
    } else {
      // Nothing to emulate: drop the sound still queued once, then sleep
      // until something happens instead of spinning.
      if (pacing) {
        sound.Flush();
        closeSpan();
      }
      pacing = false;
      input.FrameRead();  // keys pressed while nothing runs are not kept for later
      SDL_WaitEventTimeout(nullptr, kIdleWaitMs);
    }
  }
  if (pacing) closeSpan();

  const double seconds = runningSeconds;
  const double cpu = runningCpu;
  const long long presents = display.PresentCount();
  SetBindingsTargets(nullptr, nullptr);
  CloseKeysDialog();
  AttachDebugWindows(nullptr, {});
  if (int x = 0, y = 0; display.Place(x, y)) RememberWindowPlace(x, y);
  session->Shutdown();
  activeSession = nullptr;
  desktopInput = nullptr;
  DestroyMainWindow();
  GtkHandlePendingEvents();
  SDL_Quit();

  if (options.bench) {
    const SdlSound::DelayFigures delay = sound.Delay();
    std::printf("%lld frames in %.2f s: %.3f frames per second (%lld shown, %lld pacing restarts); "
                "CPU %.1f%% of one core; sound delay mean %.1f ms, max %.1f ms over %lld frames\n",
                framesRun, seconds, seconds > 0 ? static_cast<double>(framesRun) / seconds : 0.0, presents,
                static_cast<long long>(pacer.Restarts()), seconds > 0 ? 100.0 * cpu / seconds : 0.0,
                delay.meanMs, delay.maxMs, delay.frames);
    std::fflush(stdout);
  }
  return 0;
}
