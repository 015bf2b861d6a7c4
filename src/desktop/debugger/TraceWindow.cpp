// The trace window: the last instructions the processor ran, oldest first,
// from the debugger's history (the newest is the one it stopped before).
#include <string>

#include "debugger/Debugger.h"
#include "desktop/debugger/DebugWindowParts.h"
#include "host/i18n/Translate.h"

namespace debugwin {
namespace {

GtkWidget* window = nullptr;
GtkWidget* lines = nullptr;

}  // namespace

void OpenTraceWindow() {
  if (window) {
    gtk_window_present(GTK_WINDOW(window));
    return;
  }
  if (!TheDebugger()) return;
  NewWindow(Tr("Trace"), 900, 480, &window);
  gtk_container_add(GTK_CONTAINER(window), TextArea(&lines, 860, 440));
  gtk_widget_show_all(window);
  RefreshTraceWindow();
}

void RefreshTraceWindow() {
  Debugger* debugger = TheDebugger();
  if (!window || !debugger) return;
  std::string text;
  for (int back = debugger->HistoryCount() - 1; back >= 0; --back) {
    text += debugger->HistoryLine(debugger->History(back));
    text += '\n';
  }
  SetText(lines, text);
  if (Held()) {
    // The stop is at the end.
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(lines));
    GtkTextIter end;
    gtk_text_buffer_get_end_iter(buffer, &end);
    gtk_text_view_scroll_to_iter(GTK_TEXT_VIEW(lines), &end, 0.0, FALSE, 0.0, 1.0);
  }
}

}  // namespace debugwin
