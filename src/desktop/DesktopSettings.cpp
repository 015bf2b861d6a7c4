#include "desktop/DesktopSettings.h"

#include <glib.h>

#include <algorithm>
#include <memory>

#include "console/Peripheral.h"
#include "debug/DebugConsole.h"
#include "desktop/MenuCommands.h"
#include "desktop/gtk/MainWindow.h"
#include "host/display/PictureFilter.h"
#include "host/i18n/Translate.h"
#include "host/session/Session.h"
#include "host/settings/Settings.h"

DesktopSettings::DesktopSettings(Session& session, MenuCommands& menu, MainWindow& window)
    : session(session), menu(menu), window(window) {}

DesktopSettings::~DesktopSettings() = default;

void DesktopSettings::ApplySoundLevel() {
  if (settings && applySoundLevel) applySoundLevel(settings->values.volume, settings->values.muted);
}

void DesktopSettings::Save() {
  if (!settings || !settings->CanSave()) return;
  if (const Result saved = settings->Save(); !saved) LogPrintf("tavrin: settings not saved: %s\n", saved.Log().c_str());
}

namespace {

// The image a player opened, as a full path, so the list still finds it
// whatever folder the next run starts in.
std::string AbsolutePath(const char* path) {
  gchar* absolute = g_canonicalize_filename(path, nullptr);
  std::string result = absolute;
  g_free(absolute);
  return result;
}

}  // namespace

void DesktopSettings::LoadImageAndRemember(const char* path) {
  menu.LoadCartridge(path);
  if (!path || !settings || !session.cartridgeLoaded || !session.loadError.Empty()) {
    return;
  }
  const std::string absolute = AbsolutePath(path);
  settings->values.AddRecent(absolute);
  gchar* folder = g_path_get_dirname(absolute.c_str());
  settings->values.lastFolder = folder;
  g_free(folder);
  window.SetRecentImages(settings->values.recentImages);
  window.SetLoadFolder(settings->values.lastFolder);
  Save();
}

void DesktopSettings::ClearRecent() {
  if (!settings) return;
  settings->values.recentImages.clear();
  window.SetRecentImages(settings->values.recentImages);
  Save();
}

void DesktopSettings::ForgetMissingRecent() {
  if (!settings) return;
  settings->values.ForgetMissingRecent();
  window.SetRecentImages(settings->values.recentImages);
  Save();
}

void DesktopSettings::SaveRegionMarks() {
  window.SetJapaneseCheck(menu.JapaneseMark());
  window.SetPalCheck(menu.PalMark());
  if (settings) {
    settings->values.japanese = menu.JapaneseMark();
    settings->values.pal = menu.PalMark();
  }
  Save();
}

void DesktopSettings::Load(const std::string& path) {
  settings = std::make_unique<SettingsFile>(path.empty() ? DefaultSettingsPath() : path);
  settings->Load();
  ApplyLoaded();
}

void DesktopSettings::ApplyLoaded() {
  const Settings& values = settings->values;
  if (values.japanese) {
    menu.SetJapanese(true);
    window.SetJapaneseCheck(true);
  } else if (values.pal) {
    menu.SetPal(true);
    window.SetPalCheck(true);
  }
  if (values.fm) {
    menu.SetFmUnit(true);
    window.SetFmUnitCheck(true);
  }
  if (!values.spriteLimit) {
    menu.SetNoSpriteLimit(true);
    window.SetNoSpriteLimitCheck(true);
  }
  // The picture's look, before the size, which takes the picture's shape.
  const PictureFilter filter = PictureFilterFromName(values.filter.c_str());
  menu.SetFilter(filter);
  window.SetFilterCheck(static_cast<int>(filter));
  menu.SetLcdGhosting(values.lcdGhosting);
  window.SetLcdGhostingCheck(values.lcdGhosting);
  menu.SetPixelAspect(values.pixelAspect);
  window.SetPixelAspectCheck(values.pixelAspect);
  // The display window opens at twice the picture's size; another size is
  // asked for as the menu would.
  if (values.windowScale != 2) {
    menu.SetScale(values.windowScale);
    window.SetScaleCheck(values.windowScale);
  }
  if (values.stateSlot != 1) {
    menu.SetStateSlot(values.stateSlot);
    window.SetStateSlotCheck(values.stateSlot);
  }
  for (int port = 0; port < 2; ++port) {
    Peripheral device = Peripheral::kPad;
    PeripheralFromName(values.port[port].c_str(), device);
    menu.SetPort(port, static_cast<int>(device));
    window.SetPortCheck(port, static_cast<int>(device));
  }
  const int view = values.glasses == "anaglyph" ? 1 : 0;
  menu.SetGlassesView(view);
  window.SetGlassesCheck(view);
  if (values.integerScaling) {
    menu.SetWholeScales(true);
    window.SetWholeScalesCheck(true);
  }
  window.SetLoadFolder(values.lastFolder);
  window.SetRecentImages(values.recentImages);
  window.SetVolumeCheck(values.volume);
  ApplySoundLevel();
  if (values.fullscreen && applyFullscreen) window.SetFullscreenCheck(applyFullscreen(true));
}

