#pragma once

#include <functional>
#include <memory>
#include <string>

class MainWindow;
class MenuCommands;
class Session;
class SettingsFile;
struct MainWindowCommands;

// The desktop's link between the settings file and the menu: what the file
// says is applied at start, and a setting the player changes through the
// menu is written back at once. The desktop program owns one, on its
// session, its menu commands and its main window.
class DesktopSettings {
 public:
  DesktopSettings(Session& session, MenuCommands& menu, MainWindow& window);
  ~DesktopSettings();

  // Reads the settings file at `path` (the default place when empty) and
  // applies it to the running session and the main window: Japanese console,
  // sprite limit, the picture's filter and shape, window size, the
  // open-file dialog's folder, "Récents",
  // volume and full screen. The key and pad bindings are the bindings' to
  // read (DesktopBindings.h).
  void Load(const std::string& path = {});

  // Where the volume and mute settings take effect (the sound device), and
  // where full screen is turned on and off (the display window; false when
  // refused); set before Load.
  std::function<void(int volume, bool muted)> applySoundLevel;
  std::function<bool(bool on)> applyFullscreen;

  // "Volume" in the menu, and M: mutes or brings the sound back with a note
  // ("Son coupé", "Son rétabli"). Both are saved.
  void SetVolumeAndSave(int percent);
  void ToggleMuteAndSave();
  // "Plein écran" in the menu, F11 and Alt+Enter come to the setter and the
  // toggle, which save the choice.
  void SetFullscreenAndSave(bool on);
  void ToggleFullscreenAndSave();

  // Loads an image as "Charger une ROM" does, and puts it first in "Récents".
  void LoadImageAndRemember(const char* path);

  // Points the main window's commands for those settings at versions that
  // also save them.
  void UseSavingCommands(MainWindowCommands& commands);

  // Where the display window's client area is as the program ends: kept for
  // the next run, which opens the window there (when it is on a screen).
  void RememberWindowPlace(int x, int y);

  // The settings in use; nullptr before Load.
  SettingsFile* File() const { return settings.get(); }
  // Writes the file (when it may be written), logging a failure.
  void Save();

 private:
  // The console's commands (slot, region marks, FM unit, ports, BIOS, sprite
  // limit) and the picture's (size, filter, LCD, pixel shape), saving.
  void UseSavingConsoleCommands(MainWindowCommands& commands);
  void UseSavingPictureCommands(MainWindowCommands& commands);
  void ApplyLoaded();
  void ApplySoundLevel();
  void ClearRecent();
  void ForgetMissingRecent();
  void SaveRegionMarks();

  Session& session;
  MenuCommands& menu;
  MainWindow& window;
  std::unique_ptr<SettingsFile> settings;
};
