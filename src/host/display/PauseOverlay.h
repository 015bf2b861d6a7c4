#pragma once

#include "host/display/Display.h"
#include "host/display/PictureLayout.h"

// The picture shown while the console waits for the display window to get
// the focus back: the last frame at half brightness, with
// "Pause — cliquez pour continuer" across the middle of the visible picture
// in white letters with a black shadow, readable on any backdrop.

// The line's width in surface pixels (it fits the Game Gear's 160 columns).
int PauseTextWidth();

// Dims `area` of a converted back surface and writes the line centred in it
// (`line`, in the letters of the default one, in its place when given).
// Surfaces whose rows are shorter than the area are left alone.
void DrawPauseOverlay(const SurfaceLock& lock, int depth, bool is565, const PictureRect& area,
                      const char* line = nullptr);
