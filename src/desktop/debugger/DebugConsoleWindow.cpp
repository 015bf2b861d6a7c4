// The homebrew debug console's window: what the program printed on ports
// 0xFC and 0xFD since the session began (the latest part of it).
#include <string>

#include "desktop/debugger/DebugWindowParts.h"
#include "host/i18n/Translate.h"

namespace debugwin {
namespace {

GtkWidget* window = nullptr;
GtkWidget* text = nullptr;
std::size_t shownSize = static_cast<std::size_t>(-1);

}  // namespace

void OpenDebugConsoleWindow() {
  if (window) {
    gtk_window_present(GTK_WINDOW(window));
    return;
  }
  NewWindow(Tr("Console SDSC"), 560, 360, &window);
  gtk_container_add(GTK_CONTAINER(window), TextArea(&text, 520, 320));
  gtk_widget_show_all(window);
  shownSize = static_cast<std::size_t>(-1);
  RefreshDebugConsoleWindow();
}

void RefreshDebugConsoleWindow() {
  if (!window) return;
  const std::string& printed = DebugConsoleText();
  if (printed.size() == shownSize) return;
  shownSize = printed.size();
  SetText(text, printed);
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(text));
  GtkTextIter end;
  gtk_text_buffer_get_end_iter(buffer, &end);
  gtk_text_view_scroll_to_iter(GTK_TEXT_VIEW(text), &end, 0.0, FALSE, 0.0, 1.0);
}

}  // namespace debugwin
