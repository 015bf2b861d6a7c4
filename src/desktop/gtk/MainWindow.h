#pragma once

// The main window on GTK 3: a thin strip across the top of the screen, kept
// above other windows where the window system allows it, holding the caption
// and the French menu bar. Its commands are handed to the application
// through the callbacks below; the window itself knows nothing of the
// console.

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/dialogs/HostMessageBox.h"

typedef struct _GtkWidget GtkWidget;

struct MainWindowCommands {
  // "&Charger une ROM": a path the player chose in the open-file dialog, or
  // the file dropped on the window.
  std::function<void(const char* path)> loadCartridge;
  // "&PAL" and "&Marque japonaise III" with their new check state.
  std::function<void(bool on)> setPal;
  std::function<void(bool on)> setJapanese;
  // "Unité FM" with its new check state.
  std::function<void(bool on)> setFmUnit;
  // "Enregistrer le son (VGM)…": a path the player chose in the save dialog
  // (true: the log is being written, false: it could not start), and the
  // item unchecked again, which ends the log.
  std::function<bool(const char* path)> startSoundLog;
  std::function<void()> stopSoundLog;
  // "Sans limite de sprites" with its new check state.
  std::function<void(bool on)> setNoSpriteLimit;
  // "Taille de la fenêtre": 1 to 4 times the console's picture.
  std::function<void(int scale)> setScale;
  // "Échelle entière": the picture only at whole scales of itself.
  std::function<void(bool on)> setWholeScales;
  // "Filtre": 0 sharp pixels, 1 smooth scaling, 2 scanlines, 3 the LCD
  // grid (PictureFilter's order); "Rémanence LCD" and "Pixels 8:7" with
  // their new check state.
  std::function<void(int filter)> setFilter;
  std::function<void(bool on)> setLcdGhosting;
  std::function<void(bool on)> setPixelAspect;
  // "Volume": 0, 25, 50, 75 or 100 %.
  std::function<void(int percent)> setVolume;
  // "Plein écran" with its new check state.
  std::function<void(bool on)> setFullscreen;
  // "Carte": the cartridge's board (-1: found from the image, else the
  // board's number); "Console": which console runs images (0: the image's
  // own, 1: Master System, 2: Game Gear).
  std::function<void(int board)> setBoard;
  std::function<void(int kind)> setConsole;
  // "Touches…": the key and pad bindings.
  std::function<void()> keys;
  // "&Redémarrer".
  std::function<void()> reset;
  // "État": save and load the chosen slot, choose the slot (1-9), and
  // "Avance rapide" with its new check state.
  std::function<void()> saveState;
  std::function<void()> loadState;
  std::function<void(int slot)> setStateSlot;
  // The label of slot `slot`'s item (with its access key), asked each time
  // the "État" menu opens.
  std::function<std::string(int slot)> stateSlotLabel;
  std::function<void(bool on)> setFastForward;
  // "Pause de l'émulation" with its new check state.
  std::function<void(bool on)> setEmulatorPause;
  // A command or dialog of the window has ended: the game window takes the
  // focus back, so play goes on without a click.
  std::function<void()> focusGame;
  // Whether the game window has the focus now.
  std::function<bool()> gameHasFocus;
  // The window is being destroyed ("&Quitter", Escape, or closing it).
  std::function<void()> destroyed;
  // "Effacer la liste" under "Récents" (choosing a recent image runs
  // loadCartridge with its path).
  std::function<void()> clearRecent;
  // "Retirer les images absentes" under "Récents": forgets the listed images
  // that are no longer there.
  std::function<void()> forgetMissingRecent;
  // "Fermer la ROM": the image out, its cartridge RAM saved.
  std::function<void()> closeCartridge;
  // "Ports de manette": a port (0 or 1) and its device (a Peripheral's
  // number); the 3-D glasses' view (0: left eye, 1: red and cyan).
  std::function<void(int port, int device)> setPort;
  std::function<void(int view)> setGlassesView;
  // "BIOS…": the file chosen, or nullptr for "Aucun"; the chooser starts at
  // the boot program in use (biosPath, empty: none).
  std::function<void(const char* path)> chooseBios;
  std::function<std::string()> biosPath;
  // The keys "À propos de Tavrin" lists: what each does and the key bound.
  std::function<std::vector<std::pair<std::string, std::string>>()> keyList;
  // The "Débogage" menu, made once for the bar (none when unset); the
  // function given gives the game window the focus back after a while.
  std::function<GtkWidget*(std::function<void()> focusGame)> debugMenu;
};

// The keys shown at the right of the menu items that have one in the game
// window (empty: none shown). The keys act in the game window only: the
// strip installs no accelerators, and its own keys keep what they do.
struct MenuShortcuts {
  std::string saveState;    // "Sauvegarder l'état"
  std::string loadState;    // "Charger l'état"
  std::string fastForward;  // "Avance rapide"
  std::string fullscreen;   // "Plein écran"
  std::string emulatorPause;  // "Pause de l'émulation"
  bool operator==(const MenuShortcuts&) const = default;
};

// Initialises GTK if needed. False when there is no display to open.
bool GtkHostInit();

