// The memory window: a hex view of one of the console's memories (system
// RAM, cartridge RAM, a ROM page, video RAM, colour RAM, the video chip's
// registers), a byte written by hand, a search, and a jump to a label.
#include "desktop/debugger/MemoryWindow.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "console/Console.h"
#include "debugger/Debugger.h"
#include "desktop/debugger/DebugWindows.h"
#include "host/i18n/Translate.h"

namespace debugwin {
namespace {

enum Area { kSystemRam, kCartridgeRam, kRom, kVram, kCram, kVideoRegisters, kAreaCount };

struct Memory {
  std::uint8_t* bytes = nullptr;
  int size = 0;
  int base = 0;  // the address the processor sees the first byte at, for the labels
};

// The memory `area` (the ROM's page `page`).
Memory MemoryOf(Console& console, int area, int page) {
  switch (area) {
    case kSystemRam:
      return {console.systemRam, Console::kSystemRamSize, 0xC000};
    case kCartridgeRam:
      return {console.CartridgeRam(), Console::kCartridgeRamSize, 0x8000};
    case kRom: {
      if (!console.cartridge.Loaded()) return {};
      const int shownPage = std::clamp(page, 0, console.cartridge.PageCount() - 1);
      return {console.cartridge.Page(shownPage), Cartridge::kPageSize, shownPage == 0 ? 0 : 0x8000};
    }
    case kVram:
      return {console.video.vram, Video::kVramSize, 0};
    case kCram:
      return {console.video.cram, console.video.gameGear ? 64 : 32, 0};
    case kVideoRegisters:
      return {console.video.regs, console.video.tms9918 ? 8 : 16, 0};
    default:
      return {};
  }
}

std::string Dump(const Memory& m) {
  std::string text;
  text.reserve(static_cast<std::size_t>(m.size) / 16 * 78);
  for (int row = 0; row < m.size; row += 16) {
    char line[96];
    int at = std::snprintf(line, sizeof line, "%04X ", row);
    for (int i = 0; i < 16 && row + i < m.size; ++i)
      at += std::snprintf(line + at, sizeof line - at, " %02X", m.bytes[row + i]);
    text += line;
    text += "  ";
    for (int i = 0; i < 16 && row + i < m.size; ++i) {
      const char c = static_cast<char>(m.bytes[row + i]);
      text += std::isprint(static_cast<unsigned char>(c)) ? c : '.';
    }
    text += '\n';
  }
  return text;
}

void OnWrite(GtkWidget*, gpointer data) {
  MemoryWindow& w = *static_cast<MemoryWindow*>(data);
  Console* console = w.debug.TheConsole();
  std::uint16_t address = 0, value = 0;
  if (!console || !w.debug.ParseValue(gtk_entry_get_text(GTK_ENTRY(w.addressEntry)), address) ||
      !w.debug.ParseValue(gtk_entry_get_text(GTK_ENTRY(w.valueEntry)), value)) {
    w.SetStatus(Tr("Adresse ou valeur illisible"));
    return;
  }
  const int area = w.CurrentArea();
  Memory m = MemoryOf(*console, area, w.CurrentPage());
  // An address the processor sees (a label) counts from the memory's base.
  int offset = address;
  if (offset >= m.size && offset >= m.base && offset - m.base < m.size) offset -= m.base;
  if (offset >= m.size) {
    w.SetStatus(Tr("Adresse hors de cette mémoire"));
    return;
  }
  m.bytes[offset] = static_cast<std::uint8_t>(value);
  if (area == kVram) console->video.VramReplaced();
  if (area == kVideoRegisters && offset == 5)
    console->video.spriteTable = static_cast<std::uint16_t>((value & 0x7E) << 7);
  console->MarkMemoryChanged();
  w.SetStatus("");
  w.debug.RefreshAll();
}

// Hexadecimal bytes ("3E 20"), or text between quotes.
std::vector<std::uint8_t> Pattern(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  if (text.size() >= 2 && text.front() == '"') {
    const std::size_t end = text.find('"', 1);
    for (std::size_t i = 1; i < (end == std::string::npos ? text.size() : end); ++i)
      bytes.push_back(static_cast<std::uint8_t>(text[i]));
    return bytes;
  }
  std::string digits;
  for (char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
  }
  for (std::size_t i = 0; i + 1 < digits.size() + 1 && i + 2 <= digits.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

void OnSearch(GtkWidget*, gpointer data) {
  MemoryWindow& w = *static_cast<MemoryWindow*>(data);
  Console* console = w.debug.TheConsole();
  if (!console) return;
  const Memory m = MemoryOf(*console, w.CurrentArea(), w.CurrentPage());
  const std::vector<std::uint8_t> pattern = Pattern(gtk_entry_get_text(GTK_ENTRY(w.searchEntry)));
  if (pattern.empty() || !m.bytes) return;
  // From after the last find, round to the start.
  for (int pass = 0; pass < 2; ++pass) {
    const std::uint8_t* found =
        std::search(m.bytes + std::min(w.searchFrom, m.size), m.bytes + m.size, pattern.begin(), pattern.end());
    if (found != m.bytes + m.size) {
      const int offset = static_cast<int>(found - m.bytes);
      w.searchFrom = offset + 1;
      w.ShowOffset(offset);
      w.SetStatus("");
      return;
    }
    w.searchFrom = 0;
  }
  w.SetStatus(Tr("Introuvable"));
}

void OnGoTo(GtkWidget*, gpointer data) {
  MemoryWindow& w = *static_cast<MemoryWindow*>(data);
  Console* console = w.debug.TheConsole();
  std::uint16_t address = 0;
  if (!console || !w.debug.ParseValue(gtk_entry_get_text(GTK_ENTRY(w.addressEntry)), address)) {
    w.SetStatus(Tr("Adresse ou étiquette inconnue"));
    return;
  }
  const Memory m = MemoryOf(*console, w.CurrentArea(), w.CurrentPage());
  int offset = address;
  if (offset >= m.size && offset >= m.base && offset - m.base < m.size) offset -= m.base;
  if (offset >= m.size) offset %= std::max(1, m.size);  // a mirror
  w.ShowOffset(offset);
  w.SetStatus("");
}

void OnAreaChanged(GtkWidget*, gpointer data) {
  MemoryWindow& w = *static_cast<MemoryWindow*>(data);
  w.shownArea = -1;
  w.searchFrom = 0;
  w.Refresh();
}

}  // namespace

void MemoryWindow::ShowOffset(int offset) {
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(dump));
  GtkTextIter at;
  gtk_text_buffer_get_iter_at_line_offset(buffer, &at, offset / 16, 6 + (offset % 16) * 3);
  GtkTextIter end = at;
  gtk_text_iter_forward_chars(&end, 2);
  gtk_text_buffer_select_range(buffer, &at, &end);
  gtk_text_view_scroll_to_iter(GTK_TEXT_VIEW(dump), &at, 0.1, TRUE, 0.0, 0.3);
  char text[8];
  std::snprintf(text, sizeof text, "%04X", offset);
  gtk_entry_set_text(GTK_ENTRY(addressEntry), text);
}

void MemoryWindow::SetStatus(const std::string& text) { gtk_label_set_text(GTK_LABEL(status), text.c_str()); }

int MemoryWindow::CurrentArea() const { return gtk_combo_box_get_active(GTK_COMBO_BOX(areaChoice)); }

int MemoryWindow::CurrentPage() const { return gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(pageChoice)); }

void MemoryWindow::Open() {
  if (slot.Present()) return;
  NewWindow(Tr("Mémoire"), 640, 480, &slot.window);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
  gtk_container_add(GTK_CONTAINER(slot.window), box);

  GtkWidget* top = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  areaChoice = gtk_combo_box_text_new();
  for (const char* name : {Tr("RAM du système"), Tr("RAM de la cartouche"), Tr("ROM (page)"), Tr("VRAM"),
                           Tr("RAM des couleurs"), Tr("Registres vidéo")}) {
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(areaChoice), name);
  }
  gtk_combo_box_set_active(GTK_COMBO_BOX(areaChoice), kSystemRam);
  g_signal_connect(areaChoice, "changed", G_CALLBACK(OnAreaChanged), this);
  gtk_box_pack_start(GTK_BOX(top), areaChoice, FALSE, FALSE, 0);
  pageChoice = gtk_spin_button_new_with_range(0, Cartridge::kMaxPages - 1, 1);
  g_signal_connect(pageChoice, "value-changed", G_CALLBACK(OnAreaChanged), this);
  gtk_box_pack_start(GTK_BOX(top), Labelled(Tr("Page"), pageChoice), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), top, FALSE, FALSE, 0);

  gtk_box_pack_start(GTK_BOX(box), TextArea(&dump, 600, 320), TRUE, TRUE, 0);

  GtkWidget* edit = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  addressEntry = gtk_entry_new();
  gtk_entry_set_width_chars(GTK_ENTRY(addressEntry), 12);
  g_signal_connect(addressEntry, "activate", G_CALLBACK(OnGoTo), this);
  gtk_box_pack_start(GTK_BOX(edit), Labelled(Tr("Adresse ou étiquette"), addressEntry), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(edit), Button(Tr("_Aller à"), G_CALLBACK(OnGoTo), this), FALSE, FALSE, 0);
  valueEntry = gtk_entry_new();
  gtk_entry_set_width_chars(GTK_ENTRY(valueEntry), 4);
  g_signal_connect(valueEntry, "activate", G_CALLBACK(OnWrite), this);
  gtk_box_pack_start(GTK_BOX(edit), Labelled(Tr("Valeur"), valueEntry), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(edit), Button(Tr("_Écrire"), G_CALLBACK(OnWrite), this), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), edit, FALSE, FALSE, 0);

  GtkWidget* find = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  searchEntry = gtk_entry_new();
  gtk_entry_set_placeholder_text(GTK_ENTRY(searchEntry), Tr("octets (3E 20) ou \"texte\""));
  g_signal_connect(searchEntry, "activate", G_CALLBACK(OnSearch), this);
  gtk_box_pack_start(GTK_BOX(find), searchEntry, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(find), Button(Tr("_Chercher"), G_CALLBACK(OnSearch), this), FALSE, FALSE, 0);
  status = gtk_label_new("");
  gtk_box_pack_start(GTK_BOX(find), status, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), find, FALSE, FALSE, 0);

  gtk_widget_show_all(slot.window);
  shownArea = -1;
  Refresh();
}

void MemoryWindow::Refresh() {
  Console* console = debug.TheConsole();
  if (!slot.window || !console) return;
  const int area = CurrentArea();
  const Memory m = MemoryOf(*console, area, CurrentPage());
  if (!m.bytes) {
    SetText(dump, "");
    return;
  }
  // Made again only when a byte changed: 32 KB of text is not free.
  if (area == shownArea && static_cast<int>(shown.size()) == m.size && std::equal(shown.begin(), shown.end(), m.bytes))
    return;
  shownArea = area;
  shown.assign(m.bytes, m.bytes + m.size);
  SetText(dump, Dump(m));
}

}  // namespace debugwin
