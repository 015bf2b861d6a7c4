// The homebrew debug console's window: what the program printed on ports
// 0xFC and 0xFD since the session began (the latest part of it).
#include "desktop/debugger/DebugConsoleWindow.h"

#include <string>

#include "desktop/debugger/DebugWindows.h"
#include "host/i18n/Translate.h"

namespace debugwin {

void DebugConsoleWindow::Open() {
  if (slot.Present()) return;
  NewWindow(Tr("Console SDSC"), 560, 360, &slot.window);
  gtk_container_add(GTK_CONTAINER(slot.window), TextArea(&text, 520, 320));
  gtk_widget_show_all(slot.window);
  shown = false;
  Refresh();
}

void DebugConsoleWindow::Refresh() {
  if (!slot.window) return;
  if (shown && debug.DebugConsolePrinted() == shownPrinted) return;
  shown = true;
  shownPrinted = debug.DebugConsolePrinted();
  SetText(text, debug.DebugConsoleText());
  ScrollToEnd(text);
}

}  // namespace debugwin
