#include "desktop/DesktopSettings.h"

#include <glib.h>

#include <algorithm>
#include <memory>

#include "host/session/Session.h"
#include "desktop/DesktopBindings.h"
#include "desktop/MenuCommands.h"
#include "host/settings/Settings.h"
#include "debug/DebugConsole.h"
#include "desktop/gtk/MainWindow.h"
#include "host/i18n/Translate.h"
#include "host/display/MillisecondClock.h"

namespace {

std::unique_ptr<SettingsFile> settings;
void (*applySoundLevel)(int volume, bool muted) = nullptr;

bool (*applyFullscreen)(bool on) = nullptr;

void ApplySoundLevel() {
  if (settings && applySoundLevel) applySoundLevel(settings->values.volume, settings->values.muted);
}

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

}  // namespace

void LoadImageAndRemember(const char* path) {
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

namespace {

void ClearRecent() {
  if (!settings) return;
  settings->values.recentImages.clear();
  SetRecentImages(settings->values.recentImages);
  Save();
}

void ForgetMissingRecent() {
  if (!settings) return;
  settings->values.ForgetMissingRecent();
  SetRecentImages(settings->values.recentImages);
  Save();
}

// The two console marks exclude each other: the other one's check and
// setting follow.
void SaveRegionMarks() {
  SetJapaneseCheck(JapaneseMark());
  SetPalCheck(PalMark());
  if (settings) {
    settings->values.japanese = JapaneseMark();
    settings->values.pal = PalMark();
  }
  Save();
}

void SetJapaneseAndSave(bool on) {
  MenuSetJapanese(on);
  SaveRegionMarks();
}

void SetPalAndSave(bool on) {
  MenuSetPal(on);
  SaveRegionMarks();
}

void SetFmUnitAndSave(bool on) {
  MenuSetFmUnit(on);
  if (settings) settings->values.fm = on;
  Save();
}

void SetNoSpriteLimitAndSave(bool on) {
  MenuSetNoSpriteLimit(on);
  if (settings) settings->values.spriteLimit = !on;
  Save();
}

void SetWholeScalesAndSave(bool on) {
  MenuSetWholeScales(on);
  if (settings) settings->values.integerScaling = on;
  Save();
}

void SetStateSlotAndSave(int slot) {
  MenuSetStateSlot(slot);
  if (settings && slot >= 1 && slot <= 9) settings->values.stateSlot = slot;
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
  } else if (values.pal) {
    MenuSetPal(true);
    SetPalCheck(true);
  }
  if (values.fm) {
    MenuSetFmUnit(true);
    SetFmUnitCheck(true);
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
  if (values.stateSlot != 1) {
    MenuSetStateSlot(values.stateSlot);
    SetStateSlotCheck(values.stateSlot);
  }
  if (values.integerScaling) {
    MenuSetWholeScales(true);
    SetWholeScalesCheck(true);
  }
  SetLoadFolder(values.lastFolder);
  SetRecentImages(values.recentImages);
  SetVolumeCheck(values.volume);
  ApplySoundLevel();
  if (values.fullscreen && applyFullscreen) SetFullscreenCheck(applyFullscreen(true));
  LoadDesktopBindings(values);
}

void SetFullscreenApplier(bool (*apply)(bool on)) { applyFullscreen = apply; }

void SetFullscreenAndSave(bool on) {
  if (!settings || !applyFullscreen) return;
  // Refused, the check mark goes back to what the window is.
  if (!applyFullscreen(on)) on = !on;
  SetFullscreenCheck(on);
  if (settings->values.fullscreen == on) return;
  settings->values.fullscreen = on;
  Save();
}

void ToggleFullscreenAndSave() {
  if (settings) SetFullscreenAndSave(!settings->values.fullscreen);
}

void SetSoundLevelApplier(void (*apply)(int volume, bool muted)) { applySoundLevel = apply; }

void SetVolumeAndSave(int percent) {
  if (!settings) return;
  settings->values.volume = std::clamp(percent, 0, Settings::kMaxVolume);
  ApplySoundLevel();
  Save();
}

void ToggleMuteAndSave() {
  if (!settings) return;
  settings->values.muted = !settings->values.muted;
  ApplySoundLevel();
  if (activeSession) {
    activeSession->presenter.note.Show(settings->values.muted ? Tr("Son coupé") : Tr("Son rétabli"), MillisecondsNow());
  }
  Save();
}

void RememberWindowPlace(int x, int y) {
  if (!settings) return;
  Settings& values = settings->values;
  if (values.windowPlaced && values.windowX == x && values.windowY == y) return;
  values.windowPlaced = true;
  values.windowX = x;
  values.windowY = y;
  Save();
}

void UseSavingCommands(MainWindowCommands& commands) {
  commands.loadCartridge = LoadImageAndRemember;
  commands.setStateSlot = SetStateSlotAndSave;
  commands.setJapanese = SetJapaneseAndSave;
  commands.setFmUnit = SetFmUnitAndSave;
  commands.setPal = SetPalAndSave;
  commands.setNoSpriteLimit = SetNoSpriteLimitAndSave;
  commands.setScale = SetScaleAndSave;
  commands.setWholeScales = SetWholeScalesAndSave;
  commands.clearRecent = ClearRecent;
  commands.forgetMissingRecent = ForgetMissingRecent;
  commands.setVolume = SetVolumeAndSave;
  commands.setFullscreen = SetFullscreenAndSave;
  commands.keys = OpenDesktopKeysDialog;
}

SettingsFile* DesktopSettings() { return settings.get(); }
