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
#include <utility>
#include <vector>

#include "debug/DebugConsole.h"
#include "desktop/DesktopApp.h"
#include "desktop/MenuShortcuts.h"
#include "desktop/debugger/DebugWindows.h"
#include "desktop/gtk/KeysDialog.h"
#include "desktop/sdl/KeyTranslation.h"
#include "host/display/PictureFilter.h"
#include "host/i18n/Translate.h"
#include "host/session/DemoImage.h"
#include "host/session/StateSlots.h"
#include "host/settings/Settings.h"

namespace {

// While the console does not run, the loop sleeps in the event wait for at
// most this long before it looks at the main window's events again.
constexpr int kIdleWaitMs = 10;

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

double CpuSeconds() {
  struct rusage usage;
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Both toolkits open on a display, or the reason there is none.
bool OpenToolkits(std::string& noDisplay) {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!x11 || !*x11) && (!wayland || !*wayland)) {
    noDisplay = "neither DISPLAY nor WAYLAND_DISPLAY is set";
    return false;
  }
  if (!GtkHostInit()) {
    noDisplay = "GTK cannot open the display";
    return false;
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    noDisplay = std::string("SDL cannot open the display: ") + SDL_GetError();
    return false;
  }
  SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
  return true;
}

}  // namespace

DesktopApp::DesktopApp(const RunOptions& runOptions) : options(runOptions) {
  display.manager = &displays;
  input.messageBox = &boxOnce;
  settings.applySoundLevel = [this](int volume, bool muted) { sound.SetLevel(volume, muted); };
  settings.applyFullscreen = [this](bool on) { return display.SetFullscreen(on); };
  play.toggleMute = [this] { settings.ToggleMuteAndSave(); };
  play.toggleFullscreen = [this] { settings.ToggleFullscreenAndSave(); };
}

bool DesktopApp::CreateMainWindow() {
  MainWindowCommands commands;
  commands.setPal = [this](bool on) { menu.SetPal(on); };
  commands.setJapanese = [this](bool on) { menu.SetJapanese(on); };
  commands.setFmUnit = [this](bool on) { menu.SetFmUnit(on); };
  commands.startSoundLog = [this](const char* path) { return menu.StartSoundLog(path); };
  commands.stopSoundLog = [this] { menu.StopSoundLog(); };
  commands.setNoSpriteLimit = [this](bool on) { menu.SetNoSpriteLimit(on); };
  commands.setBoard = [this](int board) { menu.SetBoard(board); };
  commands.setConsole = [this](int kind) { menu.SetConsole(kind); };
  commands.setWholeScales = [this](bool on) { menu.SetWholeScales(on); };
  commands.reset = [this] { menu.Reset(); };
  commands.saveState = [this] { menu.SaveState(); };
  commands.loadState = [this] { menu.LoadState(); };
  commands.setFastForward = [this](bool on) { menu.SetFastForward(on); };
  commands.focusGame = [this] { menu.FocusGame(); };
  commands.gameHasFocus = [this] { return display.active; };
  commands.destroyed = [this] { quitPosted = true; };
  commands.keys = [this] { bindings.OpenKeysDialog([this] { window.FocusGameAfterDialog(); }); };
  commands.closeCartridge = [this] { menu.CloseCartridge(); };
  commands.debugMenu = [this](std::function<void()> focusGame) { return debugWindows.BuildMenu(std::move(focusGame)); };
  commands.keyList = [this] {
    std::vector<std::pair<std::string, std::string>> list;
    for (int control = 0; control < kControlCount; ++control) {
      list.emplace_back(ControlLabel(static_cast<Control>(control)), KeyName(bindings.Keys().scan[control]));
    }
    list.emplace_back(Tr("Menu"), Tr("Clic droit"));
    return list;
  };
  // Loads, the marks, the scale, the slot, the volume and full screen are
  // also saved.
  settings.UseSavingCommands(commands);
  // The keys shown beside "Sauvegarder l'état" and "Charger l'état" are the
  // chosen slot's.
  commands.setStateSlot = [this, saving = commands.setStateSlot](int slot) {
    if (saving) saving(slot);
    ShowMenuShortcuts();
  };
  commands.setEmulatorPause = [this](bool on) { SetEmulatorPaused(on); };
  commands.stateSlotLabel = [this](int slot) {
    return StateSlotLabel(slot, StateFolder(), session.cartridgeLoaded ? session.imagePath : std::string());
  };
  bindings.keysChanged = [this] { ShowMenuShortcuts(); };
  return window.Create(commands);
}

