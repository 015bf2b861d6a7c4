#include "desktop/gtk/MainWindow.h"

#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "debug/DebugConsole.h"
#include "host/i18n/Translate.h"
#include "desktop/identity/AppIdentity.h"

constexpr int kVolumeSteps = 5;  // 0, 25, 50, 75 and 100 %
constexpr int kFilters = 4;      // sharp pixels, smooth scaling, scanlines, LCD grid
// A port's devices: pad, light gun, paddle, sports pad, 3-D glasses.
constexpr int kPortDevices = 5;

struct MainWindow::Parts {
  ~Parts() {
    // Work left for the loop's idle time goes with the window.
    while (g_idle_remove_by_data(this)) {
    }
    if (afterDialogSource) g_source_remove(afterDialogSource);
  }

  GtkWidget* mainWindow = nullptr;
  MainWindowCommands handlers;
  GtkWidget* palItem = nullptr;
  GtkWidget* japaneseItem = nullptr;
  GtkWidget* fmUnitItem = nullptr;
  GtkWidget* soundLogItem = nullptr;
  GtkWidget* spriteLimitItem = nullptr;
  GtkWidget* sizeItems[4] = {};
  // Checked, out of sight, when the window has a size of none of the items.
  GtkWidget* otherSizeItem = nullptr;
  GtkWidget* volumeItems[kVolumeSteps] = {};
  GtkWidget* fullscreenItem = nullptr;
  GtkWidget* wholeScalesItem = nullptr;
  // The items that show a key beside them.
  GtkWidget* saveStateItem = nullptr;
  GtkWidget* loadStateItem = nullptr;
  GtkWidget* fastForwardItem = nullptr;
  GtkWidget* emulatorPauseItem = nullptr;
  // As with the sizes, only the item that takes the check mark is a command.
  GtkWidget* slotItems[9] = {};
  GtkWidget* recentMenu = nullptr;
  GtkWidget* forgetMissingItem = nullptr;
  std::vector<std::string> recentImages;
  GtkWidget* menuBar = nullptr;
  GtkWidget* resetItem = nullptr;
  // The folder the file chooser opens in: the one last chosen from (the
  // working folder at first).
  std::string chooserFolder;
  // Message boxes still open; they go with the main window. Those that took
  // the focus are also in focusedBoxes.
  std::vector<GtkWidget*> openBoxes;
  std::vector<GtkWidget*> focusedBoxes;
  // Set while the program changes a check mark itself, so the "toggled"
  // signal that follows is not taken for a command.
  bool settingChecks = false;
  // A file dropped on the strip, loaded once the drop is over.
  std::string droppedPath;
  // The right-click menu and the bar items whose menus it has borrowed.
  GtkWidget* popupMenu = nullptr;
  std::vector<std::pair<GtkWidget*, GtkWidget*>> lentMenus;  // bar item, its menu
  // "À propos de Tavrin" while it is open.
  GtkWidget* aboutBox = nullptr;
  // "Ports de manette": each port's devices, and the glasses' two views.
  GtkWidget* portItems[2][kPortDevices] = {};
  GtkWidget* glassesItems[2] = {};
  // What runs once a closed dialog's focus has found its window, the
  // timer that waits for that, and when it stops waiting (monotonic µs).
  std::function<void()> afterDialog;
  guint afterDialogSource = 0;
  gint64 afterDialogUntil = 0;
  // "Filtre": each filter, "Rémanence LCD"; "Pixels 8:7".
  GtkWidget* filterItems[kFilters] = {};
  GtkWidget* ghostingItem = nullptr;
  GtkWidget* pixelAspectItem = nullptr;
  // The file choosers, made on first use and kept hidden between uses: a
  // chooser goes on loading its folder after it closes, and one destroyed
  // before that is over has the loading's end reach a widget already gone.
  // They go with the main window.
  GtkWidget* cartridgeChooser = nullptr;
  GtkWidget* soundLogChooser = nullptr;
  GtkWidget* biosChooser = nullptr;
};

namespace {

using Parts = MainWindow::Parts;

// The window's parts, as a signal's user data.
Parts& Self(gpointer data) { return *static_cast<Parts*>(data); }

// The value a radio item stands for (a scale, a slot, a volume, a board).
int ItemValue(gpointer item) { return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "value")); }

// Sets a check mark (or chooses a radio item) without running its command.
void SetCheckQuietly(Parts& w, GtkWidget* item, bool on) {
  if (!item) return;
  w.settingChecks = true;
  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), on ? TRUE : FALSE);
  w.settingChecks = false;
}

gboolean RunFocusGame(gpointer data) {
  Parts& w = Self(data);
  if (w.handlers.focusGame) w.handlers.focusGame();
  return G_SOURCE_REMOVE;
}

// Once the menu or dialog has let go of the pointer and the keyboard, the
// game window takes the focus back (left on the strip, the game would wait
// for a click, and the strip's Escape would end the program).
void FocusGameLater(Parts& w) { g_idle_add(RunFocusGame, &w); }

// A window manager hands the focus of a window that goes away to another
// (a dialog's to its parent, the strip) once it has seen the window go. On
// a busy machine that can come after the game window took the focus back,
// and the game would wait on the strip for a click. So after a dialog the
// game's turn waits for the manager's choice: the strip or the game window
// active, or a while without either. Without a window manager the server
// moves the focus itself, at once.
constexpr gint64 kManagerFocusWaitUs = 3'000'000;
constexpr guint kManagerFocusPollMs = 20;

bool WindowManagerMovesFocus() {
  GdkDisplay* display = gdk_display_get_default();
  if (!display || !GDK_IS_X11_DISPLAY(display)) return false;
  return gdk_x11_screen_supports_net_wm_hint(gdk_display_get_default_screen(display),
                                             gdk_atom_intern_static_string("_NET_ACTIVE_WINDOW")) != FALSE;
}

gboolean RunAfterDialog(gpointer data) {
  Parts& w = Self(data);
  const bool placed = (w.mainWindow && gtk_window_is_active(GTK_WINDOW(w.mainWindow))) ||
                      (w.handlers.gameHasFocus && w.handlers.gameHasFocus());
  if (!placed && g_get_monotonic_time() < w.afterDialogUntil) return G_SOURCE_CONTINUE;
  w.afterDialogSource = 0;
  std::function<void()> then = std::move(w.afterDialog);
  w.afterDialog = nullptr;
  if (then) then();
  return G_SOURCE_REMOVE;
}

void AfterDialogClosed(Parts& w, std::function<void()> then) {
  if (w.afterDialogSource) g_source_remove(w.afterDialogSource);
  w.afterDialog = std::move(then);
  w.afterDialogUntil = WindowManagerMovesFocus() ? g_get_monotonic_time() + kManagerFocusWaitUs : 0;
  w.afterDialogSource = g_timeout_add(kManagerFocusPollMs, RunAfterDialog, &w);
}

void GameFocusAfterDialog(Parts& w) {
  AfterDialogClosed(w, [&w] {
    if (w.handlers.focusGame) w.handlers.focusGame();
  });
}

void OnDestroy(GtkWidget*, gpointer data) {
  Parts& w = Self(data);
  // The bar goes first, while the window is still its toplevel: a bar left
  // in keyboard mode by Alt+letter would otherwise show or hide its
  // mnemonics on the box it sat in, once the window has let go of that.
  if (w.menuBar) gtk_widget_destroy(w.menuBar);
  w.menuBar = nullptr;
  w.mainWindow = nullptr;
  w.recentMenu = nullptr;
  if (w.handlers.destroyed) w.handlers.destroyed();
}

gboolean OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer) {
  if (event->keyval == GDK_KEY_Escape) {
    gtk_widget_destroy(widget);
    return TRUE;
  }
  return FALSE;
}

