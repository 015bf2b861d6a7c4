// The trace window: the last instructions the processor ran, oldest first,
// from the debugger's history (the newest is the one it stopped before).
#include "desktop/debugger/TraceWindow.h"

#include <string>

#include "debugger/Debugger.h"
#include "desktop/debugger/DebugWindows.h"
#include "host/i18n/Translate.h"

namespace debugwin {

void TraceWindow::Open() {
  if (slot.Present() || !debug.TheDebugger()) return;
  NewWindow(Tr("Trace"), 900, 480, &slot.window);
  gtk_container_add(GTK_CONTAINER(slot.window), TextArea(&lines, 860, 440));
  gtk_widget_show_all(slot.window);
  Refresh();
}

void TraceWindow::Refresh() {
  Debugger* debugger = debug.TheDebugger();
  if (!slot.window || !debugger) return;
  std::string text;
  for (int back = debugger->HistoryCount() - 1; back >= 0; --back) {
    text += debugger->HistoryLine(debugger->History(back));
    text += '\n';
  }
  SetText(lines, text);
  // The stop is at the end.
  if (debug.HoldsConsole()) ScrollToEnd(lines);
}

}  // namespace debugwin
