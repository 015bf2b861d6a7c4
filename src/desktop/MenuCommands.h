#pragma once

#include <cstdint>

class Display;
enum class PictureFilter : std::uint8_t;
class HostMessageBox;
class Session;

// What the main window's menu does to the console: the desktop program owns
// one of these on its session, and the window layer calls it through the
// main window's commands; it knows nothing of menus. Before the session has
// a display the commands that act on the window do nothing.
class MenuCommands {
 public:
  // `againBox` shows a box for every request that fails (the player tried
  // again), whatever was shown before; nullptr: none.
  MenuCommands(Session& session, HostMessageBox* againBox) : session(session), againBox(againBox) {}

  // "&Charger une ROM": loads the image; on success marks the cartridge loaded
  // and running, gives the keyboard focus to the display window and resets.
  // The display window's caption names the image and its console; a Game Gear
  // image shows only the handheld's screen, and the window takes the chosen
  // scale of it. A refused image changes nothing but says why in a box (the
  // loader has logged it too), at every attempt.
  void LoadCartridge(const char* path);
  // A menu command or dialog has ended: the display window takes the keyboard
  // focus back.
  void FocusGame();
  // "&Redémarrer": resets the console and focuses the display window. Before
  // any cartridge is loaded the console still does not run.
  void Reset();
  // "Taille de la fenêtre": the display window's client area becomes scale
  // times the visible picture (256 x 192, or the Game Gear's 160 x 144), at
  // most the largest whole scale whose window fits the work area; centred.
  void SetScale(int scale);
  // "Échelle entière": the picture is drawn only at whole scales, with black
  // around it (otherwise as large as fits with its shape kept).
  void SetWholeScales(bool on);
  // "Filtre": the picture drawn with sharp pixels, smooth scaling,
  // scanlines or the LCD grid; "Rémanence LCD": each Game Gear picture mixed
  // with the one before, as its slow screen shows them.
  void SetFilter(PictureFilter filter);
  void SetLcdGhosting(bool on);
  // "Pixels 8:7": the console's pixels as wide as a 4:3 television shows
  // them (the Game Gear's screen keeps its own); the window takes the
  // chosen scale of the wider picture.
  void SetPixelAspect(bool on);
  // The console stopped (or went on) because the display window lost (or got)
  // the focus: the caption says so, and the frame is shown dimmed with the
  // pause line.
  void SetDisplayPaused(bool paused);
  // "Fermer la ROM": saves the cartridge RAM and takes the image out; the
  // window goes black with the hint on loading one. When the RAM cannot be
  // saved a box says so and the image stays. Nothing loaded: nothing done.
  void CloseCartridge();
  // "Ports de manette": what is plugged into port 0 or 1 (a Peripheral's
  // number), and how the 3-D glasses show (0: the left eye, 1: red and
  // cyan); other numbers change nothing.
  void SetPort(int port, int device);
  void SetGlassesView(int view);
  // "BIOS…": the console's boot program read from `path` (nullptr: "Aucun",
  // none), with a note on screen; the image running starts again with it or
  // without. False, after a box saying why, when the file cannot be used.
  bool ChooseBios(const char* path);
  // "&PAL" and "&Marque japonaise III" choose the console, one at a time:
  // the export PAL one (313 lines at 50 Hz), the Japanese one (no
  // nationalisation lines), or with neither the one the image's header names.
  // Checking one clears the other's mark. The running console changes at once.
  void SetPal(bool on);
  bool PalMark() const { return palMark; }
  bool JapaneseMark() const { return japaneseMark; }
  // "&Marque japonaise III": a Japanese console has no nationalisation lines
  // (exportConsole cleared). Takes effect at once, without a reset.
  void SetJapanese(bool on);
  // "Unité FM": the FM unit is fitted to an export console too; the image
  // running is loaded again with it (a unit is fitted with the power off), and
  // the next ones keep it.
  void SetFmUnit(bool on);
  // "Enregistrer le son (VGM)…": the sound log starts writing to `path`
  // (false, after a box saying why, when it cannot), and stops when the item
  // is unchecked, with a note on screen, or a box when the file could not be
  // written whole.
  bool StartSoundLog(const char* path);
  void StopSoundLog();
  // "Sans limite de sprites": every sprite on a line is drawn, not only the
  // first 8 the console shows. The status flags are not affected.
  void SetNoSpriteLimit(bool on);
  // "Carte" (-1: found from the image, else a Board's number) and "Console"
  // (a ConsoleKind's number): the image running is loaded again with the
  // choice, and the next ones keep it.
  void SetBoard(int board);
  void SetConsole(int kind);
  // "État": "Sauvegarder l'état" and "Charger l'état" save and load the slot
  // chosen among "Emplacement 1".."Emplacement 9", with a note on screen;
  // "Avance rapide" runs the console fast until it is unchecked. Saving,
  // loading and fast-forward give the display window the focus back, so the
  // console runs again.
  void SaveState();
  void LoadState();
  void SetStateSlot(int slot);
  void SetFastForward(bool on);

 private:
  Display* TheDisplay() const;
  void ShowLoadHint();
  void UpdateCaption();
  void ApplyRegionMarks();
  void ReloadRunningImage();

  Session& session;
  HostMessageBox* againBox;
  bool palMark = false;
  bool japaneseMark = false;
  int chosenScale = 2;  // the display window opens at twice the picture
  bool displayPaused = false;
};
