#pragma once

// The main window on GTK 3: a thin strip across the top of the screen, kept
// above other windows where the window system allows it, holding the caption
// and the French menu bar. Its commands are handed to the application
// through the callbacks below; the window itself knows nothing of the
// console.

struct MainWindowCommands {
  // "&Charger une ROM": a path the player chose in the open-file dialog.
  void (*loadCartridge)(const char* path) = nullptr;
  // "&PAL" and "&Marque japonaise III" with their new check state.
  void (*setPal)(bool on) = nullptr;
  void (*setJapanese)(bool on) = nullptr;
  // "Taille de la fenêtre": 1 to 4 times the console's picture.
  void (*setScale)(int scale) = nullptr;
  // "Échelle entière": the picture only at whole scales of itself.
  void (*setWholeScales)(bool on) = nullptr;
  // "&Redémarrer".
  void (*reset)() = nullptr;
  // The window is being destroyed ("&Quitter", Escape, or closing it).
  void (*destroyed)() = nullptr;
};

// Initialises GTK if needed. False when there is no display to open.
bool GtkHostInit();

// Logs "Creating Main Toolbar Window" and builds the window with its menu;
// true when the window exists.
bool CreateMainWindow(const MainWindowCommands& commands);
// Shows the window.
void ShowMainWindow();
// Sets the "&Marque japonaise III" check mark without running its command
// (a Japanese console asked for on the command line).
void SetJapaneseCheck(bool on);
// Destroys the window if it still exists (without calling `destroyed`).
void DestroyMainWindow();

// The window's caption: "Tavrin v0.3b [19]    (Build: Fri Apr 21 03:22:10 2000)".
const char* MainWindowCaption();

// Handles every GTK event that is waiting, without blocking.
void GtkHandlePendingEvents();

// A modal message box with one OK button: `text` under the title `caption`.
// Returns when the player has dismissed it.
void GtkMessageBox(const char* text, const char* caption);

// The same box without waiting: it appears without taking the focus and
// closes itself when dismissed, while the program goes on. Boxes still open
// go with DestroyMainWindow.
void GtkMessageBoxLater(const char* text, const char* caption);