void OnQuit(GtkMenuItem*, gpointer data) {
  Parts& w = Self(data);
  if (w.mainWindow) gtk_widget_destroy(w.mainWindow);
}

// A kept file chooser (see Parts), made by `make` the first time.
template <typename Make>
GtkWidget* KeptChooser(GtkWidget*& kept, Make make) {
  if (!kept) {
    kept = make();
    gtk_window_set_destroy_with_parent(GTK_WINDOW(kept), TRUE);
    g_signal_connect(kept, "destroy", G_CALLBACK(gtk_widget_destroyed), &kept);
  }
  return kept;
}

GtkWidget* MakeCartridgeChooser(Parts& w) {
  GtkWidget* dialog =
      gtk_file_chooser_dialog_new(Tr("Ouvrir"), GTK_WINDOW(w.mainWindow), GTK_FILE_CHOOSER_ACTION_OPEN, Tr("_Annuler"),
                                  GTK_RESPONSE_CANCEL, Tr("_Ouvrir"), GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileFilter* both = gtk_file_filter_new();
  gtk_file_filter_set_name(both, Tr("Cartouches [*.sms, *.gg]"));
  // Images inside archives are cartridges too.
  for (const char* pattern : {"*.sms", "*.SMS", "*.gg", "*.GG", "*.sg", "*.SG", "*.sc", "*.SC", "*.zip", "*.ZIP", "*.7z",
                              "*.7Z", "*.gz", "*.GZ"}) {
    gtk_file_filter_add_pattern(both, pattern);
  }
  GtkFileFilter* sms = gtk_file_filter_new();
  gtk_file_filter_set_name(sms, Tr("SMS [*.sms]"));
  gtk_file_filter_add_pattern(sms, "*.sms");
  gtk_file_filter_add_pattern(sms, "*.SMS");
  GtkFileFilter* gg = gtk_file_filter_new();
  gtk_file_filter_set_name(gg, Tr("GameGear [*.gg]"));
  gtk_file_filter_add_pattern(gg, "*.gg");
  gtk_file_filter_add_pattern(gg, "*.GG");
  GtkFileFilter* sg = gtk_file_filter_new();
  gtk_file_filter_set_name(sg, Tr("SG-1000 / SC-3000 [*.sg, *.sc]"));
  for (const char* pattern : {"*.sg", "*.SG", "*.sc", "*.SC"}) gtk_file_filter_add_pattern(sg, pattern);
  gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), both);
  gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), sms);
  gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), gg);
  gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), sg);
  gtk_file_chooser_set_filter(GTK_FILE_CHOOSER(dialog), both);
  return dialog;
}

// The file chooser runs once the menu has closed: run from inside the menu's
// "activate", its own loop would take the menu's pending button release for
// a widget that is already gone (a Gtk-CRITICAL about WIDGET_REALIZED_FOR_EVENT).
gboolean RunFileChooser(gpointer data) {
  Parts& w = Self(data);
  GtkWidget* dialog = KeptChooser(w.cartridgeChooser, [&w] { return MakeCartridgeChooser(w); });
  if (w.chooserFolder.empty()) {
    char* working = g_get_current_dir();
    w.chooserFolder = working;
    g_free(working);
  }
  gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), w.chooserFolder.c_str());

  char* path = nullptr;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    path = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
    if (char* folder = gtk_file_chooser_get_current_folder(GTK_FILE_CHOOSER(dialog))) {
      w.chooserFolder = folder;
      g_free(folder);
    }
  }
  gtk_widget_hide(dialog);
  if (path) {
    std::string chosen = path;
    g_free(path);
    AfterDialogClosed(w, [&w, chosen] {
      if (w.handlers.loadCartridge) w.handlers.loadCartridge(chosen.c_str());
    });
  } else {
    GameFocusAfterDialog(w);
  }
  return G_SOURCE_REMOVE;
}

void OnLoad(GtkMenuItem*, gpointer data) { g_idle_add(RunFileChooser, data); }

// The sound log's file, asked for once the menu has closed (as the file
// chooser above); the check mark stays only when the log started.
gboolean RunSoundLogChooser(gpointer data) {
  Parts& w = Self(data);
  GtkWidget* dialog = KeptChooser(w.soundLogChooser, [&w] {
    GtkWidget* made = gtk_file_chooser_dialog_new(Tr("Enregistrer le son (VGM)"), GTK_WINDOW(w.mainWindow),
                                                  GTK_FILE_CHOOSER_ACTION_SAVE, Tr("_Annuler"), GTK_RESPONSE_CANCEL,
                                                  Tr("_Enregistrer"), GTK_RESPONSE_ACCEPT, nullptr);
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(made), TRUE);
    return made;
  });
  gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dialog), "son.vgm");
  if (!w.chooserFolder.empty()) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), w.chooserFolder.c_str());
  char* path = nullptr;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    path = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
  }
  gtk_widget_hide(dialog);
  bool started = false;
  if (path) {
    started = w.handlers.startSoundLog && w.handlers.startSoundLog(path);
    g_free(path);
  }
  SetCheckQuietly(w, w.soundLogItem, started);
  GameFocusAfterDialog(w);
  return G_SOURCE_REMOVE;
}

void OnSoundLog(GtkCheckMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks) return;
  if (gtk_check_menu_item_get_active(item)) {
    g_idle_add(RunSoundLogChooser, &w);
  } else if (w.handlers.stopSoundLog) {
    w.handlers.stopSoundLog();
  }
}

void OnFmUnit(GtkCheckMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (!w.settingChecks && w.handlers.setFmUnit) w.handlers.setFmUnit(gtk_check_menu_item_get_active(item));
}

void OnPal(GtkCheckMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks) return;
  if (w.handlers.setPal) w.handlers.setPal(gtk_check_menu_item_get_active(item));
  FocusGameLater(w);
}

void OnJapanese(GtkCheckMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks) return;
  if (w.handlers.setJapanese) w.handlers.setJapanese(gtk_check_menu_item_get_active(item));
  FocusGameLater(w);
}

void OnNoSpriteLimit(GtkCheckMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks) return;
  if (w.handlers.setNoSpriteLimit) w.handlers.setNoSpriteLimit(gtk_check_menu_item_get_active(item));
  FocusGameLater(w);
}

// A size item was activated. The radio group has already moved the check
// mark (and "activated" the item it left, which is not a command). Choosing
// the item already checked resizes and centres the window again.
void OnSize(GtkMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks || !gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item))) return;
  if (w.handlers.setScale) w.handlers.setScale(ItemValue(item));
  FocusGameLater(w);
}

void OnWholeScales(GtkCheckMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks) return;
  if (w.handlers.setWholeScales) w.handlers.setWholeScales(gtk_check_menu_item_get_active(item));
  FocusGameLater(w);
}

void OnVolume(GtkMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks || !gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item))) return;
  if (w.handlers.setVolume) w.handlers.setVolume(ItemValue(item));
  FocusGameLater(w);
}

void OnKeys(GtkMenuItem*, gpointer data) {
  Parts& w = Self(data);
  if (w.handlers.keys) w.handlers.keys();
}

void OnFullscreen(GtkCheckMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks) return;
  if (w.handlers.setFullscreen) w.handlers.setFullscreen(gtk_check_menu_item_get_active(item));
  FocusGameLater(w);
}

gboolean RunReset(gpointer data) {
  Parts& w = Self(data);
  if (w.handlers.reset) w.handlers.reset();
  return G_SOURCE_REMOVE;
}

// The reset (which focuses the display window) runs once GTK has let go of
// the pointer and the keyboard.
void OnReset(GtkMenuItem*, gpointer data) {
  Parts& w = Self(data);
  if (w.menuBar) gtk_menu_shell_deactivate(GTK_MENU_SHELL(w.menuBar));
  g_idle_add(RunReset, &w);
}

