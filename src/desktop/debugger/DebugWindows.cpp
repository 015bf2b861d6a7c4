#include "desktop/debugger/DebugWindows.h"

#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "DemoCartridge.h"
#include "console/Console.h"
#include "debug/DebugConsole.h"
#include "debugger/Debugger.h"
#include "headless/DebugSession.h"
#include "host/i18n/Translate.h"
#include "host/session/Session.h"

namespace {

// The windows look again this often while the console runs.
constexpr guint kRefreshMs = 250;
// The debug console's text kept for its window.
constexpr std::size_t kDebugTextKept = 64 * 1024;

}  // namespace

DebugWindows::DebugWindows() = default;

DebugWindows::~DebugWindows() {
  CloseAll();
  if (timer) g_source_remove(timer);
}

// The symbols of the image running: the files beside it, or the demo's own.
void DebugWindows::LoadSymbols() {
  if (!owned || !session || symbolsOf == session->imagePath) return;
  symbolsOf = session->imagePath;
  SymbolTable& symbols = debugger->symbols;
  symbols.Clear();
  for (const std::string& path : SymbolFilesBeside(session->imagePath)) {
    if (LoadSymbolFile(path, symbols)) LogPrintf("Debugger: symbols from %s\n", path.c_str());
  }
  const Cartridge& cartridge = session->console.cartridge;
  if (symbols.Empty() && cartridge.Loaded() &&
      static_cast<std::size_t>(cartridge.PageCount()) * Cartridge::kPageSize == DemoCartridgeSize() &&
      std::memcmp(cartridge.Page(0), DemoCartridgeData(), DemoCartridgeSize()) == 0) {
    symbols.Parse(DemoSymbols());
  }
}

gboolean DebugWindows::OnRefreshTimer(gpointer data) {
  auto* self = static_cast<DebugWindows*>(data);
  if (!self->held) self->RefreshAll();
  return G_SOURCE_CONTINUE;
}

void DebugWindows::OnOpen(GtkMenuItem* item, gpointer data) {
  auto* self = static_cast<DebugWindows*>(data);
  if (!self->session) return;
  self->Open(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "tavrin-debug-window")));
  if (!self->timer) self->timer = g_timeout_add(kRefreshMs, OnRefreshTimer, self);
  // The game goes on beside the window (unless it is stopped).
  if (self->focusGame && !self->held) self->focusGame();
}

void DebugWindows::Open(int which) {
  switch (which) {
    case kProcessor:
      processor.Open();
      break;
    case kMemory:
      memory.Open();
      break;
    case kVideo:
      video.Open();
      break;
    case kTrace:
      trace.Open();
      break;
    case kDebugConsole:
      debugConsole.Open();
      break;
    default:
      break;
  }
}

GtkWidget* DebugWindows::BuildMenu(std::function<void()> focus) {
  focusGame = std::move(focus);
  GtkWidget* top = gtk_menu_item_new_with_mnemonic(Tr("_Débogage"));
  GtkWidget* menu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), menu);
  const struct {
    const char* caption;
    Which which;
  } items[] = {
      {Tr("_Processeur"), kProcessor},      {Tr("_Mémoire"), kMemory}, {Tr("_Vidéo"), kVideo}, {Tr("_Trace"), kTrace},
      {Tr("Console _SDSC"), kDebugConsole},
  };
  for (const auto& item : items) {
    GtkWidget* entry = gtk_menu_item_new_with_mnemonic(item.caption);
    g_object_set_data(G_OBJECT(entry), "tavrin-debug-window", GINT_TO_POINTER(item.which));
    g_signal_connect(entry, "activate", G_CALLBACK(OnOpen), this);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), entry);
  }
  return top;
}

void DebugWindows::Attach(Session* attached, const std::vector<std::string>& breaks) {
  if (!attached) {
    CloseAll();
    if (timer) g_source_remove(timer);
    timer = 0;
    debugger = nullptr;
    owned.reset();
    session = nullptr;
    symbolsOf.clear();
    held = driving = false;
    return;
  }
  session = attached;
  for (const std::string& where : breaks) {
    Debugger* used = TheDebugger();
    CodePlace place;
    if (ParseCodePlace(where, used->symbols, place)) {
      used->AddBreakpoint(place);
    } else {
      LogPrintf("Debugger: --break '%s': no such label, and not an address\n", where.c_str());
    }
  }
}

bool DebugWindows::HoldsConsole() const { return held && session && session->console.Stopped(); }

void DebugWindows::AfterFrame() {
  if (!session) return;
  Console& console = session->console;
  SdscConsole& sdsc = console.sdsc;
  if (!sdsc.Text().empty()) {
    debugText += sdsc.Text();
    debugPrinted += sdsc.Text().size();
    // The debug server's debugger sends the text on to its client, and
    // empties it itself.
    if (console.GetDebugHooks() == nullptr || console.GetDebugHooks() == owned.get()) sdsc.ClearText();
    if (debugText.size() > kDebugTextKept) debugText.erase(0, debugText.size() - kDebugTextKept / 2);
  }
  // A reset or a load forgets a stop: nothing holds the console then.
  if (!console.Stopped()) held = false;
  // A stop of the debug server's debugger is its client's to hold.
  if (owned && console.Stopped() && !held) {
    held = true;
    driving = false;
    LogPrintf("Debugger: stopped: %s\n", debugger->StopReason().c_str());
    processor.Open();
    RefreshAll();
  }
}

Console* DebugWindows::TheConsole() const { return session ? &session->console : nullptr; }

Debugger* DebugWindows::TheDebugger() {
  if (!session) return nullptr;
  if (!debugger) {
    Console& console = session->console;
    debugger = dynamic_cast<Debugger*>(console.GetDebugHooks());
    if (!debugger) {
      owned = std::make_unique<Debugger>(console);
      debugger = owned.get();
    }
    debugger->KeepHistory(true);
  }
  LoadSymbols();
  return debugger;
}

void DebugWindows::RunOn(void (Debugger::*how)()) {
  Debugger* used = TheDebugger();
  if (!used) return;
  (used->*how)();
  held = false;
  driving = true;
}

void DebugWindows::Pause() {
  if (HoldsConsole()) return;
  RunOn(&Debugger::StepInstruction);
}

void DebugWindows::RefreshAll() {
  processor.Refresh();
  memory.Refresh();
  video.Refresh();
  trace.Refresh();
  debugConsole.Refresh();
}

void DebugWindows::CloseAll() {
  processor.Close();
  memory.Close();
  video.Close();
  trace.Close();
  debugConsole.Close();
}

bool DebugWindows::ParseValue(const char* text, std::uint16_t& value) {
  if (Debugger* used = TheDebugger()) {
    if (const std::optional<Symbol> symbol = used->symbols.Resolve(text)) {
      value = symbol->address;
      return true;
    }
  }
  return false;
}
