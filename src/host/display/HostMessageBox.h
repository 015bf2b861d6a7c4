#pragma once

// A modal message box with a single OK button and no owner window, shown by
// whatever host layer is installed. The core only asks for it; until a host
// installs its own, nothing is shown (the caller has already logged).
using MessageBoxHook = void (*)(const char* text, const char* caption);

// Installs the host's message box; nullptr goes back to showing nothing.
void SetHostMessageBox(MessageBoxHook hook);

// Shows text under caption and returns when the user has dismissed it.
void ShowHostMessageBox(const char* text, const char* caption);
