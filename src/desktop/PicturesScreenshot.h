#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "host/files/Result.h"

// Screenshots the player asks for, kept in the user's pictures folder under
// Tavrin/, one PNG per shot named after the game and the moment it was taken.

// The folder screenshots go to: the user's pictures folder (XDG_PICTURES_DIR,
// else ~/Pictures) with Tavrin/ under it.
std::string PicturesScreenshotFolder();

// "<game>-YYYYMMDD-HHMMSS-mmm.png" in local time: `game` is the image's file
// name without its folder and last extension ("tavrin" when there is none),
// with any character a file name cannot hold as '_'.
std::string ScreenshotFileName(std::chrono::system_clock::time_point when, const std::string& image = {});

// Writes the picture (8-bit RGB, `height` rows of `width` * 3 bytes; 256x192
// or a cropped size) as a PNG in `folder`, made if missing, named after
// `when`. A file of that name is never replaced: "-2", "-3"... is added
// before ".png" instead. The file appears whole or not at all. Sets `path`
// to it, or fails with the reason (shown in the player's note).
Result SaveScreenshotInFolder(const std::uint8_t* rgb, int width, int height, const std::string& folder,
                              std::chrono::system_clock::time_point when, std::string& path,
                              const std::string& image = {});

// SaveScreenshotInFolder into PicturesScreenshotFolder() at the present time.
Result SaveScreenshotToPictures(const std::uint8_t* rgb, int width, int height, std::string& path,
                                const std::string& image = {});

// The console's last frame (256 x 192 colour indexes) as a screenshot shows
// it: 8-bit RGB of the whole frame, or of the Game Gear's 160 x 144 window,
// with `width` and `height` set to match. With `colours` (the console's
// picture as 256 x 192 colour words) those are shown instead of the frame.
// A Master System frame `frameHeight` lines high (224 or 240 in mode 4's
// taller pictures) is shown whole.
std::vector<std::uint8_t> ConsolePictureRgb(const std::uint8_t* frame, const std::uint8_t* colourRam, bool gameGear,
                                            int& width, int& height, const std::uint16_t* colours = nullptr,
                                            int frameHeight = 192);
