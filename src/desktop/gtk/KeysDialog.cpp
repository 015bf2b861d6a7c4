#include "desktop/gtk/KeysDialog.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>

#include "host/i18n/Translate.h"
#include "host/input/ScKeyMap.h"

namespace {

constexpr int kColumns = 3;  // the keyboard, pad 1, pad 2
constexpr int kResponseDefaults = 1;
constexpr int kHeldMax = 32;
constexpr int kPadPollMs = 20;

// A pad's input as the dialog shows it, in the player's language; the
// settings file keeps FormatPadInput's words.
std::string ShownPadInput(const PadInput& input) {
  static constexpr const char* kHats[4] = {TrLater("haut"), TrLater("droite"), TrLater("bas"), TrLater("gauche")};
  switch (input.kind) {
    case PadInput::Button: return Format(Tr("bouton %d"), input.index);
    case PadInput::AxisMinus: return Format(Tr("axe %d-"), input.index);
    case PadInput::AxisPlus: return Format(Tr("axe %d+"), input.index);
    case PadInput::Hat:
      for (int bit = 0; bit < 4; ++bit) {
        if (input.hat == 1 << bit) return Format(Tr("croix %d %s"), input.index, Tr(kHats[bit]));
      }
      return {};
    case PadInput::None: break;
  }
  return {};
}

std::string ShownPadInputs(const PadInputs& list) {
  std::string text;
  for (const PadInput& input : list) {
    if (input.kind == PadInput::None) continue;
    if (!text.empty()) text += ", ";
    text += ShownPadInput(input);
  }
  return text;
}

struct Capture {
  bool active = false;
  int row = -1;
  int column = -1;
  PadInput alreadyHeld[kHeldMax];  // held when the capture began: not taken
  int alreadyCount = 0;
  guint timer = 0;
};

}  // namespace

struct KeysDialog::Parts {
  GtkWidget* dialog = nullptr;
  GtkWidget* cells[kControlCount][kColumns] = {};
  GtkWidget* status = nullptr;
  KeysDialogSetup setup;
  std::string note;      // what the last change did, until the next one
  int robbedRow = -1;    // the control the last change left without a binding
  int robbedColumn = -1;
  Capture capture;
};

namespace {

using Parts = KeysDialog::Parts;

// The dialog's parts, as a signal's user data.
Parts& Self(gpointer data) { return *static_cast<Parts*>(data); }

std::string RowLabel(int row) {
  // Marked for the catalog here, looked up below.
  static constexpr const char* kLabels[] = {
      TrLater("Manette 1 : haut"), TrLater("Manette 1 : bas"), TrLater("Manette 1 : gauche"),
      TrLater("Manette 1 : droite"), TrLater("Manette 1 : bouton 1"), TrLater("Manette 1 : bouton 2"),
      TrLater("Manette 2 : haut"), TrLater("Manette 2 : bas"), TrLater("Manette 2 : gauche"),
      TrLater("Manette 2 : droite"), TrLater("Manette 2 : bouton 1"), TrLater("Manette 2 : bouton 2"),
      TrLater("Start (Game Gear)"), TrLater("Pause"), TrLater("Réinitialisation"),
      TrLater("Afficher les images par seconde"), TrLater("Masquer les sprites"), TrLater("Plein écran"),
      TrLater("Capture d'écran"), TrLater("Couper le son"), TrLater("Retour en arrière (maintenue)"),
      TrLater("Avance rapide (maintenue)"),
  };
  if (row < static_cast<int>(std::size(kLabels))) return Tr(kLabels[row]);
  if (row == static_cast<int>(Control::EmulatorPause)) return Tr("Pause de l'émulation");
  const int slot = row - static_cast<int>(Control::Slot1) + 1;
  return Format(Tr("Charger l'état %d (Maj : sauvegarder)"), slot);
}

}  // namespace

std::string ControlLabel(Control control) { return RowLabel(static_cast<int>(control)); }