void DesktopApp::SetEmulatorPaused(bool on) {
  emulatorPaused = on && session.cartridgeLoaded;
  window.SetEmulatorPauseCheck(emulatorPaused);
}

void DesktopApp::ShowMenuShortcuts() { window.SetShortcuts(MenuShortcutsFor(bindings.Keys(), session.stateSlot)); }

void DesktopApp::OpenSound() {
  // The box that says so shows SDL's own words.
  if (const Result opened = sound.Open(); opened) {
    session.sound = &sound;
  } else {
    soundFailure = opened.Shown();
  }
}

void DesktopApp::NeverSayNoSoundDevice() {
  SettingsFile* file = settings.File();
  if (!file) return;
  file->values.noDeviceBox = false;
  if (const Result saved = file->Save(); !saved) LogPrintf("tavrin: %s\n", saved.Log().c_str());
}

// No sound device: the game runs silent, and says so once the windows are
// up, in a box that does not stop it; once a login session (a mark in the
// session's runtime folder, which goes at logout), and never once the player
// ticks the box's choice (or the setting says so). The log says it each time.
void DesktopApp::SayNoSoundDevice() {
  if (settings.File() && !settings.File()->values.noDeviceBox) {
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
      Format(Tr("Le périphérique audio n'a pas pu être ouvert : le jeu tourne sans le son.\n\nSDL dit : %s"),
             soundFailure.c_str());
  window.MessageBoxLaterWithChoice(text.c_str(), Tr("Erreur audio"), Tr("_Ne plus le signaler"),
                                   [this] { NeverSayNoSoundDevice(); });
}

bool DesktopApp::Start(const std::string& image) {
  HostParts host;
  host.display = &display;
  host.input = &input;
  host.messageBox = &boxOnce;
  host.displayManagerInit = [this] { displays.Init(); };
  host.createMainWindow = [this] { return CreateMainWindow(); };
  host.soundOpen = [this] { OpenSound(); };
  host.showMainWindow = [this] { window.Show(); };
  host.soundClose = [this] { sound.Close(); };
  host.displayShutdown = [this] { displays.Shutdown(); };
  host.console = CommandLineConsole(options);
  session.SaveInBackground();
  if (!session.Startup(host)) return false;
  // The saved settings first; the command line's switches then add to them.
  settings.Load();
  bindings.Load(settings.File()->values);
  ShowMenuShortcuts();
  if (!soundFailure.empty()) SayNoSoundDevice();
  ApplyCommandLine(image);
  // The window goes back where the player left it (sizing it has centred
  // it), once it has the focus: the window manager has framed it by then, and
  // SDL knows the frame it must leave room for.
  placePending = settings.File()->values.windowPlaced;
  // An editor's debugger over the Debug Adapter Protocol.
  if (options.debugServer >= 0) {
    if (const Result started = debugServer.Start(options, session); !started) {
      std::fprintf(stderr, "tavrin: %s\n", started.Log().c_str());
    }
  }
  bindings.SetTargets(&input, &play);
  return true;
}

void DesktopApp::ApplyCommandLine(const std::string& image) {
  // --region: the marks show the console asked for (for this run only;
  // ApplyConsoleOptions below sets it).
  if (!options.region.empty()) {
    menu.SetJapanese(options.region == "jp");
    menu.SetPal(options.region == "eu");
    window.SetJapaneseCheck(menu.JapaneseMark());
    window.SetPalCheck(menu.PalMark());
  }
  if (options.noSpriteLimit) {
    menu.SetNoSpriteLimit(true);
    window.SetNoSpriteLimitCheck(true);
  }
  if (options.fm) window.SetFmUnitCheck(true);  // ApplyConsoleOptions fits it
  // A boot program that cannot be read is said on standard error; the
  // console then starts cartridges as without one. The settings' boot
  // program unless the command line names one.
  RunOptions consoleOptions = options;
  if (consoleOptions.bios.empty()) consoleOptions.bios = settings.File()->values.bios;
  if (const Result applied = ApplyConsoleOptions(consoleOptions, session.console); !applied) {
    std::fprintf(stderr, "tavrin: cannot use the boot program: %s\n", applied.Log().c_str());
  }
  // The ports and the glasses' view the command line names, over the settings'.
  for (int port = 0; port < 2; ++port) {
    if (!options.portGiven[port]) continue;
    menu.SetPort(port, static_cast<int>(options.port[port]));
    window.SetPortCheck(port, static_cast<int>(options.port[port]));
  }
  if (options.glassesGiven) {
    const int view = options.glassesView == GlassesView::kAnaglyph ? 1 : 0;
    menu.SetGlassesView(view);
    window.SetGlassesCheck(view);
  }
  // The filter the command line names, over the settings' (not saved).
  if (!options.filter.empty()) {
    const PictureFilter filter = PictureFilterFromName(options.filter.c_str());
    menu.SetFilter(filter);
    window.SetFilterCheck(static_cast<int>(filter));
  }
  // The image of the command line is loaded as the menu would load it; one
  // that cannot be read leaves the program waiting for the menu.
  if (!image.empty()) menu.LoadCartridge(image.c_str());
  debugWindows.Attach(&session, options.breaks);
}

// Pads plugged in or pulled out while the program runs: picked up into a
// free pad, or dropped, with a note on the picture.
void DesktopApp::HandlePadEvent(const SDL_Event& event) {
  std::string name;
  std::string note;
  if (event.type == SDL_JOYDEVICEADDED) {
    if (const int pad = input.DeviceAdded(event.jdevice.which, name)) {
      note = Format(Tr("Manette %d branchée : %s"), pad, name.c_str());
    }
  } else if (const int pad = input.DeviceRemoved(event.jdevice.which)) {
    note = Format(Tr("Manette %d débranchée"), pad);
  }
  if (!note.empty()) session.presenter.ShowNote(note);
}

// The mouse over the display window is the pointer of both ports: the
// light gun aims where it is on the picture (nowhere off it), the paddle
// stands at its column, the sports pad moves as it moves.
void DesktopApp::MouseMoved(const SDL_MouseMotionEvent& motion) {
  int x = -1, y = -1;
  if (!display.FramePoint(motion.x, motion.y, x, y)) x = y = -1;
  // The paddle turns through its whole travel across the window
  // (PaddleFromColumn); the sports pad moves in the picture's pixels
  // (SportsPadMotion).
  int windowWidth = 0, shownWidth = 0, shownHeight = 0;
  const bool sized = display.PointSizes(windowWidth, shownWidth, shownHeight);
  const PictureRect& picture = display.picture;
  for (int port = 0; port < 2; ++port) {
    PointerInput& pointer = session.input.pointer[port];
    const bool paddle = session.console.GetPeripheral(port) == Peripheral::kPaddle;
    pointer.x = paddle && sized ? PaddleFromColumn(motion.x, windowWidth) : x;
    pointer.y = paddle && sized ? 0 : y;
    if (sized) {
      pointer.dx += sportsPadMotion[port][0].Take(motion.xrel, picture.width, shownWidth);
      pointer.dy += sportsPadMotion[port][1].Take(motion.yrel, picture.height, shownHeight);
    }
  }
}

void DesktopApp::HandleWindowEvent(const SDL_Event& event) {
  if (displays.HandleWindowEvent(event.window)) quitPosted = true;
  // A size set by hand checks the menu's item of that size, or none.
  if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
    const int shownWidth = display.ShownPictureWidth(), shownHeight = display.picture.height;
    const int width = event.window.data1, height = event.window.data2;
    const int scale = shownWidth > 0 ? width / shownWidth : 0;
    window.SetScaleCheck(width == scale * shownWidth && height == scale * shownHeight ? scale : 0);
  }
}

