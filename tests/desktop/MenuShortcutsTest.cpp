#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "desktop/MenuShortcuts.h"
#include "host/i18n/Language.h"
#include "host/session/StateSlots.h"

namespace {

bool UseLocale(const char* name) {
  if (!std::setlocale(LC_ALL, name)) return false;
  setenv("LC_ALL", name, 1);
  unsetenv("LANGUAGE");
  SetUpLanguage();
  return true;
}

// The keys beside the menu items follow the bindings and the slot chosen, in
// the player's language.
TEST(MenuShortcuts, FollowTheBindingsAndTheSlotInThePlayersLanguage) {
  struct Binding {
    Control control;
    std::uint8_t key;
  };
  struct Case {
    const char* name;
    Binding rebound[2];
    int slot;
    MenuShortcuts french, english;
  };
  const Binding none{Control::Start, 0x1F};  // Start keeps S
  const Case cases[] = {
      {"defaults, slot 1", {none, none}, 1,
       {"Maj+F1", "F1", "Tabulation", "F11", "Pause"}, {"Shift+F1", "F1", "Tab", "F11", "Pause"}},
      {"defaults, slot 9", {none, none}, 9,
       {"Maj+F9", "F9", "Tabulation", "F11", "Pause"}, {"Shift+F9", "F9", "Tab", "F11", "Pause"}},
      {"slot 3 on Q, full screen on Escape", {{Control::Slot3, 0x10}, {Control::Fullscreen, 0x01}}, 3,
       {"Maj+Q", "Q", "Tabulation", "Échap", "Pause"}, {"Shift+Q", "Q", "Tab", "Escape", "Pause"}},
      {"F2 taken by fast-forward leaves slot 2 without a key; the pause on P",
       {{Control::FastForward, 0x3C}, {Control::EmulatorPause, 0x19}}, 2,
       {"", "", "F2", "F11", "P"}, {"", "", "F2", "F11", "P"}},
      {"fast-forward on the keypad, full screen unbound", {{Control::FastForward, 0x4E}, {Control::Fullscreen, 0}},
       1, {"Maj+F1", "F1", "Pavé num. +", "", "Pause"}, {"Shift+F1", "F1", "Keypad +", "", "Pause"}},
      {"a slot out of range shows no state keys; the pause unbound", {{Control::EmulatorPause, 0}, none}, 0,
       {"", "", "Tabulation", "F11", ""}, {"", "", "Tab", "F11", ""}},
  };
  for (const char* locale : {"fr_FR.UTF-8", "en_US.UTF-8"}) {
    if (!UseLocale(locale)) {
      std::printf("skipped %s: the locale is not installed (locale-gen)\n", locale);
      continue;
    }
    const bool french = locale[0] == 'f';
    for (const Case& c : cases) {
      KeyTable keys = KeyTable::Defaults();
      for (const Binding& binding : c.rebound) keys.Bind(binding.control, binding.key);
      const MenuShortcuts shown = MenuShortcutsFor(keys, c.slot);
      const MenuShortcuts& want = french ? c.french : c.english;
      EXPECT_EQ(shown.saveState, want.saveState) << locale << ": " << c.name;
      EXPECT_EQ(shown.loadState, want.loadState) << locale << ": " << c.name;
      EXPECT_EQ(shown.fastForward, want.fastForward) << locale << ": " << c.name;
      EXPECT_EQ(shown.fullscreen, want.fullscreen) << locale << ": " << c.name;
      EXPECT_EQ(shown.emulatorPause, want.emulatorPause) << locale << ": " << c.name;
    }
  }
  unsetenv("LC_ALL");
  std::setlocale(LC_ALL, "C");
  SetUpLanguage();
}

}  // namespace

namespace {

// A slot's item says whether it holds a state of the image, and when it was
// saved, in the player's language and local time.
TEST(StateSlotLabels, SayWhichSlotsHoldAStateAndWhen) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tavrin-slot-labels-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string image = "/games/demo.sms";
  // Slot 2 holds a state saved on 9 December 2026 at 14:02 UTC; slot 5's
  // name is taken by a folder, which is no state.
  const std::string saved = StateSlotPath(folder.string(), image, 2);
  std::ofstream(saved, std::ios::binary) << "state";
  const struct timespec times[2] = {{1796824920, 0}, {1796824920, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, saved.c_str(), times, 0), 0);
  std::filesystem::create_directories(StateSlotPath(folder.string(), image, 5));
  setenv("TZ", "UTC", 1);
  tzset();

  struct Case {
    int slot;
    std::string image;
    const char* french;
    const char* english;
  };
  const Case cases[] = {
      {2, image, "Emplacement _2 — 09/12 14:02", "Slot _2 — 12/09 14:02"},
      {3, image, "Emplacement _3 — vide", "Slot _3 — empty"},
      {5, image, "Emplacement _5 — vide", "Slot _5 — empty"},
      {2, "", "Emplacement _2", "Slot _2"},  // no image loaded
      {2, "/games/other.sms", "Emplacement _2 — vide", "Slot _2 — empty"},
  };
  for (const char* locale : {"fr_FR.UTF-8", "en_US.UTF-8"}) {
    if (!UseLocale(locale)) continue;
    for (const Case& c : cases) {
      EXPECT_EQ(StateSlotLabel(c.slot, folder.string(), c.image), locale[0] == 'f' ? c.french : c.english)
          << locale << ": slot " << c.slot << " of '" << c.image << "'";
    }
  }
  unsetenv("TZ");
  tzset();
  unsetenv("LC_ALL");
  std::setlocale(LC_ALL, "C");
  SetUpLanguage();
  std::filesystem::remove_all(folder);
}

}  // namespace
