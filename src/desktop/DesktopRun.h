#pragma once

#include <SDL.h>

#include <functional>
#include <string>

#include "host/session/RunOptions.h"

// Runs the program as a desktop application: the main window with its menu
// (GTK), the display window, sound and input (SDL), the image of the command
// line (or the built-in demo) loaded and running, until a window closes.
// Returns the exit status, or -1 with the reason in `noDisplay` when no
// display can be opened here (the caller then runs headless).
int RunDesktop(const RunOptions& options, std::string& noDisplay);

// A file dropped on the display window is loaded as the menu would load it:
// `load` gets its path. True when `event` was such a drop (its path is then
// released here).
bool HandleDroppedFile(const SDL_Event& event, const std::function<void(const char* path)>& load);
