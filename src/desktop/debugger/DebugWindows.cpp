#include "desktop/debugger/DebugWindows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

#include "DemoCartridge.h"
#include "console/Console.h"
#include "debug/DebugConsole.h"
#include "debugger/Debugger.h"
#include "debugger/VideoPictures.h"
#include "desktop/debugger/DebugWindowParts.h"
#include "headless/DebugSession.h"
#include "host/i18n/Translate.h"
#include "host/session/Session.h"

namespace {

// The windows look again this often while the console runs.
constexpr guint kRefreshMs = 250;
// The debug console's text kept for its window.
constexpr std::size_t kDebugTextKept = 64 * 1024;

struct DebugState {
  Session* session = nullptr;
  std::unique_ptr<Debugger> owned;
  // The debugger the windows use: their own, or the one already on the
  // console (the debug server's), which keeps its symbols and its stops.
  Debugger* debugger = nullptr;
  std::string symbolsOf;  // the image whose symbols the debugger holds
  bool held = false;
  bool driving = false;
  std::string debugText;
  guint timer = 0;
  std::function<void()> focusGame;
};
DebugState state;

// The symbols of the image running: the files beside it, or the demo's own.
void LoadSymbols() {
  if (!state.owned || !state.session || state.symbolsOf == state.session->imagePath) return;
  state.symbolsOf = state.session->imagePath;
  SymbolTable& symbols = state.debugger->symbols;
  symbols.Clear();
  for (const std::string& path : SymbolFilesBeside(state.session->imagePath)) {
    std::string ignored;
    if (LoadSymbolFile(path, symbols, ignored)) LogPrintf("Debugger: symbols from %s\n", path.c_str());
  }
  const Cartridge& cartridge = state.session->console.cartridge;
  if (symbols.Empty() && cartridge.Loaded() &&
      static_cast<std::size_t>(cartridge.PageCount()) * Cartridge::kPageSize == DemoCartridgeSize() &&
      std::memcmp(cartridge.Page(0), DemoCartridgeData(), DemoCartridgeSize()) == 0) {
    symbols.Parse(DemoSymbols());
  }
}

gboolean OnRefreshTimer(gpointer) {
  if (!state.held) debugwin::RefreshAll();
  return G_SOURCE_CONTINUE;
}

void OnOpen(GtkMenuItem*, gpointer data) {
  if (!state.session) return;
  reinterpret_cast<void (*)()>(data)();
  if (!state.timer) state.timer = g_timeout_add(kRefreshMs, OnRefreshTimer, nullptr);
  // The game goes on beside the window (unless it is stopped).
  if (state.focusGame && !state.held) state.focusGame();
}

}  // namespace

GtkWidget* BuildDebugMenu(std::function<void()> focusGame) {
  state.focusGame = std::move(focusGame);
  GtkWidget* top = gtk_menu_item_new_with_mnemonic(Tr("_Débogage"));
  GtkWidget* menu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), menu);
  const struct {
    const char* caption;
    void (*open)();
  } items[] = {
      {Tr("_Processeur"), debugwin::OpenProcessorWindow}, {Tr("_Mémoire"), debugwin::OpenMemoryWindow},
      {Tr("_Vidéo"), debugwin::OpenVideoWindow},           {Tr("_Trace"), debugwin::OpenTraceWindow},
      {Tr("Console _SDSC"), debugwin::OpenDebugConsoleWindow},
  };
  for (const auto& item : items) {
    GtkWidget* entry = gtk_menu_item_new_with_mnemonic(item.caption);
    g_signal_connect(entry, "activate", G_CALLBACK(OnOpen), reinterpret_cast<gpointer>(item.open));
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), entry);
  }
  return top;
}

void AttachDebugWindows(Session* session, const std::vector<std::string>& breaks) {
  if (!session) {
    debugwin::CloseDebugWindows();
    if (state.timer) g_source_remove(state.timer);
    state.timer = 0;
    state.debugger = nullptr;
    state.owned.reset();
    state.session = nullptr;
    state.symbolsOf.clear();
    state.held = state.driving = false;
    return;
  }
  state.session = session;
  for (const std::string& where : breaks) {
    Debugger* debugger = debugwin::TheDebugger();
    CodePlace place;
    if (ParseCodePlace(where, debugger->symbols, place)) {
      debugger->AddBreakpoint(place);
    } else {
      LogPrintf("Debugger: --break '%s': no such label, and not an address\n", where.c_str());
    }
  }
}

bool DebugHoldsConsole() { return state.held && state.session && state.session->console.Stopped(); }

bool DebugDrivesConsole() { return state.driving; }

void DebugAfterFrame() {
  if (!state.session) return;
  Console& console = state.session->console;
  SdscConsole& sdsc = console.sdsc;
  if (!sdsc.Text().empty()) {
    state.debugText += sdsc.Text();
    // The debug server's debugger sends the text on to its client, and
    // empties it itself.
    if (console.GetDebugHooks() == nullptr || console.GetDebugHooks() == state.owned.get()) sdsc.ClearText();
    if (state.debugText.size() > kDebugTextKept) state.debugText.erase(0, state.debugText.size() - kDebugTextKept / 2);
  }
  // A reset or a load forgets a stop: nothing holds the console then.
  if (!console.Stopped()) state.held = false;
  // A stop of the debug server's debugger is its client's to hold.
  if (state.owned && console.Stopped() && !state.held) {
    state.held = true;
    state.driving = false;
    LogPrintf("Debugger: stopped: %s\n", state.debugger->StopReason().c_str());
    debugwin::OpenProcessorWindow();
    debugwin::RefreshAll();
  }
}

