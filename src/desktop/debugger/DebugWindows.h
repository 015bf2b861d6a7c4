#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

class Session;

// The desktop's debugger windows (processor, memory, video, trace and the
// homebrew debug console), opened from the "Débogage" menu. They look at the
// session's console while it runs, a few times a second, and at once when it
// stops; a stop (a breakpoint, a step, the program's own request) pauses the
// game and shows the processor window until the player runs it on.

// The menu, for the main window's bar. `focusGame` gives the game window
// the focus back once a window has opened, so the game runs on beside it.
GtkWidget* BuildDebugMenu(std::function<void()> focusGame);

// The session the windows look at, and the command line's breakpoints
// (--break) to set at once; nullptr closes the windows and drops the
// debugger (before the session goes).
void AttachDebugWindows(Session* session, const std::vector<std::string>& breaks);

// The console is stopped and waits for the player: the run loop leaves it.
bool DebugHoldsConsole();
// The player ran the console from a debugger window: it runs without the
// game window's focus, until it stops.
bool DebugDrivesConsole();
// After each frame the run loop ran: takes the debug console's text and
// notices a stop.
void DebugAfterFrame();
