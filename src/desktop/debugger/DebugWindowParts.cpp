// The GTK helpers the debugger windows are built with.
#include "desktop/debugger/DebugWindowParts.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "debugger/VideoPictures.h"

namespace debugwin {

namespace {
void ClearSlot(GtkWidget*, gpointer slot) { *static_cast<GtkWidget**>(slot) = nullptr; }
}  // namespace

bool WindowSlot::Present() const {
  if (!window) return false;
  gtk_window_present(GTK_WINDOW(window));
  return true;
}

void WindowSlot::Close() {
  if (window) gtk_widget_destroy(window);
}

GtkWidget* NewWindow(const char* caption, int width, int height, GtkWidget** slot) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), caption);
  gtk_window_set_default_size(GTK_WINDOW(window), width, height);
  gtk_window_set_focus_on_map(GTK_WINDOW(window), FALSE);
  gtk_container_set_border_width(GTK_CONTAINER(window), 6);
  *slot = window;
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

void ScrollToEnd(GtkWidget* view) {
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
  GtkTextIter end;
  gtk_text_buffer_get_end_iter(buffer, &end);
  gtk_text_view_scroll_to_iter(GTK_TEXT_VIEW(view), &end, 0.0, FALSE, 0.0, 1.0);
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
