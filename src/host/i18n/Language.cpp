#include "host/i18n/Language.h"

#include <libintl.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "host/i18n/Translate.h"

#ifndef TAVRIN_INSTALLED_LOCALE
#define TAVRIN_INSTALLED_LOCALE "../share/locale"
#endif
#ifndef TAVRIN_BUILT_LOCALE
#define TAVRIN_BUILT_LOCALE "../locale"
#endif

bool IsCLocale(const char* name) {
  return !name || !*name || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 ||
         std::strncmp(name, "C.", 2) == 0;
}

namespace {

std::string ExecutableFolder() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.parent_path().string();
}

}  // namespace

std::string LocaleFolder(const std::string& executableFolder, const char* installed, const char* built) {
  if (executableFolder.empty()) return {};
  for (const char* relative : {installed, built}) {
    if (!relative) continue;
    const std::filesystem::path folder = std::filesystem::path(executableFolder) / relative;
    // The English catalog is always built, so it tells a catalog folder.
    std::error_code error;
    if (std::filesystem::is_regular_file(folder / "en" / "LC_MESSAGES" / (std::string(kTextDomain) + ".mo"), error)) {
      return folder.lexically_normal().string();
    }
  }
  return {};
}

std::string LanguageList(const char* language, const char* messagesLocale) {
  if (language && *language) return std::string(language) + ":en";
  if (IsCLocale(messagesLocale)) return {};
  return std::string(messagesLocale) + ":en";
}

void SetUpLanguage() {
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "C");
  if (IsCLocale(std::setlocale(LC_MESSAGES, nullptr))) {
    // The C locale reads the code's own texts, French. GTK's own texts (the
    // file chooser's) and the C library's follow them in French too: unlike
    // "C", "C.UTF-8" takes a LANGUAGE list.
    if (std::setlocale(LC_MESSAGES, "C.UTF-8")) setenv("LANGUAGE", "fr", 1);
  } else {
    const std::string list = LanguageList(std::getenv("LANGUAGE"), std::setlocale(LC_MESSAGES, nullptr));
    // Before any thread starts: nothing else reads the environment yet.
    if (!list.empty()) setenv("LANGUAGE", list.c_str(), 1);
  }

  // The C library's messages follow the locale too (ShownSystemError); log
  // lines take its English words (LoggedSystemError).
  const std::string executableFolder = ExecutableFolder();
  const std::string folder = LocaleFolder(executableFolder, TAVRIN_INSTALLED_LOCALE, TAVRIN_BUILT_LOCALE);
  if (folder.empty()) return;  // the texts as written
  bindtextdomain(kTextDomain, folder.c_str());
  bind_textdomain_codeset(kTextDomain, "UTF-8");
}

void UseTextsAsWritten() { std::setlocale(LC_MESSAGES, "C"); }
