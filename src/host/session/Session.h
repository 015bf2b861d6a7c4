#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "console/Console.h"
#include "host/files/BackgroundSaver.h"
#include "host/files/BatteryFile.h"
#include "host/files/VgmWriter.h"
#include "host/session/SampleSink.h"
#include "host/input/JoyStick.h"
#include "host/display/FramePresenter.h"

class Display;
class HostMessageBox;
class InputSource;

struct HostParts {
  Display* display = nullptr;
  InputSource* input = nullptr;
  // Where the session's boxes (a battery file held elsewhere, a failed save)
  // and the display's failures are shown; nullptr: only logged.
  HostMessageBox* messageBox = nullptr;
  // The desktop's own steps of start-up and shutdown. A headless run has no
  // windows and no sound device and leaves them empty.
  std::function<void()> displayManagerInit = {};
  std::function<bool()> createMainWindow = {};  // start-up ends when this fails
  std::function<void()> soundOpen = {};
  std::function<void()> showMainWindow = {};
  std::function<void()> soundClose = {};
  std::function<void()> displayShutdown = {};
  // The console the command line names (its --console, or its image's
  // name), which the start-up line and the first caption name.
  ConsoleKind console = ConsoleKind::kMasterSystem;
};

// One console and the life of the application around it: start-up with its
// log lines, loading images with their battery files, running a frame with
// the host's controls and presenting it, and shutdown. Each program (desktop
// or headless) makes one; nothing here is process-wide.
class Session {
 public:
  // Opens the debug console, logs the banner, runs the host's start-up steps,
  // creates the console and the display window, opens the controllers.
  // Returns false when the main window cannot be made (nothing is torn down
  // then).
  bool Startup(const HostParts& host);

  // Reads the image and its battery file; on success the console runs it from
  // a reset. The image in use keeps its own battery: RAM it wrote since the
  // last save is saved first. On failure loadError says why, for the player.
  bool LoadAndReset(const char* path);
  void Reset() { console.Reset(); }
  // Takes the image out, saving its cartridge RAM first: nothing runs until
  // the next load. False, the image still in, when that save failed.
  bool Unload();

  // One frame with the host's controls: hotkeys applied, the console run, the
  // picture presented, the samples handed on, the battery file written when
  // the cartridge asks.
  void RunFrame();

  // Saves battery RAM still in use, closes the controllers, sound and windows.
  void Shutdown();

  // The sound log (VGM): from now on every frame's sound-chip writes go to
  // `path`; StopSoundLog finishes the file, tagged with the image's name. A
  // write that fails ends the log at once, with the reason in soundLogError.
  Result StartSoundLog(const std::string& path);
  Result StopSoundLog();
  bool SoundLogOn() const { return soundLog != nullptr; }
  Reason soundLogError;

  // Writes the cartridge RAM to the image's battery file now. False when it
  // could not be saved (the RAM is then still owed).
  bool SaveBattery();

  // From now on the saves a cartridge asks for while running are written on
  // a thread of their own (the desktop: a slow disk must not stall a frame).
  // Loads and shutdown still wait for them and save what is owed at once.
  void SaveInBackground() { saver = std::make_unique<BackgroundSaver>(); }

  Console console;
  JoyStick input;
  FramePresenter presenter;
  std::unique_ptr<BatteryFile> battery;  // the running image's; its lock lives as long as it does
  SampleSink* sound = nullptr;  // not owned
  bool cartridgeLoaded = false;  // an image runs
  bool present = true;           // present frames (off: headless skips the conversion)
  bool saveFailed = false;       // a battery save the session owed failed
  Reason loadError;              // why the last load was refused (path and reason)
  std::string imagePath;         // the image running, as it was loaded
  int stateSlot = 1;             // the save-state slot the menu saves to and loads from
  bool fastForward = false;      // the menu's fast-forward, on until turned off

 private:
  void ReportSaveFailure(const Reason& error);
  void CollectBackgroundSaves();
  void FlushBackgroundSaves();

  HostParts hostParts;
  std::unique_ptr<BackgroundSaver> saver;
  std::unique_ptr<VgmWriter> soundLog;
};
