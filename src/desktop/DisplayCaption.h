#pragma once

#include <string>

// The display window's caption: the console, then the running image's file
// name, then a word when the console waits for a click
// ("Sega Master System — game.sms", "Sega Game Gear — game.gg — Pause").
std::string DisplayCaption(bool gameGear, const std::string& imagePath, bool paused);