// An item right on the menu bar has no menu to open. The bar takes a quick
// click on it for the click that opens a menu: it stays active with the item
// highlighted and holds the pointer, and only the next click activates it.
// A button released over that item is its click, every time.
gboolean OnBarButtonRelease(GtkWidget* bar, GdkEventButton*, gpointer data) {
  Parts& w = Self(data);
  if (!w.resetItem || gtk_menu_shell_get_selected_item(GTK_MENU_SHELL(bar)) != w.resetItem) return FALSE;
  OnReset(nullptr, data);
  return TRUE;
}

// Shows `text` at the right of a menu item, dimmed as GTK shows an
// accelerator. The item's own label (and its mnemonic) moves into a box
// with the key's label the first time.
void ShowShortcut(GtkWidget* item, const std::string& text) {
  if (!item) return;
  auto* shortcut = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(item), "shortcut"));
  if (!shortcut) {
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(item));
    if (!label) return;
    g_object_ref(label);
    gtk_container_remove(GTK_CONTAINER(item), label);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 24);
    gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0);
    g_object_unref(label);
    shortcut = gtk_label_new(nullptr);
    gtk_style_context_add_class(gtk_widget_get_style_context(shortcut), GTK_STYLE_CLASS_ACCELERATOR);
    gtk_box_pack_end(GTK_BOX(box), shortcut, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(item), box);
    gtk_widget_show_all(box);
    g_object_set_data(G_OBJECT(item), "shortcut", shortcut);
  }
  gtk_label_set_text(GTK_LABEL(shortcut), text.c_str());
}

// Appends `item` to `menu`; its `signal` runs `callback` with the window's
// parts, and `value` is what the item stands for (ItemValue).
GtkWidget* AddItem(Parts& w, GtkWidget* menu, GtkWidget* item, GCallback callback, const char* signal, int value = 0) {
  gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
  g_object_set_data(G_OBJECT(item), "value", GINT_TO_POINTER(value));
  g_signal_connect(item, signal, callback, &w);
  return item;
}

void OnSaveState(GtkMenuItem*, gpointer data) {
  Parts& w = Self(data);
  if (w.handlers.saveState) w.handlers.saveState();
}

void OnLoadState(GtkMenuItem*, gpointer data) {
  Parts& w = Self(data);
  if (w.handlers.loadState) w.handlers.loadState();
}

void OnStateSlot(GtkMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks || !gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item))) return;
  if (w.handlers.setStateSlot) w.handlers.setStateSlot(ItemValue(item));
  FocusGameLater(w);
}

void OnFastForward(GtkCheckMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.handlers.setFastForward) w.handlers.setFastForward(gtk_check_menu_item_get_active(item));
}

void OnEmulatorPause(GtkCheckMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks) return;
  if (w.handlers.setEmulatorPause) w.handlers.setEmulatorPause(gtk_check_menu_item_get_active(item));
  FocusGameLater(w);
}

void OnBoard(GtkMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks || !gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item))) return;
  if (w.handlers.setBoard) w.handlers.setBoard(ItemValue(item));
  FocusGameLater(w);
}

void OnConsoleKind(GtkMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks || !gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item))) return;
  if (w.handlers.setConsole) w.handlers.setConsole(ItemValue(item));
  FocusGameLater(w);
}

// A submenu of radio items, the first checked; item k runs `command` with
// values[k].
GtkWidget* RadioSubmenu(Parts& w, const char* caption, const char* const* names, const int* values, int count,
                        GCallback command, GtkWidget** items = nullptr) {
  GtkWidget* top = gtk_menu_item_new_with_mnemonic(caption);
  GtkWidget* menu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), menu);
  GSList* group = nullptr;
  for (int k = 0; k < count; ++k) {
    GtkWidget* item = gtk_radio_menu_item_new_with_mnemonic(group, names[k]);
    group = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(item));
    AddItem(w, menu, item, command, "activate", values[k]);
    if (items) items[k] = item;
  }
  return top;
}

// The slots' items say which hold a state, and since when, as the menu opens.
void OnStateMenuShown(GtkWidget*, gpointer data) {
  Parts& w = Self(data);
  if (!w.handlers.stateSlotLabel) return;
  for (int slot = 1; slot <= 9; ++slot) {
    if (w.slotItems[slot - 1]) {
      gtk_menu_item_set_label(GTK_MENU_ITEM(w.slotItems[slot - 1]), w.handlers.stateSlotLabel(slot).c_str());
    }
  }
}

// "État": save and load a slot, the slot to use (1 at start), fast-forward.
GtkWidget* BuildStateMenu(Parts& w) {
  GtkWidget* state = gtk_menu_item_new_with_mnemonic(Tr("Ét_at"));
  GtkWidget* menu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(state), menu);
  g_signal_connect(menu, "show", G_CALLBACK(OnStateMenuShown), &w);
  w.saveStateItem = AddItem(w, menu, gtk_menu_item_new_with_mnemonic(Tr("_Sauvegarder l'état")),
                            G_CALLBACK(OnSaveState), "activate");
  w.loadStateItem =
      AddItem(w, menu, gtk_menu_item_new_with_mnemonic(Tr("_Charger l'état")), G_CALLBACK(OnLoadState), "activate");
  gtk_menu_shell_append(GTK_MENU_SHELL(menu), gtk_separator_menu_item_new());
  GSList* group = nullptr;
  for (int slot = 1; slot <= 9; ++slot) {
    char name[64];
    std::snprintf(name, sizeof name, Tr("Emplacement _%d"), slot);
    GtkWidget* item = gtk_radio_menu_item_new_with_mnemonic(group, name);
    group = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(item));
    w.slotItems[slot - 1] = AddItem(w, menu, item, G_CALLBACK(OnStateSlot), "activate", slot);
  }
  gtk_menu_shell_append(GTK_MENU_SHELL(menu), gtk_separator_menu_item_new());
  w.fastForwardItem = AddItem(w, menu, gtk_check_menu_item_new_with_mnemonic(Tr("_Avance rapide")),
                              G_CALLBACK(OnFastForward), "toggled");
  w.emulatorPauseItem = AddItem(w, menu, gtk_check_menu_item_new_with_mnemonic(Tr("_Pause de l'émulation")),
                                G_CALLBACK(OnEmulatorPause), "toggled");
  return state;
}

void OnRecent(GtkMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  // The path is copied: loading rebuilds the menu, destroying this item.
  const std::string path = static_cast<const char*>(g_object_get_data(G_OBJECT(item), "path"));
  if (w.handlers.loadCartridge) w.handlers.loadCartridge(path.c_str());
}

void OnClearRecent(GtkMenuItem*, gpointer data) {
  Parts& w = Self(data);
  if (w.handlers.clearRecent) w.handlers.clearRecent();
  FocusGameLater(w);
}

void OnForgetMissingRecent(GtkMenuItem*, gpointer data) {
  Parts& w = Self(data);
  if (w.handlers.forgetMissingRecent) w.handlers.forgetMissingRecent();
  FocusGameLater(w);
}

// An image moved or deleted since it was listed cannot be chosen; the item
// that forgets such images is offered only while there is one.
void OnRecentMenuShown(GtkWidget* menu, gpointer data) {
  Parts& w = Self(data);
  bool missing = false;
  GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* at = items; at; at = at->next) {
    if (auto* path = static_cast<const char*>(g_object_get_data(G_OBJECT(at->data), "path"))) {
      const bool present = g_file_test(path, G_FILE_TEST_IS_REGULAR);
      gtk_widget_set_sensitive(GTK_WIDGET(at->data), present);
      missing = missing || !present;
    }
  }
  g_list_free(items);
  if (w.forgetMissingItem) gtk_widget_set_sensitive(w.forgetMissingItem, missing);
}

