#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/files/Result.h"

// What the player chose, kept between runs. The defaults are the program's
// behaviour when no settings file exists.
struct Settings {
  static constexpr int kMinScale = 1;
  static constexpr int kMaxScale = 4;
  static constexpr int kMaxVolume = 100;
  static constexpr std::size_t kMaxRecent = 10;

  int windowScale = 2;  // the display window is windowScale x 256 by windowScale x 192
  // Where the display window's client area was last (its top-left corner on
  // the desktop); windowPlaced false: centred.
  bool windowPlaced = false;
  int windowX = 0;
  int windowY = 0;
  int stateSlot = 1;  // the slot "État" saves to and loads from, 1-9
  bool integerScaling = false;
  bool fullscreen = false;
  bool japanese = false;  // the Japanese console
  bool pal = false;       // the export PAL console (50 Hz); neither: the image header's
  bool fm = false;  // the FM unit fitted to an export console too
  bool spriteLimit = true;
  std::string bios;  // the console's boot program the player supplies; empty: none
  // The picture filter: "none" (sharp pixels), "smooth" (linear scaling),
  // "scanlines" or "lcd" (the LCD grid); an unknown name reads as "none".
  std::string filter = "none";
  // The Game Gear's slow screen: each frame mixed with the one before. A
  // file without the key, written when "lcd" stood for it, reads it from
  // filter=lcd.
  bool lcdGhosting = false;
  bool pixelAspect = false;  // the console's pixels shown 8:7 wide, as on a television
  // What is plugged into controller ports 1 and 2 (PeripheralName's names),
  // and how the 3-D glasses' pictures show ("left" or "anaglyph").
  std::string port[2] = {"pad", "pad"};
  std::string glasses = "left";
  int volume = kMaxVolume;  // 0-100
  bool muted = false;
  bool noDeviceBox = true;  // a box says so when there is no sound device (once a login session)
  std::string lastFolder;                  // where the open-file dialog starts
  std::vector<std::string> recentImages;   // newest first, at most kMaxRecent
  std::map<std::string, std::string> keyBindings;  // action name -> key name
  std::map<std::string, std::map<std::string, std::string>> padBindings;  // pad GUID -> action -> button

  // Puts `path` at the front of the recent images, once, keeping kMaxRecent.
  void AddRecent(const std::string& path);
  // Forgets the recent images that are no longer regular files, keeping the
  // order of the others.
  void ForgetMissingRecent();

  bool operator==(const Settings&) const = default;
};

// $XDG_CONFIG_HOME/tavrin/tavrin.conf, else ~/.config/tavrin/tavrin.conf.
std::string DefaultSettingsPath();

// The settings file: a GLib key file, read once at start and written whole
// (atomically) each time a setting changes.
class SettingsFile {
 public:
  explicit SettingsFile(std::string filePath) : path(std::move(filePath)) {}

  // Reads the file into `values`. A missing file gives the defaults silently.
  // Anything else that goes wrong gives the defaults (or, for a value out of
  // range or of the wrong kind, that value's default or nearest bound) and
  // one log line, and never loses the file: a malformed file is renamed
  // "<path>.bad" and the defaults written in its place; one that cannot be
  // read is left alone and this run saves nothing over it.
  void Load();
  // Writes `values`, keeping groups and keys of the file this program does
  // not know. A failure with the reason (the log's: no window shows it).
  Result Save();

  const std::string& Path() const { return path; }
  bool CanSave() const { return canSave; }

  Settings values;

 private:
  // Renames a file that is not a settings file "<path>.bad" and writes the
  // defaults in its place (or, when it cannot be renamed, saves nothing).
  void SetAsideMalformed(const std::string& why);

  std::string path;
  std::string loadedText;  // the file as read, for the keys kept at save
  bool canSave = true;
};
