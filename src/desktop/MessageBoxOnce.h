#pragma once

#include "host/display/HostMessageBox.h"

// A failure that repeats every frame must not bury the player under modal
// boxes. This installs the host's message box behind a filter that shows
// each message (the same text under the same caption) only the first time
// in the run; the caller has logged it every time already.
void InstallMessageBoxOnce(MessageBoxHook show);

// Forgets which messages were shown (a new run, or a test).
void ForgetShownMessageBoxes();

// Shows a box whether or not the same text was shown before (one box per
// request the player made): through the box installed here (the desktop's
// does not wait), else through the host's box.
void InstallMessageBoxAgain(MessageBoxHook show);
void ShowMessageBoxAgain(const char* text, const char* caption);