void FillRecentMenu(Parts& w) {
  if (!w.recentMenu) return;
  GList* items = gtk_container_get_children(GTK_CONTAINER(w.recentMenu));
  for (GList* at = items; at; at = at->next) gtk_widget_destroy(GTK_WIDGET(at->data));
  g_list_free(items);
  for (const std::string& path : w.recentImages) {
    gchar* name = g_filename_display_basename(path.c_str());
    GtkWidget* item = gtk_menu_item_new_with_label(name);
    g_free(name);
    gchar* shown = g_filename_display_name(path.c_str());
    gtk_widget_set_tooltip_text(item, shown);
    g_free(shown);
    g_object_set_data_full(G_OBJECT(item), "path", g_strdup(path.c_str()), g_free);
    AddItem(w, w.recentMenu, item, G_CALLBACK(OnRecent), "activate");
  }
  if (!w.recentImages.empty()) gtk_menu_shell_append(GTK_MENU_SHELL(w.recentMenu), gtk_separator_menu_item_new());
  w.forgetMissingItem = AddItem(w, w.recentMenu, gtk_menu_item_new_with_label(Tr("Retirer les images absentes")),
                                G_CALLBACK(OnForgetMissingRecent), "activate");
  GtkWidget* clear = AddItem(w, w.recentMenu, gtk_menu_item_new_with_label(Tr("Effacer la liste")),
                             G_CALLBACK(OnClearRecent), "activate");
  gtk_widget_set_sensitive(clear, !w.recentImages.empty());
  OnRecentMenuShown(w.recentMenu, &w);
  gtk_widget_show_all(w.recentMenu);
}

// The boot program's file, asked for once the menu has closed; "Aucun"
// takes the boot program out.
gboolean RunBiosChooser(gpointer data) {
  Parts& w = Self(data);
  constexpr int kResponseNone = 1;
  GtkWidget* dialog = KeptChooser(w.biosChooser, [&w] {
    return gtk_file_chooser_dialog_new(Tr("BIOS"), GTK_WINDOW(w.mainWindow), GTK_FILE_CHOOSER_ACTION_OPEN, Tr("_Aucun"),
                                       kResponseNone, Tr("_Annuler"), GTK_RESPONSE_CANCEL, Tr("_Ouvrir"),
                                       GTK_RESPONSE_ACCEPT, nullptr);
  });
  const std::string current = w.handlers.biosPath ? w.handlers.biosPath() : std::string();
  if (!current.empty()) gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(dialog), current.c_str());
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  char* path = response == GTK_RESPONSE_ACCEPT ? gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog)) : nullptr;
  gtk_widget_hide(dialog);
  if (w.handlers.chooseBios && (path || response == kResponseNone)) w.handlers.chooseBios(path);
  g_free(path);
  GameFocusAfterDialog(w);
  return G_SOURCE_REMOVE;
}

void OnBios(GtkMenuItem*, gpointer data) { g_idle_add(RunBiosChooser, data); }

// The port and its device in one value: port * kPortDevices + device.
void OnPort(GtkMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks || !gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item))) return;
  if (w.handlers.setPort) w.handlers.setPort(ItemValue(item) / kPortDevices, ItemValue(item) % kPortDevices);
  FocusGameLater(w);
}

void OnGlasses(GtkMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks || !gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item))) return;
  if (w.handlers.setGlassesView) w.handlers.setGlassesView(ItemValue(item));
  FocusGameLater(w);
}

void OnCloseCartridge(GtkMenuItem*, gpointer data) {
  Parts& w = Self(data);
  if (w.handlers.closeCartridge) w.handlers.closeCartridge();
  FocusGameLater(w);
}

// "Fichier": load, "Récents", the sound log, close the image, quit.
GtkWidget* BuildFileMenu(Parts& w) {
  GtkWidget* file = gtk_menu_item_new_with_mnemonic(Tr("_Fichier"));
  GtkWidget* fileMenu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(file), fileMenu);
  AddItem(w, fileMenu, gtk_menu_item_new_with_mnemonic(Tr("_Charger une ROM…")), G_CALLBACK(OnLoad), "activate");
  GtkWidget* recent = gtk_menu_item_new_with_mnemonic(Tr("R_écents"));
  w.recentMenu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(recent), w.recentMenu);
  g_signal_connect(w.recentMenu, "show", G_CALLBACK(OnRecentMenuShown), &w);
  gtk_menu_shell_append(GTK_MENU_SHELL(fileMenu), recent);
  FillRecentMenu(w);
  w.soundLogItem = AddItem(w, fileMenu, gtk_check_menu_item_new_with_mnemonic(Tr("Enregistrer le _son (VGM)…")),
                           G_CALLBACK(OnSoundLog), "toggled");
  AddItem(w, fileMenu, gtk_menu_item_new_with_mnemonic(Tr("_Fermer la ROM")), G_CALLBACK(OnCloseCartridge),
          "activate");
  AddItem(w, fileMenu, gtk_menu_item_new_with_mnemonic(Tr("_BIOS…")), G_CALLBACK(OnBios), "activate");
  AddItem(w, fileMenu, gtk_menu_item_new_with_mnemonic(Tr("_Quitter")), G_CALLBACK(OnQuit), "activate");
  return file;
}

void OnAboutResponse(GtkDialog* box, gint, gpointer data) {
  gtk_widget_destroy(GTK_WIDGET(box));
  GameFocusAfterDialog(Self(data));
}

void OnAboutDestroyed(GtkWidget*, gpointer data) { Self(data).aboutBox = nullptr; }

// Once on screen the box asks for the focus, as the message boxes do.
gboolean OnAboutMapped(GtkWidget* box, GdkEvent*, gpointer) {
  gtk_window_present(GTK_WINDOW(box));
  return FALSE;
}

// The README: the installed copy, else the one of the sources.
std::string ReadmeUri() {
  for (const char* path : {TAVRIN_README_INSTALLED, TAVRIN_README_SOURCE}) {
    if (!g_file_test(path, G_FILE_TEST_IS_REGULAR)) continue;
    gchar* uri = g_filename_to_uri(path, nullptr, nullptr);
    std::string result = uri ? uri : "";
    g_free(uri);
    if (!result.empty()) return result;
  }
  return {};
}

// The keys, two columns in a frame that scrolls.
GtkWidget* KeyListWidget(const Parts& w) {
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_column_spacing(GTK_GRID(grid), 18);
  gtk_grid_set_row_spacing(GTK_GRID(grid), 2);
  int row = 0;
  if (w.handlers.keyList) {
    for (const auto& [what, key] : w.handlers.keyList()) {
      GtkWidget* name = gtk_label_new(what.c_str());
      gtk_widget_set_halign(name, GTK_ALIGN_START);
      GtkWidget* bound = gtk_label_new(key.empty() ? Tr("(aucune)") : key.c_str());
      gtk_widget_set_halign(bound, GTK_ALIGN_START);
      gtk_grid_attach(GTK_GRID(grid), name, 0, row, 1, 1);
      gtk_grid_attach(GTK_GRID(grid), bound, 1, row, 1, 1);
      ++row;
    }
  }
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_min_content_height(GTK_SCROLLED_WINDOW(scrolled), 180);
  gtk_container_add(GTK_CONTAINER(scrolled), grid);
  GtkWidget* frame = gtk_frame_new(Tr("Touches"));
  gtk_container_add(GTK_CONTAINER(frame), scrolled);
  return frame;
}