namespace {

// The index in a pad's table of the row's control, -1 where the pad in
// `slot` has none: a pad's own directions and buttons are its Pad1 rows.
int PadIndex(int row, int slot) {
  if (row < static_cast<int>(Control::Pad2Up)) return slot == 0 ? row : -1;
  if (row < static_cast<int>(Control::Start)) return slot == 1 ? row - static_cast<int>(Control::Pad2Up) : -1;
  return PadBinds(static_cast<Control>(row)) ? row : -1;
}

int RowOfPadIndex(int index, int slot) {
  return index < static_cast<int>(Control::Pad2Up) && slot == 1 ? index + static_cast<int>(Control::Pad2Up) : index;
}

std::string KeyText(Parts& d, std::uint8_t scan) { return scan && d.setup.keyName ? d.setup.keyName(scan) : std::string(); }

std::string CellText(Parts& d, int row, int column) {
  if (column == 0) return KeyText(d, d.setup.keys.scan[row]);
  const int index = PadIndex(row, column - 1);
  return index < 0 ? std::string() : ShownPadInputs(d.setup.pads[column - 1].table.inputs[index]);
}

// The first two rows of a column sharing a key or input, and what they share.
bool FindConflict(Parts& d, int column, int& first, int& second, std::string& shared) {
  for (int a = 0; a < kControlCount; ++a) {
    for (int b = a + 1; b < kControlCount; ++b) {
      if (column == 0) {
        if (d.setup.keys.scan[a] != 0 && d.setup.keys.scan[a] == d.setup.keys.scan[b]) {
          first = a, second = b, shared = KeyText(d, d.setup.keys.scan[a]);
          return true;
        }
        continue;
      }
      const int slot = column - 1;
      const int ia = PadIndex(a, slot);
      const int ib = PadIndex(b, slot);
      if (ia < 0 || ib < 0) continue;
      for (const PadInput& x : d.setup.pads[slot].table.inputs[ia]) {
        for (const PadInput& y : d.setup.pads[slot].table.inputs[ib]) {
          if (x.kind != PadInput::None && x == y) {
            first = a, second = b, shared = ShownPadInput(x);
            return true;
          }
        }
      }
    }
  }
  return false;
}

void SetCell(Parts& d, int row, int column, const std::string& text, bool marked) {
  GtkWidget* label = gtk_bin_get_child(GTK_BIN(d.cells[row][column]));
  const std::string shown = text.empty() ? Tr("(aucune)") : text;
  gchar* escaped = g_markup_escape_text(shown.c_str(), -1);
  const std::string markup =
      marked ? std::string("<span foreground=\"#c01c28\" weight=\"bold\">") + escaped + "</span>" : escaped;
  g_free(escaped);
  gtk_label_set_markup(GTK_LABEL(label), markup.c_str());
}

void Refresh(Parts& d) {
  if (!d.dialog) return;
  bool conflict[kControlCount][kColumns] = {};
  std::string conflictNote;
  for (int column = 0; column < kColumns; ++column) {
    int first = 0, second = 0;
    std::string shared;
    if (FindConflict(d, column, first, second, shared)) {
      conflict[first][column] = conflict[second][column] = true;
      if (conflictNote.empty()) {
        conflictNote = Format(Tr("Conflit : %s sert à « %s » et à « %s »."), shared.c_str(),
                              RowLabel(first).c_str(), RowLabel(second).c_str());
      }
    }
  }
  for (int row = 0; row < kControlCount; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      if (!d.cells[row][column]) continue;
      if (d.capture.active && d.capture.row == row && d.capture.column == column) {
        SetCell(d, row, column, Tr("Appuyez…"), true);
        continue;
      }
      const bool robbed = row == d.robbedRow && column == d.robbedColumn;
      SetCell(d, row, column, CellText(d, row, column), conflict[row][column] || robbed);
    }
  }
  std::string text = d.note;
  if (d.capture.active) {
    text = d.capture.column == 0 ? Tr("Appuyez sur la touche voulue (Échap pour annuler).")
                               : Tr("Appuyez sur un bouton de la manette ou poussez un stick (Échap pour annuler).");
  } else if (!conflictNote.empty()) {
    text = conflictNote;
  }
  gtk_label_set_text(GTK_LABEL(d.status), text.c_str());
  const std::string title = d.capture.active ? std::string(Tr("Touches")) + " — " + Tr("Appuyez…") : Tr("Touches");
  gtk_window_set_title(GTK_WINDOW(d.dialog), title.c_str());
}

