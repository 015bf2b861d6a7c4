#pragma once

// What the main window's menu does to the console, on the global machine.
// The window layer calls these; they know nothing of menus.

// "&Charger une ROM": loads the image; on success marks the cartridge loaded
// and running, gives the keyboard focus to the display window and resets.
// A refused image changes nothing (the loader has logged why).
void MenuLoadCartridge(const char* path);
// "&Redémarrer": resets the console and focuses the display window. Before
// any cartridge is loaded the console still does not run.
void MenuReset();
// "Taille de la fenêtre": the display window's outer size becomes
// scale x 256 by scale x 192 (scale 1-4), centred on the screen.
void MenuSetScale(int scale);
// "&PAL": only remembered; the console keeps one timing.
void MenuSetPal(bool on);
bool PalMark();
// "&Marque japonaise III": a Japanese console has no nationalisation lines
// (exportConsole cleared). Takes effect at once, without a reset.
void MenuSetJapanese(bool on);
// "Sans limite de sprites": every sprite on a line is drawn, not only the
// first 8 the console shows. The status flags are not affected.
void MenuSetNoSpriteLimit(bool on);
// "État": "Sauvegarder l'état" and "Charger l'état" save and load the slot
// chosen among "Emplacement 1".."Emplacement 9", with a note on screen;
// "Avance rapide" runs the console fast until it is unchecked. Saving,
// loading and fast-forward give the display window the focus back, so the
// console runs again.
void MenuSaveState();
void MenuLoadState();
void MenuSetStateSlot(int slot);
void MenuSetFastForward(bool on);