namespace debugwin {

Console* TheConsole() { return state.session ? &state.session->console : nullptr; }

Debugger* TheDebugger() {
  if (!state.session) return nullptr;
  if (!state.debugger) {
    Console& console = state.session->console;
    state.debugger = dynamic_cast<Debugger*>(console.GetDebugHooks());
    if (!state.debugger) {
      state.owned = std::make_unique<Debugger>(console);
      state.debugger = state.owned.get();
    }
    state.debugger->KeepHistory(true);
  }
  LoadSymbols();
  return state.debugger;
}

bool Held() { return DebugHoldsConsole(); }

void RunOn(void (Debugger::*how)()) {
  Debugger* debugger = TheDebugger();
  if (!debugger) return;
  (debugger->*how)();
  state.held = false;
  state.driving = true;
}

void Pause() {
  if (Held()) return;
  RunOn(&Debugger::StepInstruction);
}

void RefreshAll() {
  RefreshProcessorWindow();
  RefreshMemoryWindow();
  RefreshVideoWindow();
  RefreshTraceWindow();
  RefreshDebugConsoleWindow();
}

const std::string& DebugConsoleText() { return state.debugText; }

bool ParseValue(const char* text, std::uint16_t& value) {
  if (Debugger* debugger = TheDebugger()) {
    if (const std::optional<Symbol> symbol = debugger->symbols.Resolve(text)) {
      value = symbol->address;
      return true;
    }
  }
  return false;
}

namespace {
void ClearSlot(GtkWidget*, gpointer slot) { *static_cast<GtkWidget**>(slot) = nullptr; }
// Every window's slot, for closing them all.
std::vector<GtkWidget**> windowSlots;
}  // namespace

void CloseDebugWindows() {
  for (GtkWidget** slot : windowSlots) {
    if (*slot) gtk_widget_destroy(*slot);
  }
}

GtkWidget* NewWindow(const char* caption, int width, int height, GtkWidget** slot) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), caption);
  gtk_window_set_default_size(GTK_WINDOW(window), width, height);
  gtk_window_set_focus_on_map(GTK_WINDOW(window), FALSE);
  gtk_container_set_border_width(GTK_CONTAINER(window), 6);
  *slot = window;
  if (std::find(windowSlots.begin(), windowSlots.end(), slot) == windowSlots.end()) windowSlots.push_back(slot);
  g_signal_connect(window, "destroy", G_CALLBACK(ClearSlot), slot);
  return window;
}

GtkWidget* TextArea(GtkWidget** view, int width, int height) {
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_widget_set_size_request(scrolled, width, height);
  *view = gtk_text_view_new();
  gtk_text_view_set_editable(GTK_TEXT_VIEW(*view), FALSE);
  gtk_text_view_set_monospace(GTK_TEXT_VIEW(*view), TRUE);
  gtk_container_add(GTK_CONTAINER(scrolled), *view);
  gtk_widget_set_hexpand(scrolled, TRUE);
  gtk_widget_set_vexpand(scrolled, TRUE);
  return scrolled;
}

namespace {
int CountLines(std::string_view text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }
}  // namespace

void SetText(GtkWidget* view, const std::string& text) {
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(buffer, &start, &end);
  gchar* raw = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
  const std::string now = raw;
  g_free(raw);
  if (text == now) return;
  if (CountLines(now) != CountLines(text)) {
    gtk_text_buffer_set_text(buffer, text.c_str(), static_cast<gint>(text.size()));
    return;
  }
  // As many lines: only those that changed are replaced, so the view stays
  // where the player scrolled it.
  std::size_t a = 0, b = 0;
  for (int line = 0; a < now.size() && b < text.size(); ++line) {
    const std::size_t aEnd = std::min(now.find('\n', a), now.size());
    const std::size_t bEnd = std::min(text.find('\n', b), text.size());
    if (now.compare(a, aEnd - a, text, b, bEnd - b) != 0) {
      GtkTextIter from, to;
      gtk_text_buffer_get_iter_at_line(buffer, &from, line);
      to = from;
      gtk_text_iter_forward_to_line_end(&to);
      gtk_text_buffer_delete(buffer, &from, &to);
      gtk_text_buffer_insert(buffer, &from, text.c_str() + b, static_cast<gint>(bEnd - b));
    }
    a = aEnd + 1;
    b = bEnd + 1;
  }
}

void ShowPicture(GtkWidget* image, const RgbPicture& picture, int scale) {
  if (picture.width == 0 || picture.height == 0) return;
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, picture.width * scale, picture.height * scale);
  guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < picture.height * scale; ++y) {
    for (int x = 0; x < picture.width * scale; ++x) {
      std::memcpy(pixels + y * stride + x * 3, &picture.rgb[((y / scale) * picture.width + x / scale) * 3], 3);
    }
  }
  gtk_image_set_from_pixbuf(GTK_IMAGE(image), pixbuf);
  g_object_unref(pixbuf);
}

GtkWidget* Button(const char* caption, GCallback clicked, gpointer data) {
  GtkWidget* button = gtk_button_new_with_mnemonic(caption);
  g_signal_connect(button, "clicked", clicked, data);
  return button;
}

GtkWidget* Labelled(const char* caption, GtkWidget* widget) {
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
  gtk_box_pack_start(GTK_BOX(box), gtk_label_new(caption), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), widget, TRUE, TRUE, 0);
  return box;
}

}  // namespace debugwin