void EndCapture(Parts& d) {
  if (d.capture.timer) g_source_remove(d.capture.timer);
  d.capture = Capture{};
}

void NoteRobbed(Parts& d, int row, int column, const std::string& what) {
  d.robbedRow = row;
  d.robbedColumn = column;
  d.note = row < 0 ? std::string() : Format(Tr("%s servait à « %s », qui n'en a plus."), what.c_str(), RowLabel(row).c_str());
}

void BindKey(Parts& d, int row, std::uint8_t scan) {
  const int robbed = d.setup.keys.Bind(static_cast<Control>(row), scan);
  NoteRobbed(d, robbed, 0, KeyText(d, scan));
  if (d.setup.keysChanged) d.setup.keysChanged(d.setup.keys);
}

void BindPad(Parts& d, int row, int slot, const PadInput& input) {
  const int index = PadIndex(row, slot);
  if (index < 0) return;
  PadTable& table = d.setup.pads[slot].table;
  const int robbed = table.Bind(static_cast<Control>(index), input);
  NoteRobbed(d, robbed < 0 ? -1 : RowOfPadIndex(robbed, slot), slot + 1, ShownPadInput(input));
  if (d.setup.padChanged) d.setup.padChanged(slot, table);
}

bool Contains(const PadInput* list, int count, const PadInput& input) {
  return std::find(list, list + count, input) != list + count;
}

// While a pad's cell waits: the first input pushed that was not already held.
gboolean PollPad(gpointer data) {
  Parts& d = Self(data);
  const int slot = d.capture.column - 1;
  PadInput held[kHeldMax];
  const int count = d.setup.heldInputs ? d.setup.heldInputs(slot, held, kHeldMax) : 0;
  // An input let go since the capture began counts again once pushed anew.
  int kept = 0;
  for (int i = 0; i < d.capture.alreadyCount; ++i) {
    if (Contains(held, count, d.capture.alreadyHeld[i])) d.capture.alreadyHeld[kept++] = d.capture.alreadyHeld[i];
  }
  d.capture.alreadyCount = kept;
  for (int i = 0; i < count; ++i) {
    if (Contains(d.capture.alreadyHeld, d.capture.alreadyCount, held[i])) continue;
    const int row = d.capture.row;
    d.capture.timer = 0;  // this source ends by returning G_SOURCE_REMOVE
    EndCapture(d);
    BindPad(d, row, slot, held[i]);
    Refresh(d);
    return G_SOURCE_REMOVE;
  }
  return G_SOURCE_CONTINUE;
}

void OnCellClicked(GtkButton* button, gpointer data) {
  Parts& d = Self(data);
  const int row = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "row"));
  const int column = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "column"));
  EndCapture(d);
  d.capture.active = true;
  d.capture.row = row;
  d.capture.column = column;
  if (column > 0) {
    if (d.setup.heldInputs) d.capture.alreadyCount = d.setup.heldInputs(column - 1, d.capture.alreadyHeld, kHeldMax);
    d.capture.timer = g_timeout_add(kPadPollMs, PollPad, &d);
  }
  Refresh(d);
}

gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
  Parts& d = Self(data);
  if (!d.capture.active) return FALSE;
  if (event->keyval == GDK_KEY_Escape) {
    EndCapture(d);
    d.note = Tr("Rien n'a changé.");
    Refresh(d);
    return TRUE;
  }
  if (d.capture.column != 0) return TRUE;  // a pad's cell waits for the pad
  // The key's place on the keyboard, whatever its layout prints on it.
  const std::uint8_t scan = PcScanCodeFromLinux(static_cast<int>(event->hardware_keycode) - 8);
  if (KeyText(d, scan).empty()) {
    d.note = Tr("Cette touche ne peut pas servir.");
    Refresh(d);
    return TRUE;
  }
  const int row = d.capture.row;
  EndCapture(d);
  BindKey(d, row, scan);
  Refresh(d);
  return TRUE;
}

