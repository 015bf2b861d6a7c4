#include "desktop/MenuShortcuts.h"

#include <sys/stat.h>

#include <ctime>

#include "desktop/sdl/KeyTranslation.h"
#include "host/i18n/Translate.h"
#include "host/session/StateSlots.h"

std::string ShortcutText(std::uint8_t scan, bool shift) {
  const std::string name = scan ? ShownKeyName(scan) : std::string();
  if (name.empty()) return {};
  // TRANSLATORS: a key held with Shift, beside a menu item ("Maj+F1").
  return shift ? Format(Tr("Maj+%s"), name.c_str()) : name;
}

MenuShortcuts MenuShortcutsFor(const KeyTable& keys, int slot) {
  MenuShortcuts shortcuts;
  if (slot >= 1 && slot <= kStateSlotCount) {
    const std::uint8_t slotKey = keys.Of(SlotControl(slot));
    shortcuts.saveState = ShortcutText(slotKey, true);
    shortcuts.loadState = ShortcutText(slotKey);
  }
  shortcuts.fastForward = ShortcutText(keys.Of(Control::FastForward));
  shortcuts.fullscreen = ShortcutText(keys.Of(Control::Fullscreen));
  shortcuts.emulatorPause = ShortcutText(keys.Of(Control::EmulatorPause));
  return shortcuts;
}

std::string StateSlotLabel(int slot, const std::string& folder, const std::string& imagePath) {
  const std::string number = Format(Tr("Emplacement _%d"), slot);
  if (imagePath.empty()) return number;
  const std::string path = StateSlotPath(folder, imagePath, slot);
  struct stat file {};
  std::tm local {};
  if (path.empty() || ::stat(path.c_str(), &file) != 0 || !S_ISREG(file.st_mode)) {
    // TRANSLATORS: a save-state slot that holds no state, in the "État" menu.
    return Format(Tr("%s — vide"), number.c_str());
  }
  char when[64] = "";
  if (localtime_r(&file.st_mtime, &local)) {
    // TRANSLATORS: the day and time a slot's state was saved, as strftime
    // writes it (day/month hours:minutes).
    std::strftime(when, sizeof when, Tr("%d/%m %H:%M"), &local);
  }
  return Format(Tr("%s — %s"), number.c_str(), when);
}
