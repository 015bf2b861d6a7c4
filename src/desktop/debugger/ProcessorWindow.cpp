// The processor window: registers and flags (editable), the instructions
// around pc with their labels, the call stack, the breakpoints, and the
// buttons that run, pause and step.
#include "desktop/debugger/ProcessorWindow.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "console/Console.h"
#include "debugger/Debugger.h"
#include "desktop/debugger/DebugWindows.h"
#include "headless/DebugSession.h"
#include "host/i18n/Translate.h"

namespace debugwin {
namespace {

using Register = ProcessorWindow::Register;
constexpr int kRegisterCount = ProcessorWindow::kRegisterCount;
// The names in arrays of their own, so the table holds no pointer to patch.
constexpr char kRegisterNames[kRegisterCount][4] = {"AF",  "BC", "DE", "HL", "AF'", "BC'", "DE'",
                                                    "HL'", "IX", "IY", "SP", "PC",  "I"};
// The flags of F, bit by bit from 7 down (bits 5 and 3 are not shown).
constexpr struct {
  char name[4];
  std::uint8_t bit;
} kFlags[ProcessorWindow::kFlagCount] = {{"S", 0x80},   {"Z", 0x40}, {"H", 0x10},
                                         {"P/V", 0x04}, {"N", 0x02}, {"C", 0x01}};

std::uint16_t* RegisterOf(Z80Core& cpu, int r) {
  switch (r) {
    case Register::kAF:
      return &cpu.af.w;
    case Register::kBC:
      return &cpu.bc.w;
    case Register::kDE:
      return &cpu.de.w;
    case Register::kHL:
      return &cpu.hl.w;
    case Register::kAF2:
      return &cpu.af2.w;
    case Register::kBC2:
      return &cpu.bc2.w;
    case Register::kDE2:
      return &cpu.de2.w;
    case Register::kHL2:
      return &cpu.hl2.w;
    case Register::kIX:
      return &cpu.ix.w;
    case Register::kIY:
      return &cpu.iy.w;
    case Register::kSP:
      return &cpu.sp;
    case Register::kPC:
      return &cpu.pc;
    default:
      return nullptr;
  }
}

// The widget's place in `widgets` (count when it is not there).
int IndexOf(GtkWidget* const* widgets, int count, gpointer widget) {
  return static_cast<int>(std::find(widgets, widgets + count, widget) - widgets);
}

void OnRegisterEdited(GtkEntry* entry, gpointer data) {
  ProcessorWindow& w = *static_cast<ProcessorWindow*>(data);
  Console* console = w.debug.TheConsole();
  std::uint16_t value = 0;
  const int r = IndexOf(w.registerEntries, kRegisterCount, entry);
  if (!console || r == kRegisterCount || !w.debug.ParseValue(gtk_entry_get_text(entry), value)) return;
  if (r == Register::kI) {
    console->cpu.i = static_cast<std::uint8_t>(value);
  } else {
    *RegisterOf(console->cpu, r) = value;
  }
  w.debug.RefreshAll();
}

void OnFlagToggled(GtkToggleButton* button, gpointer data) {
  ProcessorWindow& w = *static_cast<ProcessorWindow*>(data);
  Console* console = w.debug.TheConsole();
  const int k = IndexOf(w.flagButtons, ProcessorWindow::kFlagCount, button);
  if (w.refreshing || !console || k == ProcessorWindow::kFlagCount) return;
  const std::uint8_t bit = kFlags[k].bit;
  const std::uint8_t f = console->cpu.af.Lo();
  console->cpu.af.w = static_cast<std::uint16_t>((console->cpu.af.w & 0xFF00) |
                                                 (gtk_toggle_button_get_active(button) ? f | bit : f & ~bit));
  w.debug.RefreshAll();
}

// The stack's words that look like return addresses: each follows a call or
// a restart in memory. A guess, as any call stack of the Z80 is.
std::string CallStack(const Console& console, const Debugger& debugger) {
  std::string text;
  for (int i = 0; i < 32; i += 2) {
    const std::uint16_t at = static_cast<std::uint16_t>(console.cpu.sp + i);
    const std::uint16_t word =
        static_cast<std::uint16_t>(console.Peek(at) | console.Peek(static_cast<std::uint16_t>(at + 1)) << 8);
    const std::uint8_t call = console.Peek(static_cast<std::uint16_t>(word - 3));
    const std::uint8_t restart = console.Peek(static_cast<std::uint16_t>(word - 1));
    const bool afterCall = call == 0xCD || (call & 0xC7) == 0xC4;
    const bool afterRestart = (restart & 0xC7) == 0xC7;
    if (!afterCall && !afterRestart) continue;
    const std::uint16_t from = static_cast<std::uint16_t>(word - (afterCall ? 3 : 1));
    char line[32];
    std::snprintf(line, sizeof line, "SP+%02X  ", i);
    text += line + debugger.NameOf(word) + "  (" + debugger.DisassembleAt(from).text + ")\n";
  }
  return text;
}

// A few instructions that ran before pc (from the history), pc, and those
// that follow it.
std::string CodeAround(const Console& console, const Debugger& debugger) {
  std::string text;
  const std::uint16_t pc = console.cpu.pc;
  auto add = [&](std::uint16_t at, const char* mark) {
    const std::string label = debugger.symbols.Name(at, console.RomPageAt(at), true);
    if (!label.empty()) text += label + ":\n";
    char head[16];
    std::snprintf(head, sizeof head, "%s%04X  ", mark, at);
    const Disassembly d = debugger.DisassembleAt(at);
    text += head + d.text + "\n";
    return static_cast<std::uint16_t>(at + d.length);
  };
  int before = 0;
  if (debugger.HistoryCount() > 0 && debugger.History(0).pc == pc) {
    for (int i = std::min(5, debugger.HistoryCount() - 1); i >= 1; --i) {
      add(debugger.History(i).pc, "  ");
      ++before;
    }
  }
  std::uint16_t at = add(pc, "> ");
  for (int i = 0; i < 20 - before; ++i) at = add(at, "  ");
  return text;
}

void ShowBreakpoints(GtkWidget* breakList, const Debugger& debugger) {
  std::string text;
  for (const CodePlace& place : debugger.Breakpoints()) {
    char line[32];
    if (place.page >= 0) {
      std::snprintf(line, sizeof line, "%02X:%04X  ", place.page, place.address & 0x3FFF);
      text += line;
    } else {
      std::snprintf(line, sizeof line, "%04X  ", place.address);
      text += line + debugger.NameOf(place.address);
    }
    text += "\n";
  }
  SetText(breakList, text);
}

void ChangeBreakpoint(ProcessorWindow& w, bool add) {
  Debugger* debugger = w.debug.TheDebugger();
  CodePlace place;
  if (!debugger || !ParseCodePlace(gtk_entry_get_text(GTK_ENTRY(w.breakEntry)), debugger->symbols, place)) return;
  if (add) {
    debugger->AddBreakpoint(place);
  } else {
    debugger->RemoveBreakpoint(place);
  }
  ShowBreakpoints(w.breakList, *debugger);
}
void OnAddBreakpoint(GtkWidget*, gpointer data) { ChangeBreakpoint(*static_cast<ProcessorWindow*>(data), true); }
void OnRemoveBreakpoint(GtkWidget*, gpointer data) { ChangeBreakpoint(*static_cast<ProcessorWindow*>(data), false); }

DebugWindows& DebugOf(gpointer data) { return static_cast<ProcessorWindow*>(data)->debug; }
void OnRun(GtkWidget*, gpointer data) { DebugOf(data).RunOn(&Debugger::Continue); }
void OnPause(GtkWidget*, gpointer data) { DebugOf(data).Pause(); }
void OnStep(GtkWidget*, gpointer data) { DebugOf(data).RunOn(&Debugger::StepInstruction); }
void OnStepOver(GtkWidget*, gpointer data) { DebugOf(data).RunOn(&Debugger::StepOver); }
void OnStepOut(GtkWidget*, gpointer data) { DebugOf(data).RunOn(&Debugger::StepOut); }

}  // namespace

GtkWidget* ProcessorWindow::BuildButtons() {
  GtkWidget* buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
  gtk_box_pack_start(GTK_BOX(buttons), Button(Tr("_Continuer"), G_CALLBACK(OnRun), this), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(buttons), Button(Tr("_Pause"), G_CALLBACK(OnPause), this), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(buttons), Button(Tr("Pas à pas"), G_CALLBACK(OnStep), this), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(buttons), Button(Tr("Pas par-dessus"), G_CALLBACK(OnStepOver), this), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(buttons), Button(Tr("Sortir"), G_CALLBACK(OnStepOut), this), FALSE, FALSE, 0);
  reasonLabel = gtk_label_new("");
  gtk_box_pack_start(GTK_BOX(buttons), reasonLabel, FALSE, FALSE, 8);
  return buttons;
}

GtkWidget* ProcessorWindow::BuildRegisters() {
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_column_spacing(GTK_GRID(grid), 4);
  for (int r = 0; r < kRegisterCount; ++r) {
    registerEntries[r] = gtk_entry_new();
    gtk_entry_set_width_chars(GTK_ENTRY(registerEntries[r]), 5);
    g_signal_connect(registerEntries[r], "activate", G_CALLBACK(OnRegisterEdited), this);
    gtk_grid_attach(GTK_GRID(grid), gtk_label_new(kRegisterNames[r]), (r % 7) * 2, r / 7, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), registerEntries[r], (r % 7) * 2 + 1, r / 7, 1, 1);
  }
  return grid;
}