gboolean RunAbout(gpointer data) {
  Parts& w = Self(data);
  if (w.aboutBox) {
    gtk_window_present(GTK_WINDOW(w.aboutBox));
    return G_SOURCE_REMOVE;
  }
  w.aboutBox = gtk_about_dialog_new();
  GtkAboutDialog* about = GTK_ABOUT_DIALOG(w.aboutBox);
  // Not transient for the strip: a window manager would hand the strip the
  // focus as the box closes, where the game window must have it.
  gtk_window_set_keep_above(GTK_WINDOW(w.aboutBox), TRUE);
  gtk_about_dialog_set_program_name(about, "Tavrin");
  gtk_about_dialog_set_version(about, TAVRIN_VERSION);
  gtk_about_dialog_set_logo_icon_name(about, nullptr);
  const std::string comments =
      Format(Tr("Émulateur Master System, Game Gear, SG-1000 et SC-3000.\nCompilé le %s."), TAVRIN_BUILD_DATE);
  gtk_about_dialog_set_comments(about, comments.c_str());
  gtk_about_dialog_set_license_type(about, GTK_LICENSE_MIT_X11);
  gtk_about_dialog_set_copyright(about, Tr("Licence MIT"));
  const std::string readme = ReadmeUri();
  if (!readme.empty()) {
    gtk_about_dialog_set_website(about, readme.c_str());
    gtk_about_dialog_set_website_label(about, Tr("Lisez-moi (README)"));
  }
  // After the name and the version, which set GTK's own title.
  gtk_window_set_title(GTK_WINDOW(w.aboutBox), Tr("À propos de Tavrin"));
  gtk_box_pack_end(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(w.aboutBox))), KeyListWidget(w), TRUE, TRUE, 6);
  g_signal_connect(w.aboutBox, "response", G_CALLBACK(OnAboutResponse), &w);
  g_signal_connect(w.aboutBox, "destroy", G_CALLBACK(OnAboutDestroyed), &w);
  g_signal_connect(w.aboutBox, "map-event", G_CALLBACK(OnAboutMapped), nullptr);
  gtk_widget_show_all(w.aboutBox);
  return G_SOURCE_REMOVE;
}

// Opened once the menu has let go of the keyboard.
void OnAbout(GtkMenuItem*, gpointer data) { g_idle_add(RunAbout, data); }

// "Aide": "À propos de Tavrin".
GtkWidget* BuildHelpMenu(Parts& w) {
  GtkWidget* help = gtk_menu_item_new_with_mnemonic(Tr("Aid_e"));
  GtkWidget* helpMenu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(help), helpMenu);
  AddItem(w, helpMenu, gtk_menu_item_new_with_mnemonic(Tr("À _propos de Tavrin")), G_CALLBACK(OnAbout), "activate");
  return help;
}

// "Taille de la fenêtre": 1 to 4 times the picture, and an item out of sight
// for any other size.
GtkWidget* BuildSizeMenu(Parts& w) {
  GtkWidget* size = gtk_menu_item_new_with_mnemonic(Tr("_Taille de la fenêtre"));
  GtkWidget* sizeMenu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(size), sizeMenu);
  const char* sizeNames[4] = {Tr("_Original"), Tr("_Double"), Tr("_Triple"), Tr("_Quadruple")};
  GSList* group = nullptr;
  for (int i = 0; i < 4; ++i) {
    GtkWidget* item = gtk_radio_menu_item_new_with_mnemonic(group, sizeNames[i]);
    group = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(item));
    w.sizeItems[i] = AddItem(w, sizeMenu, item, G_CALLBACK(OnSize), "activate", i + 1);
  }
  w.otherSizeItem = gtk_radio_menu_item_new(group);
  g_object_ref_sink(w.otherSizeItem);
  return size;
}

// "Volume": 0 to 100 % in steps of 25.
GtkWidget* BuildVolumeMenu(Parts& w) {
  GtkWidget* volume = gtk_menu_item_new_with_mnemonic(Tr("_Volume"));
  GtkWidget* volumeMenu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(volume), volumeMenu);
  GSList* volumeGroup = nullptr;
  for (int i = 0; i < kVolumeSteps; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, Tr("%d %%"), i * 25);
    GtkWidget* item = gtk_radio_menu_item_new_with_label(volumeGroup, name);
    volumeGroup = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(item));
    w.volumeItems[i] = AddItem(w, volumeMenu, item, G_CALLBACK(OnVolume), "activate", i * 25);
  }
  return volume;
}

// "Ports de manette": each port's device, and the 3-D glasses' view.
GtkWidget* BuildPortsMenu(Parts& w) {
  GtkWidget* ports = gtk_menu_item_new_with_mnemonic(Tr("P_orts de manette"));
  GtkWidget* portsMenu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(ports), portsMenu);
  const char* deviceNames[kPortDevices] = {Tr("_Manette"), Tr("_Pistolet optique"), Tr("P_addle"), Tr("_Sports Pad"),
                                           Tr("_Lunettes 3-D")};
  for (int port = 0; port < 2; ++port) {
    int values[kPortDevices];
    for (int device = 0; device < kPortDevices; ++device) values[device] = port * kPortDevices + device;
    char caption[32];
    std::snprintf(caption, sizeof caption, Tr("Port _%d"), port + 1);
    gtk_menu_shell_append(GTK_MENU_SHELL(portsMenu), RadioSubmenu(w, caption, deviceNames, values, kPortDevices,
                                                                  G_CALLBACK(OnPort), w.portItems[port]));
  }
  const char* viewNames[] = {Tr("Œil _gauche"), Tr("_Rouge-cyan")};
  const int viewValues[] = {0, 1};
  gtk_menu_shell_append(GTK_MENU_SHELL(portsMenu), RadioSubmenu(w, Tr("Vue des _lunettes 3-D"), viewNames, viewValues,
                                                                2, G_CALLBACK(OnGlasses), w.glassesItems));
  return ports;
}

void OnFilter(GtkMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks || !gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item))) return;
  if (w.handlers.setFilter) w.handlers.setFilter(ItemValue(item));
  FocusGameLater(w);
}

void OnLcdGhosting(GtkCheckMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks) return;
  if (w.handlers.setLcdGhosting) w.handlers.setLcdGhosting(gtk_check_menu_item_get_active(item));
  FocusGameLater(w);
}

void OnPixelAspect(GtkCheckMenuItem* item, gpointer data) {
  Parts& w = Self(data);
  if (w.settingChecks) return;
  if (w.handlers.setPixelAspect) w.handlers.setPixelAspect(gtk_check_menu_item_get_active(item));
  FocusGameLater(w);
}

// The picture's look in "Options": "Filtre" (the filters, then the Game
// Gear's slow screen, which goes with any of them) and "Pixels 8:7".
void AddPictureItems(Parts& w, GtkWidget* optionsMenu) {
  const char* filterNames[kFilters] = {Tr("Pixels _nets"), Tr("_Lissage"), Tr("Lignes de _balayage"),
                                       Tr("_Grille LCD")};
  const int filterValues[kFilters] = {0, 1, 2, 3};
  GtkWidget* filter = RadioSubmenu(w, Tr("F_iltre"), filterNames, filterValues, kFilters, G_CALLBACK(OnFilter),
                                   w.filterItems);
  GtkWidget* filterMenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(filter));
  gtk_menu_shell_append(GTK_MENU_SHELL(filterMenu), gtk_separator_menu_item_new());
  w.ghostingItem = AddItem(w, filterMenu, gtk_check_menu_item_new_with_mnemonic(Tr("_Rémanence LCD (Game Gear)")),
                           G_CALLBACK(OnLcdGhosting), "toggled");
  gtk_menu_shell_append(GTK_MENU_SHELL(optionsMenu), filter);
  w.pixelAspectItem = AddItem(w, optionsMenu, gtk_check_menu_item_new_with_mnemonic(Tr("Pi_xels 8:7 (téléviseur)")),
                              G_CALLBACK(OnPixelAspect), "toggled");
}

