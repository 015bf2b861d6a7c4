#pragma once

// Chooses the language of the texts the player reads, once at start-up of a
// desktop run, before GTK starts.
//
// The user's locale decides (setlocale(LC_ALL, "")): C, POSIX and French
// locales show the French texts as written, English locales the English
// catalog. A language with no catalog of its own falls back to English, as
// the last entry of the LANGUAGE list gettext reads; a LANGUAGE the user set
// keeps its order in front of it. Numbers are always written the C way
// (LC_NUMERIC "C"), so log lines, figures and files read the same under any
// locale.

#include <string>

// True for the C and POSIX locales (C.UTF-8 too), whose texts are the code's
// own: French.
bool IsCLocale(const char* name);

// The folder holding <lang>/LC_MESSAGES/tavrin.mo: `installed` (relative to
// the executable's folder) when it exists there, else `built` (also relative
// to the executable's folder, the build tree's catalogs). Empty when neither
// exists.
std::string LocaleFolder(const std::string& executableFolder, const char* installed, const char* built);

// The LANGUAGE list gettext should read: the user's `language` (may be null
// or empty), else the `messagesLocale` (the locale LC_MESSAGES took), with
// English appended as the last resort. Empty when the locale is C or POSIX
// (gettext then shows the texts as written) and LANGUAGE is unset.
std::string LanguageList(const char* language, const char* messagesLocale);

// Sets the locale from the environment, keeps LC_NUMERIC at "C", sets the
// LANGUAGE fallback and binds the "tavrin" catalog found beside the running
// executable. Under C or POSIX, LC_MESSAGES becomes "C.UTF-8" with LANGUAGE
// "fr", so GTK's own texts and the C library's are French like ours.
void SetUpLanguage();

// Back to the texts as written (LC_MESSAGES "C"): for a desktop run that
// found no display and goes on headless, where boxes are log lines.
void UseTextsAsWritten();
