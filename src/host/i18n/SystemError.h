#pragma once

// A system error number (errno) in words, for the log or for the player.

#include <string>

// The C library's English description ("No such file or directory"),
// whatever the locale: log lines read the same everywhere.
std::string LoggedSystemError(int error);

// The player's words: the C library's message in the locale's language
// (glibc's own catalog speaks French under a French locale). Under the C or
// POSIX locale, where the C library speaks English, the errors a player
// meets with files are said in French and the others in English.
std::string ShownSystemError(int error);