// "Options": the console's marks, the window's size and scaling, the sound,
// the keys, the board and the console.
GtkWidget* BuildOptionsMenu(Parts& w) {
  GtkWidget* options = gtk_menu_item_new_with_mnemonic(Tr("_Options"));
  GtkWidget* optionsMenu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(options), optionsMenu);
  w.palItem = AddItem(w, optionsMenu, gtk_check_menu_item_new_with_mnemonic(Tr("_PAL")), G_CALLBACK(OnPal), "toggled");
  w.japaneseItem = AddItem(w, optionsMenu, gtk_check_menu_item_new_with_mnemonic(Tr("_Marque japonaise III")),
                           G_CALLBACK(OnJapanese), "toggled");
  w.fmUnitItem =
      AddItem(w, optionsMenu, gtk_check_menu_item_new_with_mnemonic(Tr("Unité _FM")), G_CALLBACK(OnFmUnit), "toggled");
  w.spriteLimitItem = AddItem(w, optionsMenu, gtk_check_menu_item_new_with_mnemonic(Tr("Sans _limite de sprites")),
                              G_CALLBACK(OnNoSpriteLimit), "toggled");
  gtk_menu_shell_append(GTK_MENU_SHELL(optionsMenu), BuildSizeMenu(w));
  w.wholeScalesItem = AddItem(w, optionsMenu, gtk_check_menu_item_new_with_mnemonic(Tr("Échelle _entière")),
                              G_CALLBACK(OnWholeScales), "toggled");
  AddPictureItems(w, optionsMenu);
  w.fullscreenItem = AddItem(w, optionsMenu, gtk_check_menu_item_new_with_mnemonic(Tr("Plein é_cran")),
                             G_CALLBACK(OnFullscreen), "toggled");
  gtk_menu_shell_append(GTK_MENU_SHELL(optionsMenu), BuildVolumeMenu(w));
  AddItem(w, optionsMenu, gtk_menu_item_new_with_mnemonic(Tr("To_uches…")), G_CALLBACK(OnKeys), "activate");
  // The board and the console apply to the image running (it is loaded
  // again) and to the next ones.
  const char* boardNames[] = {Tr("_Automatique"), Tr("_Sega"),        Tr("_Codemasters"), Tr("C_oréenne"),
                              Tr("Coréenne _8 Ko"), Tr("_Multi-jeux"), Tr("Sa_ns mappeur")};
  const int boardValues[] = {-1, 1, 2, 3, 4, 5, 0};
  gtk_menu_shell_append(GTK_MENU_SHELL(optionsMenu),
                        RadioSubmenu(w, Tr("Ca_rte"), boardNames, boardValues, 7, G_CALLBACK(OnBoard)));
  const char* consoleNames[] = {Tr("Selon l'_image"), Tr("_Master System"), Tr("_Game Gear"), Tr("_SG-1000"),
                                Tr("S_C-3000")};
  const int consoleValues[] = {0, 1, 2, 3, 4};
  gtk_menu_shell_append(GTK_MENU_SHELL(optionsMenu),
                        RadioSubmenu(w, Tr("Con_sole"), consoleNames, consoleValues, 5, G_CALLBACK(OnConsoleKind)));
  gtk_menu_shell_append(GTK_MENU_SHELL(optionsMenu), BuildPortsMenu(w));
  return options;
}

GtkWidget* BuildMenuBar(Parts& w) {
  GtkWidget* bar = gtk_menu_bar_new();
  w.menuBar = bar;
  gtk_menu_shell_append(GTK_MENU_SHELL(bar), BuildFileMenu(w));
  gtk_menu_shell_append(GTK_MENU_SHELL(bar), BuildOptionsMenu(w));
  gtk_menu_shell_append(GTK_MENU_SHELL(bar), BuildStateMenu(w));
  if (w.handlers.debugMenu) {
    gtk_menu_shell_append(GTK_MENU_SHELL(bar), w.handlers.debugMenu([&w] { FocusGameLater(w); }));
  }
  gtk_menu_shell_append(GTK_MENU_SHELL(bar), BuildHelpMenu(w));

  // "&Redémarrer" is a command right on the menu bar.
  w.resetItem = AddItem(w, bar, gtk_menu_item_new_with_mnemonic(Tr("_Redémarrer")), G_CALLBACK(OnReset), "activate");
  g_signal_connect(bar, "button-release-event", G_CALLBACK(OnBarButtonRelease), &w);

  // Check marks at start: the display window opens at twice the picture's size.
  SetCheckQuietly(w, w.sizeItems[1], true);
  SetCheckQuietly(w, w.volumeItems[kVolumeSteps - 1], true);
  return bar;
}

// Every GTK window (the main window, dialogs, message boxes) shows the
// program's icon: the installed theme's where it has one, else the copy
// compiled into the program.
void SetDefaultIcon() {
  GtkIconTheme* theme = gtk_icon_theme_get_default();
  if (theme && gtk_icon_theme_has_icon(theme, kAppId)) {
    gtk_window_set_default_icon_name(kAppId);
    return;
  }
  const AppIconPixels& icon = AppIcon();
  if (icon.width == 0) return;
  // The pixels live as long as the program; the pixbuf only points at them.
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_data(icon.rgba.data(), GDK_COLORSPACE_RGB, TRUE, 8, icon.width,
                                               icon.height, icon.width * 4, nullptr, nullptr);
  gtk_window_set_default_icon(pixbuf);
  g_object_unref(pixbuf);
}

gboolean ReturnLentMenus(gpointer data) {
  Parts& w = Self(data);
  for (auto& [barItem, menu] : w.lentMenus) {
    if (GtkWidget* holder = gtk_menu_get_attach_widget(GTK_MENU(menu))) {
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(holder), nullptr);
    }
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(barItem), menu);
    g_object_unref(menu);
  }
  w.lentMenus.clear();
  if (w.popupMenu) gtk_widget_destroy(w.popupMenu);
  w.popupMenu = nullptr;
  return G_SOURCE_REMOVE;
}

// An item's command runs after "deactivate": the menus go back once it has.
void OnPopupDeactivate(GtkMenuShell*, gpointer data) {
  Parts& w = Self(data);
  g_idle_add(ReturnLentMenus, &w);
  FocusGameLater(w);
}

gboolean LoadDropped(gpointer data) {
  Parts& w = Self(data);
  const std::string path = w.droppedPath;
  w.droppedPath.clear();
  if (!path.empty() && w.handlers.loadCartridge) w.handlers.loadCartridge(path.c_str());
  return G_SOURCE_REMOVE;
}

// A file dropped on the strip loads as "Charger une ROM" would load it, once
// the drop is over (a box about a bad image must not run inside it).
void OnDragDataReceived(GtkWidget*, GdkDragContext* context, gint, gint, GtkSelectionData* selection, guint, guint time,
                        gpointer data) {
  Parts& w = Self(data);
  const guchar* bytes = selection ? gtk_selection_data_get_data(selection) : nullptr;
  const gint length = selection ? gtk_selection_data_get_length(selection) : -1;
  std::string path;
  if (bytes && length > 0) path = FirstPathInUriList(std::string(reinterpret_cast<const char*>(bytes), length).c_str());
  gtk_drag_finish(context, !path.empty(), FALSE, time);
  if (path.empty()) return;
  if (w.droppedPath.empty()) g_idle_add(LoadDropped, &w);
  w.droppedPath = path;
}

}  // namespace

