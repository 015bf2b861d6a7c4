#pragma once

#include <string>

class Console;

// Save-state slots on the desktop: nine states a cartridge image, kept as
// files under the user's data folder ($XDG_DATA_HOME/tavrin/states, by
// default ~/.local/share/tavrin/states) and named after the image:
// "<image file name>.state1" to ".state9".

inline constexpr int kStateSlotCount = 9;

// The states folder from the environment; empty when neither XDG_DATA_HOME
// (an absolute path) nor HOME is set.
std::string StateFolder();

// The file of `slot` (1-9) for the image at `imagePath`, in `folder`; empty
// for a slot out of range or an image path without a file name.
std::string StateSlotPath(const std::string& folder, const std::string& imagePath, int slot);

// Saves the console's state in a slot (making the folder with its parents)
// or loads it back. Each returns the note the player is shown: "État 3
// sauvegardé", "État 3 chargé", "État 3 : aucun fichier" or "État 3 : " and
// why it failed. A failed load changes nothing. `done`, when given, says
// whether the state was saved or loaded.
std::string SaveStateSlot(const Console& console, const std::string& folder, const std::string& imagePath, int slot,
                          bool* done = nullptr);
std::string LoadStateSlot(Console& console, const std::string& folder, const std::string& imagePath, int slot,
                          bool* done = nullptr);
