#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop/debugger/DebugConsoleWindow.h"
#include "desktop/debugger/MemoryWindow.h"
#include "desktop/debugger/ProcessorWindow.h"
#include "desktop/debugger/TraceWindow.h"
#include "desktop/debugger/VideoWindow.h"

class Console;
class Debugger;
class Session;

// The desktop's debugger windows (processor, memory, video, trace and the
// homebrew debug console), opened from the "Débogage" menu. They look at the
// session's console while it runs, a few times a second, and at once when it
// stops; a stop (a breakpoint, a step, the program's own request) pauses the
// game and shows the processor window until the player runs it on.
//
// The desktop program owns one; the menu, the timer and the windows' GTK
// signals hold its address, so it neither moves nor copies.
class DebugWindows {
 public:
  DebugWindows();
  ~DebugWindows();
  DebugWindows(const DebugWindows&) = delete;
  DebugWindows& operator=(const DebugWindows&) = delete;

  // The menu, for the main window's bar. `focusGame` gives the game window
  // the focus back once a window has opened, so the game runs on beside it.
  GtkWidget* BuildMenu(std::function<void()> focusGame);

  // The session the windows look at, and the command line's breakpoints
  // (--break) to set at once; nullptr closes the windows and drops the
  // debugger (before the session goes).
  void Attach(Session* session, const std::vector<std::string>& breaks);

  // The console is stopped and waits for the player: the run loop leaves it.
  bool HoldsConsole() const;
  // The player ran the console from a debugger window: it runs without the
  // game window's focus, until it stops.
  bool DrivesConsole() const { return driving; }
  // After each frame the run loop ran: takes the debug console's text and
  // notices a stop.
  void AfterFrame();

  // What the windows use.
  // The console, or nullptr when no session is attached.
  Console* TheConsole() const;
  // The debugger of that console, made (with the image's symbols) on the
  // first call; nullptr without a console.
  Debugger* TheDebugger();
  // Runs on after a choice of the debugger's (Continue, StepInstruction, ...):
  // the console runs, game window focused or not, until it stops.
  void RunOn(void (Debugger::*how)());
  // Stops at the next instruction.
  void Pause();
  // Every open window shows the console's state again.
  void RefreshAll();
  // What the program printed on the homebrew debug console (the latest part).
  const std::string& DebugConsoleText() const { return debugText; }
  // How many characters the program has printed in all: the kept text may
  // be cut to the same length it had, so its size cannot tell a change.
  std::uint64_t DebugConsolePrinted() const { return debugPrinted; }
  // A value the player typed: a label, $1234, 0x1234, 1234h or hexadecimal.
  bool ParseValue(const char* text, std::uint16_t& value);

 private:
  // The menu's items, in its order.
  enum Which { kProcessor, kMemory, kVideo, kTrace, kDebugConsole };
  void Open(int which);
  void LoadSymbols();
  void CloseAll();
  static gboolean OnRefreshTimer(gpointer data);
  static void OnOpen(GtkMenuItem* item, gpointer data);

  Session* session = nullptr;
  std::unique_ptr<Debugger> owned;
  // The debugger the windows use: their own, or the one already on the
  // console (the debug server's), which keeps its symbols and its stops.
  Debugger* debugger = nullptr;
  std::string symbolsOf;  // the image whose symbols the debugger holds
  bool held = false;
  bool driving = false;
  std::string debugText;
  std::uint64_t debugPrinted = 0;
  guint timer = 0;
  std::function<void()> focusGame;

  debugwin::ProcessorWindow processor{*this};
  debugwin::MemoryWindow memory{*this};
  debugwin::VideoWindow video{*this};
  debugwin::TraceWindow trace{*this};
  debugwin::DebugConsoleWindow debugConsole{*this};
};