void MainWindow::PopupMenu() {
  Parts& w = *parts;
  if (!w.menuBar || w.popupMenu) return;
  w.popupMenu = gtk_menu_new();
  GList* items = gtk_container_get_children(GTK_CONTAINER(w.menuBar));
  for (GList* at = items; at; at = at->next) {
    GtkWidget* barItem = GTK_WIDGET(at->data);
    GtkWidget* item = gtk_menu_item_new_with_mnemonic(gtk_menu_item_get_label(GTK_MENU_ITEM(barItem)));
    if (GtkWidget* menu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(barItem))) {
      g_object_ref(menu);
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(barItem), nullptr);
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), menu);
      w.lentMenus.emplace_back(barItem, menu);
    } else if (barItem == w.resetItem) {
      g_signal_connect(item, "activate", G_CALLBACK(OnReset), &w);
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(w.popupMenu), item);
  }
  g_list_free(items);
  g_signal_connect(w.popupMenu, "deactivate", G_CALLBACK(OnPopupDeactivate), &w);
  gtk_widget_show_all(w.popupMenu);
  // The click came to SDL's window, not to a GTK one: there is no GTK event
  // to place the menu by, so it opens at the pointer the older way.
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gtk_menu_popup(GTK_MENU(w.popupMenu), nullptr, nullptr, nullptr, nullptr, 3, GDK_CURRENT_TIME);
  G_GNUC_END_IGNORE_DEPRECATIONS
}

std::string FirstPathInUriList(const char* text) {
  if (!text) return {};
  gchar** uris = g_uri_list_extract_uris(text);
  std::string path;
  for (gchar** uri = uris; uri && *uri && path.empty(); ++uri) {
    if (gchar* file = g_filename_from_uri(*uri, nullptr, nullptr)) {
      path = file;
      g_free(file);
    }
  }
  g_strfreev(uris);
  return path;
}

bool GtkHostInit() {
  // GTK is initialised once it has opened its default display.
  if (gdk_display_get_default()) return true;
  // WM_CLASS "tavrin", "Tavrin" on every window, as on the display window:
  // GDK takes the class from the program name with a capital first letter.
  // (gdk_set_program_class would say it outright, but GDK then loses track
  // of the copy it made, which the sanitizer build reports as a leak.)
  g_set_prgname(kWindowResName);
  const bool initialised = gtk_init_check(nullptr, nullptr);
  // GTK has taken the whole locale from the environment; numbers are still
  // written the C way (a French locale's decimal comma would change the
  // figures and log lines the program prints).
  std::setlocale(LC_NUMERIC, "C");
  if (initialised) SetDefaultIcon();
  return initialised;
}

std::string MainWindowCaption() {
  char caption[128];
  std::snprintf(caption, sizeof caption, Tr("%s %s    (Compilation : %s)"), "Tavrin", TAVRIN_VERSION, TAVRIN_BUILD_DATE);
  return caption;
}

MainWindow::MainWindow() : parts(std::make_unique<Parts>()) {}

MainWindow::~MainWindow() { Destroy(); }

bool MainWindow::Create(const MainWindowCommands& commands) {
  LogPrintf("Creating Main Toolbar Window\n");
  if (!GtkHostInit()) return false;
  Parts& w = *parts;
  w.handlers = commands;

  w.mainWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  if (!w.mainWindow) return false;
  gtk_window_set_title(GTK_WINDOW(w.mainWindow), MainWindowCaption().c_str());
  gtk_window_set_keep_above(GTK_WINDOW(w.mainWindow), TRUE);
  // The strip is mapped after the display window; a window manager would
  // hand it the focus, and the console would wait for a click.
  gtk_window_set_focus_on_map(GTK_WINDOW(w.mainWindow), FALSE);

  // A strip as wide as the screen's work area, as tall as the menu bar.
  int width = 800;
  GdkDisplay* display = gdk_display_get_default();
  if (GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr) {
    GdkRectangle area;
    gdk_monitor_get_workarea(monitor, &area);
    width = area.width;
  } else if (display && gdk_display_get_n_monitors(display) > 0) {
    GdkRectangle area;
    gdk_monitor_get_workarea(gdk_display_get_monitor(display, 0), &area);
    width = area.width;
  }
  gtk_window_set_default_size(GTK_WINDOW(w.mainWindow), width, 1);
  gtk_window_move(GTK_WINDOW(w.mainWindow), 0, 0);

  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_pack_start(GTK_BOX(box), BuildMenuBar(w), FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(w.mainWindow), box);

  g_signal_connect(w.mainWindow, "destroy", G_CALLBACK(OnDestroy), &w);
  g_signal_connect(w.mainWindow, "key-press-event", G_CALLBACK(OnKeyPress), nullptr);
  gtk_drag_dest_set(w.mainWindow, GTK_DEST_DEFAULT_ALL, nullptr, 0, GDK_ACTION_COPY);
  gtk_drag_dest_add_uri_targets(w.mainWindow);
  g_signal_connect(w.mainWindow, "drag-data-received", G_CALLBACK(OnDragDataReceived), &w);
  return true;
}

void MainWindow::Show() {
  Parts& w = *parts;
  if (w.mainWindow) gtk_widget_show_all(w.mainWindow);
}

void MainWindow::SetJapaneseCheck(bool on) {
  Parts& w = *parts;
  SetCheckQuietly(w, w.japaneseItem, on);
}

void MainWindow::SetFmUnitCheck(bool on) {
  Parts& w = *parts;
  SetCheckQuietly(w, w.fmUnitItem, on);
}

void MainWindow::SetSoundLogCheck(bool on) {
  Parts& w = *parts;
  SetCheckQuietly(w, w.soundLogItem, on);
}
void MainWindow::SetPalCheck(bool on) {
  Parts& w = *parts;
  SetCheckQuietly(w, w.palItem, on);
}

void MainWindow::SetNoSpriteLimitCheck(bool on) {
  Parts& w = *parts;
  SetCheckQuietly(w, w.spriteLimitItem, on);
}

void MainWindow::SetScaleCheck(int scale) {
  Parts& w = *parts;
  SetCheckQuietly(w, scale >= 1 && scale <= 4 ? w.sizeItems[scale - 1] : w.otherSizeItem, true);
}

void MainWindow::SetWholeScalesCheck(bool on) {
  Parts& w = *parts;
  SetCheckQuietly(w, w.wholeScalesItem, on);
}

void MainWindow::SetStateSlotCheck(int slot) {
  Parts& w = *parts;
  if (slot >= 1 && slot <= 9) SetCheckQuietly(w, w.slotItems[slot - 1], true);
}

void MainWindow::SetFilterCheck(int filter) {
  if (filter >= 0 && filter < kFilters) SetCheckQuietly(*parts, parts->filterItems[filter], true);
}

void MainWindow::SetLcdGhostingCheck(bool on) { SetCheckQuietly(*parts, parts->ghostingItem, on); }

void MainWindow::SetPixelAspectCheck(bool on) { SetCheckQuietly(*parts, parts->pixelAspectItem, on); }

void MainWindow::SetVolumeCheck(int percent) {
  Parts& w = *parts;
  SetCheckQuietly(w, w.volumeItems[(std::clamp(percent, 0, 100) + 12) / 25], true);
}

void MainWindow::SetFullscreenCheck(bool on) {
  Parts& w = *parts;
  SetCheckQuietly(w, w.fullscreenItem, on);
}

void MainWindow::SetShortcuts(const MenuShortcuts& shortcuts) {
  Parts& w = *parts;
  ShowShortcut(w.saveStateItem, shortcuts.saveState);
  ShowShortcut(w.loadStateItem, shortcuts.loadState);
  ShowShortcut(w.fastForwardItem, shortcuts.fastForward);
  ShowShortcut(w.fullscreenItem, shortcuts.fullscreen);
  ShowShortcut(w.emulatorPauseItem, shortcuts.emulatorPause);
}

