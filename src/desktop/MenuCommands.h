#pragma once

// What the main window's menu does to the console, on the global machine.
// The window layer calls these; they know nothing of menus.

// "&Charger une ROM": loads the image; on success marks the cartridge loaded
// and running, gives the keyboard focus to the display window and resets.
// The display window's caption names the image and its console; a Game Gear
// image shows only the handheld's screen, and the window takes the chosen
// scale of it. A refused image changes nothing but says why in a box (the
// loader has logged it too), at every attempt.
void MenuLoadCartridge(const char* path);
// A menu command or dialog has ended: the display window takes the keyboard
// focus back.
void MenuFocusGame();
// "&Redémarrer": resets the console and focuses the display window. Before
// any cartridge is loaded the console still does not run.
void MenuReset();
// "Taille de la fenêtre": the display window's client area becomes scale
// times the visible picture (256 x 192, or the Game Gear's 160 x 144), at
// most the largest whole scale whose window fits the work area; centred.
void MenuSetScale(int scale);
// "Échelle entière": the picture is drawn only at whole scales, with black
// around it (otherwise as large as fits with its shape kept).
void MenuSetWholeScales(bool on);
// The console stopped (or went on) because the display window lost (or got)
// the focus: the caption says so, and the frame is shown dimmed with the
// pause line.
void SetDisplayPaused(bool paused);
// "&PAL" and "&Marque japonaise III" choose the console, one at a time:
// the export PAL one (313 lines at 50 Hz), the Japanese one (no
// nationalisation lines), or with neither the one the image's header names.
// Checking one clears the other's mark. The running console changes at once.
void MenuSetPal(bool on);
bool PalMark();
bool JapaneseMark();
// "&Marque japonaise III": a Japanese console has no nationalisation lines
// (exportConsole cleared). Takes effect at once, without a reset.
void MenuSetJapanese(bool on);
// "Unité FM": the FM unit is fitted to an export console too; the image
// running is loaded again with it (a unit is fitted with the power off), and
// the next ones keep it.
void MenuSetFmUnit(bool on);
// "Enregistrer le son (VGM)…": the sound log starts writing to `path`
// (false, after a box saying why, when it cannot), and stops when the item
// is unchecked, with a note on screen, or a box when the file could not be
// written whole.
bool MenuStartSoundLog(const char* path);
void MenuStopSoundLog();
// "Sans limite de sprites": every sprite on a line is drawn, not only the
// first 8 the console shows. The status flags are not affected.
void MenuSetNoSpriteLimit(bool on);
// "Carte" (-1: found from the image, else a Board's number) and "Console"
// (a ConsoleKind's number): the image running is loaded again with the
// choice, and the next ones keep it.
void MenuSetBoard(int board);
void MenuSetConsole(int kind);
// "État": "Sauvegarder l'état" and "Charger l'état" save and load the slot
// chosen among "Emplacement 1".."Emplacement 9", with a note on screen;
// "Avance rapide" runs the console fast until it is unchecked. Saving,
// loading and fast-forward give the display window the focus back, so the
// console runs again.
void MenuSaveState();
void MenuLoadState();
void MenuSetStateSlot(int slot);
void MenuSetFastForward(bool on);
