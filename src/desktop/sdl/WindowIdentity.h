#pragma once

#include <SDL.h>

// Gives an SDL window the program's WM_CLASS and icon, the same as the GTK
// main window's, so the desktop shows both windows as one program. Call it
// before the window is first shown: window managers read the class on map.
void SetWindowIdentity(SDL_Window* window);