void MainWindow::SetEmulatorPauseCheck(bool on) { SetCheckQuietly(*parts, parts->emulatorPauseItem, on); }

void MainWindow::SetPortCheck(int port, int device) {
  if (port < 0 || port > 1 || device < 0 || device >= kPortDevices) return;
  SetCheckQuietly(*parts, parts->portItems[port][device], true);
}

void MainWindow::SetGlassesCheck(int view) {
  if (view == 0 || view == 1) SetCheckQuietly(*parts, parts->glassesItems[view], true);
}

void MainWindow::SetRecentImages(const std::vector<std::string>& paths) {
  Parts& w = *parts;
  w.recentImages = paths;
  FillRecentMenu(w);
}

void MainWindow::SetLoadFolder(const std::string& folder) { parts->chooserFolder = folder; }

void MainWindow::Destroy() {
  Parts& w = *parts;
  for (GtkWidget* box : std::vector<GtkWidget*>(w.openBoxes)) gtk_widget_destroy(box);
  w.openBoxes.clear();
  if (w.aboutBox) gtk_widget_destroy(w.aboutBox);
  ReturnLentMenus(&w);
  if (!w.mainWindow) return;
  w.handlers.destroyed = nullptr;
  gtk_widget_destroy(w.mainWindow);
  w.mainWindow = nullptr;
  w.recentMenu = nullptr;
  w.menuBar = nullptr;
  w.resetItem = nullptr;
  w.fullscreenItem = nullptr;
  w.wholeScalesItem = nullptr;
  w.saveStateItem = w.loadStateItem = w.fastForwardItem = w.emulatorPauseItem = nullptr;
  for (GtkWidget*& item : w.volumeItems) item = nullptr;
  for (GtkWidget*& item : w.slotItems) item = nullptr;
  for (GtkWidget*& item : w.sizeItems) item = nullptr;
  for (auto& items : w.portItems) {
    for (GtkWidget*& item : items) item = nullptr;
  }
  for (GtkWidget*& item : w.glassesItems) item = nullptr;
  for (GtkWidget*& item : w.filterItems) item = nullptr;
  w.ghostingItem = w.pixelAspectItem = nullptr;
  if (w.otherSizeItem) g_object_unref(w.otherSizeItem);
  w.otherSizeItem = nullptr;
}

void GtkHandlePendingEvents() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

namespace {

// A shutdown signal that came while a modal box was up.
struct SignalDuringBox {
  GtkDialog* box;
  int number;
  bool received;
};

gboolean OnSignalDuringBox(gpointer data) {
  auto* watch = static_cast<SignalDuringBox*>(data);
  watch->received = true;
  gtk_dialog_response(watch->box, GTK_RESPONSE_CLOSE);
  return G_SOURCE_CONTINUE;
}

}  // namespace

void MainWindow::FocusGameAfterDialog() { GameFocusAfterDialog(*parts); }

void MainWindow::MessageBox(const char* text, const char* title) {
  if (!GtkHostInit()) return;
  Parts& w = *parts;
  GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER, GTK_BUTTONS_OK, "%s", text);
  gtk_window_set_title(GTK_WINDOW(box), title);
  gtk_window_set_keep_above(GTK_WINDOW(box), TRUE);
  // gtk_dialog_run turns only GTK's loop, so a SIGTERM or SIGINT (which SDL
  // turns into a quit event for the program's own loop) would wait behind
  // the box for a click. The box asks nothing: while it is up GLib takes
  // those signals and closes it, and the signal is then handed back to the
  // handler the program had before.
  SignalDuringBox watches[] = {{GTK_DIALOG(box), SIGTERM, false}, {GTK_DIALOG(box), SIGINT, false}};
  struct sigaction before[std::size(watches)];
  guint sources[std::size(watches)];
  for (std::size_t i = 0; i < std::size(watches); ++i) {
    sigaction(watches[i].number, nullptr, &before[i]);
    sources[i] = g_unix_signal_add(watches[i].number, OnSignalDuringBox, &watches[i]);
  }
  gtk_dialog_run(GTK_DIALOG(box));
  for (std::size_t i = 0; i < std::size(watches); ++i) {
    g_source_remove(sources[i]);
    sigaction(watches[i].number, &before[i], nullptr);
  }
  gtk_widget_destroy(box);
  GameFocusAfterDialog(w);
  for (const SignalDuringBox& watch : watches) {
    if (watch.received) raise(watch.number);
  }
}

namespace {
void OnBoxResponse(GtkDialog* box, gint, gpointer data) {
  Parts& w = Self(data);
  auto* check = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(box), "choice"));
  auto* chosen = static_cast<std::function<void()>*>(g_object_get_data(G_OBJECT(box), "chosen"));
  if (check && chosen && *chosen && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(check))) (*chosen)();
  gtk_widget_destroy(GTK_WIDGET(box));
  GameFocusAfterDialog(w);
}
void OnBoxDestroyed(GtkWidget* box, gpointer data) {
  Parts& w = Self(data);
  std::erase(w.openBoxes, box);
  std::erase(w.focusedBoxes, box);
}
// Once on screen the box asks for the focus (through the window manager, or
// straight from the server when there is none).
gboolean OnBoxMapped(GtkWidget* box, GdkEvent*, gpointer) {
  gtk_window_present(GTK_WINDOW(box));
  return FALSE;
}

void OpenBox(Parts& w, const char* text, const char* title, bool takeFocus, const char* choice = nullptr,
             std::function<void()> chosen = {}) {
  if (!GtkHostInit()) return;
  GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_DESTROY_WITH_PARENT, GTK_MESSAGE_OTHER, GTK_BUTTONS_OK,
                                          "%s", text);
  gtk_window_set_title(GTK_WINDOW(box), title);
  gtk_window_set_keep_above(GTK_WINDOW(box), TRUE);
  // A box that does not take the focus leaves the game going on under it.
  gtk_window_set_focus_on_map(GTK_WINDOW(box), takeFocus ? TRUE : FALSE);
  g_signal_connect(box, "response", G_CALLBACK(OnBoxResponse), &w);
  g_signal_connect(box, "destroy", G_CALLBACK(OnBoxDestroyed), &w);
  if (choice) {
    GtkWidget* check = gtk_check_button_new_with_mnemonic(choice);
    gtk_box_pack_end(GTK_BOX(gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(box))), check, FALSE, FALSE, 0);
    g_object_set_data(G_OBJECT(box), "choice", check);
    // The command lives as long as the box.
    g_object_set_data_full(G_OBJECT(box), "chosen", new std::function<void()>(std::move(chosen)),
                           [](gpointer command) { delete static_cast<std::function<void()>*>(command); });
    // Given the focus, Space ticks it and Escape or the button closes the box.
    gtk_widget_grab_focus(check);
  }
  if (takeFocus) {
    g_signal_connect(box, "map-event", G_CALLBACK(OnBoxMapped), nullptr);
    w.focusedBoxes.push_back(box);
  }
  w.openBoxes.push_back(box);
  gtk_widget_show_all(box);
}
}  // namespace

void MainWindow::MessageBoxLater(const char* text, const char* title) { OpenBox(*parts, text, title, false); }

void MainWindow::MessageBoxFocused(const char* text, const char* title) { OpenBox(*parts, text, title, true); }

void MainWindow::MessageBoxLaterWithChoice(const char* text, const char* title, const char* choice,
                                           std::function<void()> chosen) {
  OpenBox(*parts, text, title, false, choice, std::move(chosen));
}

bool MainWindow::FocusedBoxOpen() const { return !parts->focusedBoxes.empty(); }

bool MainWindow::AboutBoxOpen() const { return parts->aboutBox != nullptr; }
