#pragma once

// What the debugger windows share: the GTK helpers they are built with, and
// the part every window has (its toplevel, opened once and brought up after).

#include <gtk/gtk.h>

#include <string>

struct RgbPicture;

namespace debugwin {

// A window that clears `*slot` when it goes; it does not take the focus.
GtkWidget* NewWindow(const char* caption, int width, int height, GtkWidget** slot);
// A read-only monospace text view in a scrolled window (returned); the view
// comes back through `view`.
GtkWidget* TextArea(GtkWidget** view, int width, int height);
// Replaces a text view's text when it differs (keeps the scroll otherwise).
void SetText(GtkWidget* view, const std::string& text);
// Scrolls a text view to its last line.
void ScrollToEnd(GtkWidget* view);
// Shows a picture in an image, each pixel `scale` times.
void ShowPicture(GtkWidget* image, const RgbPicture& picture, int scale);
GtkWidget* Button(const char* caption, GCallback clicked, gpointer data);
GtkWidget* Labelled(const char* caption, GtkWidget* widget);

// The toplevel of one debugger window: nullptr while it is not open.
struct WindowSlot {
  GtkWidget* window = nullptr;
  // Brings the window up when it is open (true), else leaves it to be made.
  bool Present() const;
  // Destroys the window when it is open.
  void Close();
};

}  // namespace debugwin
