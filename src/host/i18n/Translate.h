#pragma once

// Texts the player reads (menus, dialogs, boxes, on-screen notes) are
// written in French in the code and looked up in the "tavrin" message
// catalog: a C, POSIX or French locale shows them as written, an English
// locale shows the English catalog's text. Log lines are never translated:
// a failure's reason comes in both forms (host/files/Result.h).

#include <libintl.h>

#include <cstdarg>
#include <cstdio>
#include <string>

inline constexpr const char* kTextDomain = "tavrin";

// The text for the player's language. Marked for xgettext with --keyword=Tr.
// A translated format is checked against its arguments like the original.
[[gnu::format_arg(1)]] inline const char* Tr(const char* french) { return dgettext(kTextDomain, french); }

// Marks a text for the catalog where it cannot be looked up yet (a table
// of labels); Tr looks it up where it is shown. Marked with --keyword=TrLater.
inline constexpr const char* TrLater(const char* french) { return french; }

// A printf-style text of any length, for translated formats ("État %d
// sauvegardé"): the order of the arguments is the code's, so a translation
// that needs another order uses positional arguments (%2$s).
[[gnu::format(printf, 1, 2)]] inline std::string Format(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  std::va_list again;
  va_copy(again, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<std::size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, again);
  }
  va_end(again);
  return text;
}