void DesktopApp::HandlePointerEvent(const SDL_Event& event) {
  if (event.type == SDL_MOUSEMOTION) {
    display.PointerMoved(NowMs());
    if (event.motion.windowID == display.WindowId()) MouseMoved(event.motion);
  } else if (event.button.windowID == display.WindowId()) {
    // The left button is the light gun's trigger and the paddle's and
    // sports pad's first button; the middle one the sports pad's second
    // (the right one opens the menu).
    for (PointerInput& pointer : session.input.pointer) {
      if (event.button.button == SDL_BUTTON_LEFT) pointer.button1 = event.type == SDL_MOUSEBUTTONDOWN;
      if (event.button.button == SDL_BUTTON_MIDDLE) pointer.button2 = event.type == SDL_MOUSEBUTTONDOWN;
    }
  }
}

void DesktopApp::HandleEvent(const SDL_Event& event) {
  if (event.type == SDL_QUIT) {
    quitPosted = true;
  } else if (event.type == SDL_WINDOWEVENT) {
    HandleWindowEvent(event);
  } else if (HandleDroppedFile(event, [this](const char* path) { settings.LoadImageAndRemember(path); })) {
  } else if (event.type == SDL_JOYDEVICEADDED || event.type == SDL_JOYDEVICEREMOVED) {
    HandlePadEvent(event);
  } else if (event.type == SDL_KEYDOWN && !event.key.repeat) {
    // Escape in the game window leaves full screen (it never ends the program).
    const std::uint8_t key = PcScanCode(event.key.keysym.scancode);
    if (event.key.keysym.scancode == SDL_SCANCODE_ESCAPE && display.Fullscreen()) {
      settings.SetFullscreenAndSave(false);
    } else if (key != 0 && key == bindings.Keys().Of(Control::EmulatorPause)) {
      SetEmulatorPaused(!emulatorPaused);
    } else {
      input.KeyPressed(event.key.keysym.scancode, event.key.keysym.mod);
    }
  } else if (event.type == SDL_KEYUP) {
    input.KeyReleased(event.key.keysym.scancode);
  } else if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT && emulatorPaused &&
             event.button.windowID == display.WindowId()) {
    // A click on the picture ends the pause, as the pause line says; the
    // click itself is not the light gun's.
    SetEmulatorPaused(false);
  } else if (event.type == SDL_MOUSEBUTTONUP && event.button.button == SDL_BUTTON_RIGHT) {
    window.PopupMenu();
  } else if (event.type == SDL_MOUSEMOTION || event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
    HandlePointerEvent(event);
  }
}

