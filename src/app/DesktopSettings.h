#pragma once

#include <string>

struct MainWindowCommands;
class SettingsFile;

// The desktop's link between the settings file and the menu: what the file
// says is applied at start, and a setting the player changes through the
// menu is written back at once.

// Reads the settings file at `path` (the default place when empty) and
// applies it to the running session and the main window: Japanese console,
// sprite limit, window size, the open-file dialog's folder, "Récents".
void LoadDesktopSettings(const std::string& path = {});

// Points the main window's commands for those settings at versions that also
// save them.
void UseSavingCommands(MainWindowCommands& commands);

// The settings in use; nullptr before LoadDesktopSettings.
SettingsFile* DesktopSettings();