void OnResponse(GtkDialog* self, gint response, gpointer data) {
  Parts& d = Self(data);
  if (response != kResponseDefaults) {
    gtk_widget_destroy(GTK_WIDGET(self));
    return;
  }
  EndCapture(d);
  d.setup.keys = KeyTable::Defaults();
  if (d.setup.keysChanged) d.setup.keysChanged(d.setup.keys);
  for (int slot = 0; slot < 2; ++slot) {
    if (!d.setup.pads[slot].present) continue;
    d.setup.pads[slot].table = d.setup.pads[slot].defaults;
    if (d.setup.padChanged) d.setup.padChanged(slot, d.setup.pads[slot].table);
  }
  NoteRobbed(d, -1, -1, {});
  d.note = Tr("Les touches par défaut sont rétablies.");
  Refresh(d);
}

void OnDestroy(GtkWidget*, gpointer data) {
  Parts& d = Self(data);
  EndCapture(d);
  if (d.setup.closed) d.setup.closed();
  d.dialog = nullptr;
  d.status = nullptr;
  for (auto& row : d.cells) {
    for (GtkWidget*& cell : row) cell = nullptr;
  }
}

// The window the player chose the menu item from, to sit over.
GtkWindow* ActiveWindow() {
  GList* windows = gtk_window_list_toplevels();
  GtkWindow* found = nullptr;
  for (GList* at = windows; at; at = at->next) {
    GtkWindow* window = GTK_WINDOW(at->data);
    if (gtk_widget_get_visible(GTK_WIDGET(window)) && gtk_window_get_window_type(window) == GTK_WINDOW_TOPLEVEL &&
        (!found || gtk_window_is_active(window))) {
      found = window;
    }
  }
  g_list_free(windows);
  return found;
}

GtkWidget* HeaderLabel(const std::string& text) {
  GtkWidget* label = gtk_label_new(nullptr);
  gchar* markup = g_markup_printf_escaped("<b>%s</b>", text.c_str());
  gtk_label_set_markup(GTK_LABEL(label), markup);
  g_free(markup);
  return label;
}

// Every control with its key and the inputs of each pad plugged in, a
// button each.
GtkWidget* BuildBindingGrid(Parts& d) {
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(grid), 2);
  gtk_grid_set_column_spacing(GTK_GRID(grid), 8);
  gtk_container_set_border_width(GTK_CONTAINER(grid), 8);
  gtk_grid_attach(GTK_GRID(grid), HeaderLabel(Tr("Clavier")), 1, 0, 1, 1);
  for (int slot = 0; slot < 2; ++slot) {
    const KeysDialogPad& pad = d.setup.pads[slot];
    const std::string header = pad.present ? Format(Tr("Manette %d : %s"), slot + 1, pad.name.c_str())
                                           : Format(Tr("Manette %d : aucune"), slot + 1);
    GtkWidget* label = HeaderLabel(header);
    gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    gtk_label_set_max_width_chars(GTK_LABEL(label), 24);
    gtk_grid_attach(GTK_GRID(grid), label, 2 + slot, 0, 1, 1);
  }
  for (int row = 0; row < kControlCount; ++row) {
    GtkWidget* label = gtk_label_new(RowLabel(row).c_str());
    gtk_label_set_xalign(GTK_LABEL(label), 0);
    gtk_grid_attach(GTK_GRID(grid), label, 0, row + 1, 1, 1);
    for (int column = 0; column < kColumns; ++column) {
      const bool bindable = column == 0 || (d.setup.pads[column - 1].present && PadIndex(row, column - 1) >= 0);
      if (!bindable) {
        gtk_grid_attach(GTK_GRID(grid), gtk_label_new("—"), column + 1, row + 1, 1, 1);
        continue;
      }
      GtkWidget* button = gtk_button_new_with_label("");
      gtk_widget_set_size_request(button, 150, -1);
      gtk_widget_set_hexpand(button, TRUE);
      g_object_set_data(G_OBJECT(button), "row", GINT_TO_POINTER(row));
      g_object_set_data(G_OBJECT(button), "column", GINT_TO_POINTER(column));
      g_signal_connect(button, "clicked", G_CALLBACK(OnCellClicked), &d);
      gtk_grid_attach(GTK_GRID(grid), button, column + 1, row + 1, 1, 1);
      d.cells[row][column] = button;
    }
  }
  return grid;
}

