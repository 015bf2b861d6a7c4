#pragma once

#include <cstddef>

// The debug console: the program's one diagnostic output. Every part of the
// emulator reports through LogPrintf; the console is this process's standard
// error, so the log never mixes with a program's own standard output.

// Opens the console (binds it to standard error) and logs "Allocated Console".
void ConsoleInit();

// printf-style message through a 512-byte buffer: a longer message is cut to
// 511 characters. Nothing is appended; each message carries its own line end.
void LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Where the console's characters go. Tests install a writer of their own to
// read what was logged; nullptr restores standard error.
using LogWriter = void (*)(const char* text, std::size_t length);
void SetLogWriter(LogWriter writer);