// Every waiting event of both toolkits: the main window's through GTK, the
// display window's and the devices' through SDL.
void DesktopApp::HandlePendingEvents() {
  GtkHandlePendingEvents();
  SDL_Event event;
  while (SDL_PollEvent(&event)) HandleEvent(event);
}

void DesktopApp::PlaceWindowOnce() {
  if (!placePending || !display.active) return;
  placePending = false;
  if (!display.Fullscreen()) display.MoveTo(settings.File()->values.windowX, settings.File()->values.windowY);
}

void DesktopApp::StartRunningSpan() {
  pacer.Restart();
  meter.Restart(NowNs());
  spanStart = std::chrono::steady_clock::now();
  spanCpuStart = CpuSeconds();
}

void DesktopApp::CloseRunningSpan() {
  runningSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - spanStart).count();
  runningCpu += CpuSeconds() - spanCpuStart;
}

void DesktopApp::RunPacedFrame() {
  if (!pacing) StartRunningSpan();
  pacing = true;
  session.presenter.frameRate = meter.Rate();
  const int ran = play.Step(session, &input);
  debugWindows.AfterFrame();
  debugServer.AfterFrame(session);
  framesRun += ran;
  meter.Add(ran, NowNs());
  input.FrameRead();
  // At the running console's own rate: 59.92 or 49.70 frames a second.
  pacer.UseTiming(session.console.timing);
  sound.SetFramesPerSecond(session.console.timing.FramesPerSecond());
  const std::int64_t wait = pacer.FrameDone();
  if (wait > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(wait));
}

