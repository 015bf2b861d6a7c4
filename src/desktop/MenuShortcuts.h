#pragma once

#include <cstdint>
#include <string>

#include "desktop/gtk/MainWindow.h"
#include "host/input/Bindings.h"

// A key as the menus show it beside an item, in the player's language:
// "F11", "Maj+F1" (`shift`: the key with Shift held). Empty for no key.
std::string ShortcutText(std::uint8_t scan, bool shift = false);

// The keys beside the menu's items, from the keyboard's bindings: saving and
// loading follow the slot chosen (`slot`, 1-9), whose key loads it and with
// Shift saves it.
MenuShortcuts MenuShortcutsFor(const KeyTable& keys, int slot);

// A slot's item under "État", with the access key of its number and, for the
// image at `imagePath`, the local time its state was saved or that it holds
// none: "Emplacement _3 — 09/12 14:02", "Emplacement _3 — vide". Without an
// image (empty path) the number alone.
std::string StateSlotLabel(int slot, const std::string& folder, const std::string& imagePath);
