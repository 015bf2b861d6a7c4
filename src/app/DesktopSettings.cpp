#include "app/DesktopSettings.h"

#include <glib.h>

#include <memory>

#include "app/Application.h"
#include "app/MenuCommands.h"
#include "app/Settings.h"
#include "debug/DebugConsole.h"
#include "host/gtk/MainWindow.h"

namespace {

std::unique_ptr<SettingsFile> settings;

void Save() {
  if (!settings || !settings->CanSave()) return;
  std::string error;
  if (!settings->Save(error)) LogPrintf("tavrin: settings not saved: %s\n", error.c_str());
}

// The image a player opened, as a full path, so the list still finds it
// whatever folder the next run starts in.
std::string AbsolutePath(const char* path) {
  gchar* absolute = g_canonicalize_filename(path, nullptr);
  std::string result = absolute;
  g_free(absolute);
  return result;
}

void LoadCartridgeAndRemember(const char* path) {
  MenuLoadCartridge(path);
  if (!path || !settings || !activeSession || !activeSession->cartridgeLoaded || !activeSession->loadError.empty()) {
    return;
  }
  const std::string absolute = AbsolutePath(path);
  settings->values.AddRecent(absolute);
  gchar* folder = g_path_get_dirname(absolute.c_str());
  settings->values.lastFolder = folder;
  g_free(folder);
  SetRecentImages(settings->values.recentImages);
  SetLoadFolder(settings->values.lastFolder);
  Save();
}

void ClearRecent() {
  if (!settings) return;
  settings->values.recentImages.clear();
  SetRecentImages(settings->values.recentImages);
  Save();
}

void SetJapaneseAndSave(bool on) {
  MenuSetJapanese(on);
  if (settings) settings->values.japanese = on;
  Save();
}

void SetNoSpriteLimitAndSave(bool on) {
  MenuSetNoSpriteLimit(on);
  if (settings) settings->values.spriteLimit = !on;
  Save();
}

void SetScaleAndSave(int scale) {
  MenuSetScale(scale);
  if (settings && scale >= Settings::kMinScale && scale <= Settings::kMaxScale) settings->values.windowScale = scale;
  Save();
}

}  // namespace

void LoadDesktopSettings(const std::string& path) {
  settings = std::make_unique<SettingsFile>(path.empty() ? DefaultSettingsPath() : path);
  settings->Load();
  const Settings& values = settings->values;
  if (values.japanese) {
    MenuSetJapanese(true);
    SetJapaneseCheck(true);
  }
  if (!values.spriteLimit) {
    MenuSetNoSpriteLimit(true);
    SetNoSpriteLimitCheck(true);
  }
  // The display window opens at twice the picture's size; another size is
  // asked for as the menu would.
  if (values.windowScale != 2) {
    MenuSetScale(values.windowScale);
    SetScaleCheck(values.windowScale);
  }
  SetLoadFolder(values.lastFolder);
  SetRecentImages(values.recentImages);
}

void UseSavingCommands(MainWindowCommands& commands) {
  commands.loadCartridge = LoadCartridgeAndRemember;
  commands.setJapanese = SetJapaneseAndSave;
  commands.setNoSpriteLimit = SetNoSpriteLimitAndSave;
  commands.setScale = SetScaleAndSave;
  commands.clearRecent = ClearRecent;
}

SettingsFile* DesktopSettings() { return settings.get(); }
