#pragma once

#include <string>

#include "console/Console.h"

// The display window's caption: the console, then the running image's file
// name, then a word when the console waits for a click
// ("Sega Master System — game.sms", "Sega Game Gear — game.gg — Pause",
// "Sega SG-1000 — game.sg").
std::string DisplayCaption(ConsoleKind console, const std::string& imagePath, bool paused);