// Handles every GTK event that is waiting, without blocking.
void GtkHandlePendingEvents();

// The window's caption: "Tavrin 0.3    (Build: 2026-12-09)", the
// project's version and the day the build was configured.
std::string MainWindowCaption();

// The file of the first file: URI of a text/uri-list (lines ending in CR LF
// or LF, '#' starting a comment); empty when there is none.
std::string FirstPathInUriList(const char* text);

// The main window and the message boxes that go with it. The desktop
// program owns one; its widgets' signals reach it through their user data.
class MainWindow {
 public:
  MainWindow();
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Logs "Creating Main Toolbar Window" and builds the window with its menu;
  // true when the window exists.
  bool Create(const MainWindowCommands& commands);
  // Shows the window.
  void Show();
  // Destroys the window if it still exists (without calling `destroyed`).
  void Destroy();

  // Sets the "&Marque japonaise III" check mark without running its command
  // (a Japanese console asked for on the command line).
  void SetJapaneseCheck(bool on);
  // Sets the "Unité FM" and "Enregistrer le son (VGM)…" check marks without
  // running their commands.
  void SetFmUnitCheck(bool on);
  void SetSoundLogCheck(bool on);
  // Sets the "&PAL" check mark without running its command.
  void SetPalCheck(bool on);
  // Sets the "Sans limite de sprites" check mark without running its command.
  void SetNoSpriteLimitCheck(bool on);
  // Checks the "Taille de la fenêtre" item of `scale` (1-4) without running
  // its command; any other scale leaves every item unchecked.
  void SetScaleCheck(int scale);
  // Checks "Emplacement `slot`" (1-9) under "État" without running its command.
  void SetStateSlotCheck(int slot);
  // Sets the "Échelle entière" check mark without running its command.
  void SetWholeScalesCheck(bool on);
  // Checks the "Filtre" item of `filter` (0-3, as setFilter), and sets the
  // "Rémanence LCD" and "Pixels 8:7" check marks, without running them.
  void SetFilterCheck(int filter);
  void SetLcdGhostingCheck(bool on);
  void SetPixelAspectCheck(bool on);
  // Checks the "Volume" item nearest `percent` (0-100), and "Plein écran".
  void SetVolumeCheck(int percent);
  void SetFullscreenCheck(bool on);
  // Sets the "Pause de l'émulation" check mark without running its command.
  void SetEmulatorPauseCheck(bool on);
  // Shows the keys beside the items (again after a rebinding or a change of
  // slot).
  void SetShortcuts(const MenuShortcuts& shortcuts);
  // Checks the device of `port` (0 or 1, a Peripheral's number) and the
  // glasses' view (0 or 1) under "Ports de manette" without running them.
  void SetPortCheck(int port, int device);
  void SetGlassesCheck(int view);
  // The images listed under "Fichier > Récents", newest first; those no
  // longer there are greyed out when the menu opens.
  void SetRecentImages(const std::vector<std::string>& paths);
  // The folder the open-file dialog starts in (empty: the toolkit's choice).
  void SetLoadFolder(const std::string& folder);

  // The menu bar's menus in a menu at the pointer (a right click on the game
  // window, where full screen hides the strip). They are lent to it while it
  // is up and go back to the bar when it closes.
  void PopupMenu();

  // A modal message box with one OK button: `text` under the title `caption`.
  // Returns when the player has dismissed it.
  void MessageBox(const char* text, const char* caption);
  // The same box without waiting: it appears without taking the focus and
  // closes itself when dismissed, while the program goes on. Boxes still
  // open go with Destroy.
  void MessageBoxLater(const char* text, const char* caption);
  // The same box with a check button under the text (`choice`); `chosen` runs
  // when the box closes with it ticked.
  void MessageBoxLaterWithChoice(const char* text, const char* caption, const char* choice,
                                 std::function<void()> chosen);
  // The same again, taking the keyboard focus (Return dismisses it at once):
  // for a box about what the player just did.
  void MessageBoxFocused(const char* text, const char* caption);
  // True while a box that took the focus is open: the game window leaves the
  // focus to it.
  bool FocusedBoxOpen() const;
  // A dialog of the program's own (the keys dialog) has closed: the game
  // window takes the focus back once the window manager has placed it.
  void FocusGameAfterDialog();
  // True while "À propos de Tavrin" is open: the game window leaves it the
  // focus too.
  bool AboutBoxOpen() const;

  // The widgets and what the window remembers, in MainWindow.cpp.
  struct Parts;

 private:
  std::unique_ptr<Parts> parts;
};

// The window's boxes as the boxes the program hands to what may show one:
// the modal box, and the focused one that does not wait.
class GtkModalBox final : public HostMessageBox {
 public:
  explicit GtkModalBox(MainWindow& window) : window(window) {}
  void Show(const char* text, const char* caption) override { window.MessageBox(text, caption); }

 private:
  MainWindow& window;
};
class GtkFocusedBox final : public HostMessageBox {
 public:
  explicit GtkFocusedBox(MainWindow& window) : window(window) {}
  void Show(const char* text, const char* caption) override { window.MessageBoxFocused(text, caption); }

 private:
  MainWindow& window;
};
