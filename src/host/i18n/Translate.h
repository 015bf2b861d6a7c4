#pragma once

// Texts the player reads (menus, dialogs, boxes, on-screen notes) are
// written in French in the code and looked up in the "tavrin" message
// catalog: a C, POSIX or French locale shows them as written, an English
// locale shows the English catalog's text. Log lines are never translated.

#include <libintl.h>

inline constexpr const char* kTextDomain = "tavrin";

// The text for the player's language. Marked for xgettext with --keyword=Tr.
inline const char* Tr(const char* french) { return dgettext(kTextDomain, french); }