void DesktopSettings::SetFullscreenAndSave(bool on) {
  if (!settings || !applyFullscreen) return;
  // Refused, the check mark goes back to what the window is.
  if (!applyFullscreen(on)) on = !on;
  window.SetFullscreenCheck(on);
  if (settings->values.fullscreen == on) return;
  settings->values.fullscreen = on;
  Save();
}

void DesktopSettings::ToggleFullscreenAndSave() {
  if (settings) SetFullscreenAndSave(!settings->values.fullscreen);
}

void DesktopSettings::SetVolumeAndSave(int percent) {
  if (!settings) return;
  settings->values.volume = std::clamp(percent, 0, Settings::kMaxVolume);
  ApplySoundLevel();
  Save();
}

void DesktopSettings::ToggleMuteAndSave() {
  if (!settings) return;
  settings->values.muted = !settings->values.muted;
  ApplySoundLevel();
  session.presenter.ShowNote(settings->values.muted ? Tr("Son coupé") : Tr("Son rétabli"));
  Save();
}

void DesktopSettings::RememberWindowPlace(int x, int y) {
  if (!settings) return;
  Settings& values = settings->values;
  if (values.windowPlaced && values.windowX == x && values.windowY == y) return;
  values.windowPlaced = true;
  values.windowX = x;
  values.windowY = y;
  Save();
}

void DesktopSettings::UseSavingCommands(MainWindowCommands& commands) {
  commands.loadCartridge = [this](const char* path) { LoadImageAndRemember(path); };
  UseSavingConsoleCommands(commands);
  UseSavingPictureCommands(commands);
  commands.clearRecent = [this] { ClearRecent(); };
  commands.forgetMissingRecent = [this] { ForgetMissingRecent(); };
  commands.setVolume = [this](int percent) { SetVolumeAndSave(percent); };
  commands.setFullscreen = [this](bool on) { SetFullscreenAndSave(on); };
}

void DesktopSettings::UseSavingConsoleCommands(MainWindowCommands& commands) {
  commands.setStateSlot = [this](int slot) {
    menu.SetStateSlot(slot);
    if (settings && slot >= 1 && slot <= 9) settings->values.stateSlot = slot;
    Save();
  };
  // The two console marks exclude each other: the other one's check and
  // setting follow.
  commands.setJapanese = [this](bool on) {
    menu.SetJapanese(on);
    SaveRegionMarks();
  };
  commands.setPal = [this](bool on) {
    menu.SetPal(on);
    SaveRegionMarks();
  };
  commands.setFmUnit = [this](bool on) {
    menu.SetFmUnit(on);
    if (settings) settings->values.fm = on;
    Save();
  };
  commands.setPort = [this](int port, int device) {
    menu.SetPort(port, device);
    if (settings && port >= 0 && port < 2 && device >= 0 && device < kPeripheralCount) {
      settings->values.port[port] = PeripheralName(static_cast<Peripheral>(device));
    }
    Save();
  };
  commands.setGlassesView = [this](int view) {
    menu.SetGlassesView(view);
    if (settings) settings->values.glasses = view == 1 ? "anaglyph" : "left";
    Save();
  };
  commands.chooseBios = [this](const char* path) {
    if (!menu.ChooseBios(path)) return;
    if (settings) settings->values.bios = path ? path : "";
    Save();
  };
  commands.biosPath = [this] { return settings ? settings->values.bios : std::string(); };
  commands.setNoSpriteLimit = [this](bool on) {
    menu.SetNoSpriteLimit(on);
    if (settings) settings->values.spriteLimit = !on;
    Save();
  };
}

void DesktopSettings::UseSavingPictureCommands(MainWindowCommands& commands) {
  commands.setScale = [this](int scale) {
    menu.SetScale(scale);
    if (settings && scale >= Settings::kMinScale && scale <= Settings::kMaxScale) settings->values.windowScale = scale;
    Save();
  };
  commands.setWholeScales = [this](bool on) {
    menu.SetWholeScales(on);
    if (settings) settings->values.integerScaling = on;
    Save();
  };
  commands.setFilter = [this](int value) {
    const PictureFilter filter = PictureFilterFromName(PictureFilterName(static_cast<PictureFilter>(value)));
    menu.SetFilter(filter);
    if (settings) settings->values.filter = PictureFilterName(filter);
    Save();
  };
  commands.setLcdGhosting = [this](bool on) {
    menu.SetLcdGhosting(on);
    if (settings) settings->values.lcdGhosting = on;
    Save();
  };
  commands.setPixelAspect = [this](bool on) {
    menu.SetPixelAspect(on);
    if (settings) settings->values.pixelAspect = on;
    Save();
  };
}
