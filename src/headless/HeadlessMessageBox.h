#pragma once

// The headless host's message box: nobody is there to answer it, so it only
// logs what it would have shown and returns at once.
void HeadlessMessageBox(const char* text, const char* caption);

// Installs HeadlessMessageBox as the host message box.
void InstallHeadlessMessageBox();
