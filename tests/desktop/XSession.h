#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A private X server (Xvfb) for one test, and the few things the tests do on
// it: find windows by caption, read what a window shows, press keys through
// the XTEST extension, and ask a window to close as a window manager would.
class XSession {
 public:
  XSession() = default;
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  // Starts Xvfb at the given depth and connects to it. False, with the
  // reason in `error`, when no server could be started.
  bool Start(int depth, std::string& error);
  // Starts openbox on the server and waits until it manages windows. False,
  // with the reason, when it cannot (the package is missing, say).
  bool StartWindowManager(std::string& error);
  // Stops (or lets go on) the window manager, as a busy machine that has
  // not scheduled it for a while would.
  void HoldWindowManager(bool held);
  const std::string& DisplayName() const { return displayName; }
  Display* Connection() const { return connection; }

  // The first window (searching the whole tree) whose name starts with
  // `caption` (or is `caption`, when exact); waits up to `timeoutMs` for it
  // to be mapped. 0 when none appeared.
  Window WaitForWindow(const std::string& caption, int timeoutMs, bool exact = false);
  // The window's caption (_NET_WM_NAME, else WM_NAME), as UTF-8.
  std::string Caption(Window window);
  // True when the window (or a window inside it) has the keyboard focus.
  bool HasFocus(Window window);
  // Menus shown on the screen.
  int PopupCount();
  // Client size of a window.
  bool Size(Window window, int& width, int& height);

  // The window's pixels as 0xRRGGBB, row by row. Empty on failure.
  std::vector<std::uint32_t> Grab(Window window, int& width, int& height);
  // Waits up to `timeoutMs` for the window to show something other than
  // what it shows now: true once the picture moved.
  bool WaitForChange(Window window, int timeoutMs);
  // Waits up to `timeoutMs` for the window's picture to stay the same for
  // `stillMs`; true with that picture in `still`. Two grabs alike prove
  // nothing on a slow machine, where frames come far apart.
  bool WaitForStill(Window window, int stillMs, int timeoutMs, std::vector<std::uint32_t>& still);

  void Focus(Window window);
  // Opens the menu of a window's menu bar with Alt+mnemonic; true once a
  // menu is on screen. The focus may be taken back after it reaches the bar
  // (a raise the program asked for still on its way through the window
  // manager), so the bar is focused and the keys pressed again until a menu
  // shows.
  bool OpenMenu(Window bar, unsigned long mnemonic, int timeoutMs);
  // Presses (down) or releases a key named by its keysym.
  void Key(unsigned long keysym, bool down);
  // Sends WM_DELETE_WINDOW, as a window manager does for its close button.
  void RequestClose(Window window);
  // Moves the pointer to (x, y) of the window and clicks a button (1: the
  // left one, 3: the right one).
  void Click(Window window, int x, int y, unsigned button = 1);
  // Resizes the window as a player dragging its frame would.
  void Resize(Window window, int width, int height);

 private:
  bool IsMenu(Window window);

  pid_t windowManager = -1;
  pid_t server = -1;
  Display* connection = nullptr;
  std::string displayName;
};

// How long a test waits for something that must come (a window, the focus,
// a file, a frame count): long, because it only costs time when a check
// fails, and a sanitizer build sharing the machine with other work takes
// seconds where an idle one takes milliseconds.
inline constexpr int kPatienceMs = 30000;

// Polls `condition` every 20 ms until it holds or `timeoutMs` has passed;
// returns its last value.
template <typename Condition>
bool WaitUntil(Condition condition, int timeoutMs);

// Folders a test's program works in, removed when this object goes. A
// fixture declares it before the program's Child, so the program has exited
// (or been stopped) before its folders are taken away: a program still
// saving its battery file must find them there.
class ScratchFolders {
 public:
  ScratchFolders() = default;
  ~ScratchFolders();
  ScratchFolders(const ScratchFolders&) = delete;
  ScratchFolders& operator=(const ScratchFolders&) = delete;
  // A fresh, empty folder at `path`, removed with this object.
  std::filesystem::path Make(const std::filesystem::path& path);

 private:
  std::vector<std::filesystem::path> folders;
};

// A child process of the test with its standard output and error in files.
// A child still running when this goes is asked to end (SIGTERM, as a
// session's end does) and waited for; killed only when it will not.
class Child {
 public:
  ~Child();
  // Starts `program` with `arguments`, with these extra environment
  // variables ("NAME=value"; "NAME=" removes NAME).
  bool Start(const std::string& program, const std::vector<std::string>& arguments,
             const std::vector<std::string>& environment, const std::string& scratch);
  // Waits up to timeoutMs for the exit. True with the exit status when it
  // exited; false when it is still running (or was killed by a signal).
  bool Wait(int timeoutMs, int& status);
  bool Running();
  // Sends the child a signal (SIGTERM, as a session's end does).
  void Signal(int number);
  // Processor time the child has used so far, in seconds (user + system).
  double CpuSeconds() const;
  std::string Errors() const;
  std::string Output() const;

 private:
  pid_t pid = -1;
  std::string errorsPath;
  std::string outputPath;
};

#include <chrono>
#include <thread>

template <typename Condition>
bool WaitUntil(Condition condition, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return condition();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}