// The SC-3000's keyboard on the PC's, for reading only: four keys a row,
// under the bindings.
void AddScKeyMap(GtkWidget* grid) {
  int mapRow = kControlCount + 2;
  GtkWidget* mapHeader = HeaderLabel(Tr("Clavier du SC-3000 (touche du PC → touche du SC-3000)"));
  gtk_widget_set_margin_top(mapHeader, 12);
  gtk_grid_attach(GTK_GRID(grid), mapHeader, 0, mapRow++, kColumns + 1, 1);
  int mapColumn = 0;
  for (const ScKeyMapping& key : ScKeyMap()) {
    GtkWidget* label = gtk_label_new(Format("%s → %s", key.hostKey, key.scKey).c_str());
    gtk_label_set_xalign(GTK_LABEL(label), 0);
    gtk_grid_attach(GTK_GRID(grid), label, mapColumn, mapRow, 1, 1);
    if (++mapColumn == kColumns + 1) {
      mapColumn = 0;
      ++mapRow;
    }
  }
  GtkWidget* resetKey = gtk_label_new("Page Up → RESET");
  gtk_label_set_xalign(GTK_LABEL(resetKey), 0);
  gtk_grid_attach(GTK_GRID(grid), resetKey, mapColumn, mapRow, 1, 1);
}

}  // namespace

KeysDialog::KeysDialog() : parts(std::make_unique<Parts>()) {}

KeysDialog::~KeysDialog() { Close(); }

void KeysDialog::Open(const KeysDialogSetup& given) {
  Parts& d = *parts;
  if (d.dialog) {
    gtk_window_present(GTK_WINDOW(d.dialog));
    return;
  }
  d.setup = given;
  d.note.clear();
  d.robbedRow = d.robbedColumn = -1;
  d.dialog = gtk_dialog_new_with_buttons(Tr("Touches"), ActiveWindow(),
                                       static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                       Tr("Par _défaut"), kResponseDefaults, Tr("_Fermer"), GTK_RESPONSE_CLOSE,
                                       nullptr);
  gtk_window_set_default_size(GTK_WINDOW(d.dialog), 720, 560);

  GtkWidget* grid = BuildBindingGrid(d);
  AddScKeyMap(grid);

  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_widget_set_vexpand(scrolled, TRUE);
  gtk_container_add(GTK_CONTAINER(scrolled), grid);
  // Moving the focus down the list scrolls it along.
  gtk_container_set_focus_vadjustment(GTK_CONTAINER(grid),
                                      gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scrolled)));
  d.status = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(d.status), 0);
  gtk_label_set_line_wrap(GTK_LABEL(d.status), TRUE);
  gtk_widget_set_margin_start(d.status, 8);
  gtk_widget_set_margin_end(d.status, 8);
  GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(d.dialog));
  gtk_box_pack_start(GTK_BOX(content), scrolled, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(content), d.status, FALSE, FALSE, 6);

  g_signal_connect(d.dialog, "key-press-event", G_CALLBACK(OnKeyPress), &d);
  g_signal_connect(d.dialog, "response", G_CALLBACK(OnResponse), &d);
  g_signal_connect(d.dialog, "destroy", G_CALLBACK(OnDestroy), &d);
  Refresh(d);
  gtk_widget_show_all(d.dialog);
  gtk_widget_grab_focus(d.cells[0][0]);
}

void KeysDialog::Close() {
  Parts& d = *parts;
  d.setup.closed = nullptr;
  if (d.dialog) gtk_widget_destroy(d.dialog);
}