GtkWidget* ProcessorWindow::BuildFlags() {
  GtkWidget* flags = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
  for (int k = 0; k < kFlagCount; ++k) {
    flagButtons[k] = gtk_check_button_new_with_label(kFlags[k].name);
    g_signal_connect(flagButtons[k], "toggled", G_CALLBACK(OnFlagToggled), this);
    gtk_box_pack_start(GTK_BOX(flags), flagButtons[k], FALSE, FALSE, 0);
  }
  interruptLabel = gtk_label_new("");
  gtk_box_pack_start(GTK_BOX(flags), interruptLabel, FALSE, FALSE, 8);
  return flags;
}

GtkWidget* ProcessorWindow::BuildPanes() {
  GtkWidget* panes = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  GtkWidget* codeBox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
  gtk_box_pack_start(GTK_BOX(codeBox), gtk_label_new(Tr("Instructions")), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(codeBox), TextArea(&code, 320, 300), TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(panes), codeBox, TRUE, TRUE, 0);
  GtkWidget* side = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
  gtk_box_pack_start(GTK_BOX(side), gtk_label_new(Tr("Pile d'appels")), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(side), TextArea(&stack, 260, 120), TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(side), gtk_label_new(Tr("Points d'arrêt")), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(side), TextArea(&breakList, 260, 100), TRUE, TRUE, 0);
  breakEntry = gtk_entry_new();
  gtk_entry_set_placeholder_text(GTK_ENTRY(breakEntry), Tr("étiquette, $adresse ou page:adresse"));
  g_signal_connect(breakEntry, "activate", G_CALLBACK(OnAddBreakpoint), this);
  gtk_box_pack_start(GTK_BOX(side), breakEntry, FALSE, FALSE, 0);
  GtkWidget* breakButtons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
  gtk_box_pack_start(GTK_BOX(breakButtons), Button(Tr("_Ajouter"), G_CALLBACK(OnAddBreakpoint), this), TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(breakButtons), Button(Tr("_Retirer"), G_CALLBACK(OnRemoveBreakpoint), this), TRUE, TRUE,
                     0);
  gtk_box_pack_start(GTK_BOX(side), breakButtons, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(panes), side, TRUE, TRUE, 0);
  return panes;
}

