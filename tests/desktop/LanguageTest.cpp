#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "desktop/DisplayCaption.h"
#include "desktop/gtk/MainWindow.h"
#include "desktop/sdl/KeyTranslation.h"
#include "host/files/ArchiveImage.h"
#include "host/files/ImageFile.h"
#include "host/i18n/Language.h"
#include "host/i18n/SystemError.h"
#include "host/i18n/Translate.h"

namespace {

bool HaveLocale(const char* name) {
  const bool have = std::setlocale(LC_ALL, name) != nullptr;
  std::setlocale(LC_ALL, "C");
  return have;
}

// Sets the environment a player would start the program with, then runs the
// program's own start-up choice of language (the test program sits beside
// the program in the build tree, so the build's catalogs are found).
void StartIn(const char* locale, const char* language) {
  setenv("LC_ALL", locale, 1);
  if (language) {
    setenv("LANGUAGE", language, 1);
  } else {
    unsetenv("LANGUAGE");
  }
  SetUpLanguage();
}

class Language : public testing::Test {
 protected:
  void TearDown() override {
    unsetenv("LC_ALL");
    unsetenv("LANGUAGE");
    std::setlocale(LC_ALL, "C");
  }
};

TEST_F(Language, TheLocaleChoosesTheTexts) {
  struct Case {
    const char* name;
    const char* locale;
    const char* language;
    const char* menu;     // Tr("_Fichier")
    const char* note;     // Format(Tr("État %d sauvegardé"), 3)
    const char* caption;  // the display window's caption while paused
  };
  const Case cases[] = {
      {"C shows the texts as written", "C", nullptr, "_Fichier", "État 3 sauvegardé",
       "Sega Master System — b.sms — Pause"},
      {"C even with LANGUAGE=en", "C", "en", "_Fichier", "État 3 sauvegardé", "Sega Master System — b.sms — Pause"},
      {"French", "fr_FR.UTF-8", nullptr, "_Fichier", "État 3 sauvegardé", "Sega Master System — b.sms — Pause"},
      {"English", "en_US.UTF-8", nullptr, "_File", "State 3 saved", "Sega Master System — b.sms — Paused"},
      {"no German catalog: English", "en_US.UTF-8", "de", "_File", "State 3 saved",
       "Sega Master System — b.sms — Paused"},
      {"LANGUAGE names French after German", "en_US.UTF-8", "de:fr", "_Fichier", "État 3 sauvegardé",
       "Sega Master System — b.sms — Pause"},
  };
  for (const Case& c : cases) {
    if (!HaveLocale(c.locale)) {
      std::printf("skipped '%s': locale %s is not installed (locale-gen)\n", c.name, c.locale);
      continue;
    }
    StartIn(c.locale, c.language);
    EXPECT_STREQ(Tr("_Fichier"), c.menu) << c.name;
    EXPECT_EQ(Format(Tr("État %d sauvegardé"), 3), c.note) << c.name;
    EXPECT_EQ(DisplayCaption(ConsoleKind::kMasterSystem, "/a/b.sms", true), c.caption) << c.name;
    // Log lines and figures read the same in every locale.
    char figure[16];
    std::snprintf(figure, sizeof figure, "%.1f", 2.5);
    EXPECT_STREQ(figure, "2.5") << c.name;
    EXPECT_EQ(LoggedSystemError(ENOENT), "No such file or directory") << c.name;
    TearDown();
  }
}

// What a player reads in boxes, dialogs and captions under each locale: the
// C locale reads French like a French one; the log's words stay English.
TEST_F(Language, BoxesDialogsAndReasonsFollowTheLocale) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tavrin-reasons-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string missing = (folder / "absent.sms").string();
  const std::string small = (folder / "small.sms").string();
  const std::string junk = (folder / "junk.zip").string();
  std::ofstream(small, std::ios::binary) << std::string(1000, 'x');
  std::ofstream(junk, std::ios::binary) << std::string(100, 'j');
  auto shown = [](const Result& result) { return result.Shown(); };
  std::vector<std::uint8_t> bytes;
  std::string entry;

