#pragma once

// What the debugger windows share: the console they look at, the debugger
// (made when first needed), running and stopping, and a few GTK helpers.

#include <gtk/gtk.h>

#include <cstdint>
#include <string>

class Console;
class Debugger;
struct RgbPicture;

namespace debugwin {

// The console, or nullptr when no session is attached.
Console* TheConsole();
// The debugger of that console, made (with the image's symbols) on the first
// call; nullptr without a console.
Debugger* TheDebugger();
// The console waits for the player at a stop.
bool Held();
// Runs on after a choice of the debugger's (Continue, StepInstruction, ...):
// the console runs, game window focused or not, until it stops.
void RunOn(void (Debugger::*how)());
// Stops at the next instruction.
void Pause();
// Every open window shows the console's state again.
void RefreshAll();
// What the program printed on the homebrew debug console (the latest part).
const std::string& DebugConsoleText();
// A value the player typed: a label, $1234, 0x1234, 1234h or hexadecimal.
bool ParseValue(const char* text, std::uint16_t& value);

// A window that clears `*slot` when it goes; it does not take the focus.
GtkWidget* NewWindow(const char* caption, int width, int height, GtkWidget** slot);
// A read-only monospace text view in a scrolled window (returned); the view
// comes back through `view`.
GtkWidget* TextArea(GtkWidget** view, int width, int height);
// Replaces a text view's text when it differs (keeps the scroll otherwise).
void SetText(GtkWidget* view, const std::string& text);
// Shows a picture in an image, each pixel `scale` times.
void ShowPicture(GtkWidget* image, const RgbPicture& picture, int scale);
GtkWidget* Button(const char* caption, GCallback clicked, gpointer data = nullptr);
GtkWidget* Labelled(const char* caption, GtkWidget* widget);

// The windows: open (or bring up) and refresh.
void OpenProcessorWindow();
void RefreshProcessorWindow();
void OpenMemoryWindow();
void RefreshMemoryWindow();
void OpenVideoWindow();
void RefreshVideoWindow();
void OpenTraceWindow();
void RefreshTraceWindow();
void OpenDebugConsoleWindow();
void RefreshDebugConsoleWindow();
// Closes them all (the session goes).
void CloseDebugWindows();

}  // namespace debugwin