void ProcessorWindow::Open() {
  if (slot.Present() || !debug.TheDebugger()) return;
  NewWindow(Tr("Processeur"), 720, 520, &slot.window);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
  gtk_container_add(GTK_CONTAINER(slot.window), box);
  gtk_box_pack_start(GTK_BOX(box), BuildButtons(), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), BuildRegisters(), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), BuildFlags(), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), BuildPanes(), TRUE, TRUE, 0);
  gtk_widget_show_all(slot.window);
  Refresh();
}

void ProcessorWindow::Refresh() {
  Console* console = debug.TheConsole();
  Debugger* debugger = console ? debug.TheDebugger() : nullptr;
  if (!slot.window || !debugger) return;
  refreshing = true;
  Z80Core& cpu = console->cpu;
  for (int r = 0; r < kRegisterCount; ++r) {
    if (gtk_widget_has_focus(registerEntries[r])) continue;  // being edited
    char text[8];
    std::snprintf(text, sizeof text, r == Register::kI ? "%02X" : "%04X",
                  r == Register::kI ? cpu.i : *RegisterOf(cpu, r));
    if (std::string(gtk_entry_get_text(GTK_ENTRY(registerEntries[r]))) != text) {
      gtk_entry_set_text(GTK_ENTRY(registerEntries[r]), text);
    }
  }
  for (int k = 0; k < kFlagCount; ++k) {
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(flagButtons[k]), (cpu.af.Lo() & kFlags[k].bit) != 0);
  }
  char interrupts[48];
  std::snprintf(interrupts, sizeof interrupts, "IFF1=%d IM=%d%s", (cpu.iff & kIff1) ? 1 : 0,
                (cpu.iff & kIffMode2)   ? 2
                : (cpu.iff & kIffMode1) ? 1
                                        : 0,
                (cpu.iff & kIffHalted) ? " HALT" : "");
  gtk_label_set_text(GTK_LABEL(interruptLabel), interrupts);
  const bool held = debug.HoldsConsole();
  gtk_label_set_text(GTK_LABEL(reasonLabel), held ? debugger->StopReason().c_str() : Tr("en marche"));
  SetText(code, CodeAround(*console, *debugger));
  SetText(stack, CallStack(*console, *debugger));
  ShowBreakpoints(breakList, *debugger);
  refreshing = false;
}

}  // namespace debugwin