  struct Case {
    const char* locale;
    const char* waveout;      // the refused sound device's box title
    const char* cancel;       // the file chooser's button
    const char* build;        // in the main window's caption
    const char* up;           // the key's name in the Keys dialog
    std::string absent, tooSmall, archive;
  };
  const Case cases[] = {
      {"C", "Erreur audio", "_Annuler", "    (Compilation : ", "Haut",
       "« " + missing + " » : Aucun fichier ou dossier de ce type",
       "« " + small + " » : trop petit (1000 octets) : une cartouche tient au moins une page de 16384 octets",
       "« " + junk + " » : Format d'archive non reconnu"},
      {"fr_FR.UTF-8", "Erreur audio", "_Annuler", "    (Compilation : ", "Haut",
       "« " + missing + " » : Aucun fichier ou dossier de ce type",
       "« " + small + " » : trop petit (1000 octets) : une cartouche tient au moins une page de 16384 octets",
       "« " + junk + " » : Format d'archive non reconnu"},
      {"en_US.UTF-8", "Waveout error", "_Cancel", "    (Build: ", "Up", "'" + missing + "': No such file or directory",
       "'" + small + "': too small (1000 bytes); a cartridge holds at least one 16384-byte page",
       "'" + junk + "': Unrecognized archive format"},
  };
  for (const Case& c : cases) {
    if (!HaveLocale(c.locale)) {
      std::printf("skipped %s: the locale is not installed (locale-gen)\n", c.locale);
      continue;
    }
    StartIn(c.locale, nullptr);
    EXPECT_STREQ(Tr("Erreur audio"), c.waveout) << c.locale;
    EXPECT_STREQ(Tr("_Annuler"), c.cancel) << c.locale;
    EXPECT_NE(std::string(MainWindowCaption()).find(c.build), std::string::npos) << c.locale;
    EXPECT_EQ(ShownKeyName(0xC8), c.up) << c.locale;
    EXPECT_EQ(shown(ReadImageFile(missing, bytes)), c.absent) << c.locale;
    EXPECT_EQ(shown(ReadImageFile(small, bytes)), c.tooSmall) << c.locale;
    EXPECT_EQ(shown(ReadArchiveImage(junk, bytes, entry)), c.archive) << c.locale;
    // The log's words, whatever the locale.
    EXPECT_EQ(ReadImageFile(missing, bytes).Log(), "'" + missing + "': No such file or directory") << c.locale;
    TearDown();
  }
  std::filesystem::remove_all(folder);
}

TEST(LanguageList, OtherLanguagesEndInEnglish) {
  struct Case {
    const char* language;
    const char* locale;
    const char* list;
  };
  const Case cases[] = {
      {nullptr, "C", ""},
      {"", "POSIX", ""},
      {nullptr, "C.UTF-8", ""},
      {nullptr, "de_DE.UTF-8", "de_DE.UTF-8:en"},
      {"", "fr_FR.UTF-8", "fr_FR.UTF-8:en"},
      {"de:fr", "de_DE.UTF-8", "de:fr:en"},
      {"de", "C", "de:en"},  // gettext reads no LANGUAGE in the C locale
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LanguageList(c.language, c.locale), c.list) << (c.language ? c.language : "(unset)") << " " << c.locale;
  }
}

// A desktop run that finds no display goes on headless: under a French
// locale it writes the same log lines, figures and picture as under C.
TEST(LocaleOutput, AFrenchLocaleChangesNothingWritten) {
  if (!HaveLocale("fr_FR.UTF-8")) GTEST_SKIP() << "locale fr_FR.UTF-8 is not installed (locale-gen)";
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tavrin-language-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string picture = (folder / "last.png").string();
  const std::string output = (folder / "output").string();
  std::string pictures[2];
  auto run = [&](const char* locale, std::string& pictureBytes) {
    // A fresh data folder each run: the demo cartridge keeps a battery file there.
    const std::filesystem::path data = folder / "data";
    std::filesystem::remove_all(data);
    std::filesystem::create_directories(data);
    const std::string program = "env -u WAYLAND_DISPLAY -u LANGUAGE DISPLAY=:97531 XDG_DATA_HOME='" + data.string() +
                                "' LC_ALL=" + locale + " '" + TAVRIN_EXECUTABLE +
                                "' --frames 20 --bench --screenshot '" + picture + "'";
    const std::string command =
        program + " /nonexistent.sms >'" + output + "' 2>&1; " + program + " >>'" + output + "' 2>&1";
    (void)std::system(command.c_str());
    std::ifstream shot(picture, std::ios::binary);
    pictureBytes.assign(std::istreambuf_iterator<char>(shot), std::istreambuf_iterator<char>());
    std::ifstream in(output);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  const std::string c = run("C", pictures[0]);
  const std::string french = run("fr_FR.UTF-8", pictures[1]);
  // Timings and memory differ from run to run; the shape of each figure must not.
  const std::regex timings("[0-9]+(\\.[0-9]+)?");
  EXPECT_EQ(std::regex_replace(french, timings, "#"), std::regex_replace(c, timings, "#"));
  EXPECT_NE(c.find("No such file or directory"), std::string::npos) << c;
  EXPECT_NE(c.find("frames in"), std::string::npos) << c;
  EXPECT_FALSE(pictures[0].empty());
  EXPECT_TRUE(pictures[0] == pictures[1]) << "the screenshots differ";
  std::filesystem::remove_all(folder);
}

}  // namespace