// Nothing to emulate: drop the sound still queued once, then sleep until
// something happens instead of spinning.
void DesktopApp::Idle() {
  if (pacing) {
    sound.Flush();
    CloseRunningSpan();
  }
  pacing = false;
  input.FrameRead();  // keys pressed while nothing runs are not kept for later
  SDL_WaitEventTimeout(nullptr, kIdleWaitMs);
}

void DesktopApp::Run() {
  while (true) {
    HandlePendingEvents();
    if (quitPosted) break;
    if (!window.FocusedBoxOpen() && !window.AboutBoxOpen()) display.KeepAskingForFocus(NowMs());
    display.HidePointerWhenIdle(NowMs());
    PlaceWindowOnce();
    debugServer.Poll(session);
    // A debugger's stop holds the console; run from a debugger window it
    // runs without the game window's focus.
    if (emulatorPaused && !session.cartridgeLoaded) SetEmulatorPaused(false);
    const bool running = session.cartridgeLoaded && (display.active || debugWindows.DrivesConsole()) &&
                         !debugServer.Holding() && !debugWindows.HoldsConsole() && !emulatorPaused;
    menu.SetDisplayPaused(session.cartridgeLoaded &&
                          ((!display.active && !debugWindows.DrivesConsole()) || emulatorPaused));
    if (running) {
      RunPacedFrame();
      if (options.framesGiven && framesRun >= options.frames) break;
    } else {
      Idle();
    }
  }
  if (pacing) CloseRunningSpan();
}

void DesktopApp::Finish() {
  const long long presents = display.PresentCount();
  bindings.SetTargets(nullptr, nullptr);
  bindings.CloseKeysDialog();
  debugWindows.Attach(nullptr, {});
  if (int x = 0, y = 0; display.Place(x, y)) settings.RememberWindowPlace(x, y);
  session.Shutdown();
  window.Destroy();
  GtkHandlePendingEvents();
  SDL_Quit();
  if (!options.bench) return;
  const double seconds = runningSeconds;
  const SdlSound::DelayFigures delay = sound.Delay();
  std::printf(
      "%lld frames in %.2f s: %.3f frames per second (%lld shown, %lld pacing restarts); "
      "CPU %.1f%% of one core; sound delay mean %.1f ms, max %.1f ms over %lld frames\n",
      framesRun, seconds, seconds > 0 ? static_cast<double>(framesRun) / seconds : 0.0, presents,
      static_cast<long long>(pacer.Restarts()), seconds > 0 ? 100.0 * runningCpu / seconds : 0.0, delay.meanMs,
      delay.maxMs, delay.frames);
  std::fflush(stdout);
}

bool HandleDroppedFile(const SDL_Event& event, const std::function<void(const char* path)>& load) {
  if (event.type != SDL_DROPFILE) return false;
  if (event.drop.file) {
    if (load) load(event.drop.file);
    SDL_free(event.drop.file);
  }
  return true;
}

int RunDesktop(const RunOptions& options, std::string& noDisplay) {
  if (!OpenToolkits(noDisplay)) return -1;
  if (!options.screenshot.empty() || !options.audio.empty() || !options.input.Empty()) {
    std::fprintf(stderr, "tavrin: --screenshot, --audio and --hold apply to headless runs; ignored here\n");
  }
  std::string image = options.image;
  if (image.empty()) {
    if (const Result installed = InstallDemoImage(image); !installed) {
      std::fprintf(stderr, "tavrin: %s\n", installed.Log().c_str());
    }
  }
  auto app = std::make_unique<DesktopApp>(options);
  if (!app->Start(image)) {
    SDL_Quit();
    return 0;
  }
  app->Run();
  app->Finish();
  return 0;
}
