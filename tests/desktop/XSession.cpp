#include "XSession.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The window's _NET_WM_NAME (UTF-8), empty when it has none.
std::string NetName(Display* display, Window at) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string name;
  if (XGetWindowProperty(display, at, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False,
                         XInternAtom(display, "UTF8_STRING", False), &type, &format, &count, &after,
                         &data) == Success && data) {
    name.assign(reinterpret_cast<const char*>(data), count);
    XFree(data);
  }
  return name;
}

Window FindWindow(Display* display, Window at, const std::string& caption, bool exact) {
  // WM_NAME may be typed STRING, UTF8_STRING or (GTK's, for a caption that
  // is not ASCII) COMPOUND_TEXT; such a caption is matched in _NET_WM_NAME.
  XTextProperty name{};
  if (XGetWMName(display, at, &name) && name.value) {
    std::string found(reinterpret_cast<const char*>(name.value), name.nitems);
    XFree(name.value);
    auto matches = [&] { return exact ? found == caption : found.rfind(caption, 0) == 0; };
    bool match = matches();
    if (!match && !(found = NetName(display, at)).empty()) match = matches();
    if (match) {
      XWindowAttributes attributes;
      if (XGetWindowAttributes(display, at, &attributes) && attributes.map_state == IsViewable) return at;
    }
  }
  Window root, parent;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, at, &root, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned i = 0; i < count && !found; ++i) found = FindWindow(display, children[i], caption, exact);
  if (children) XFree(children);
  return found;
}

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

XSession::~XSession() {
  if (connection) XCloseDisplay(connection);
  if (windowManager > 0) {
    kill(windowManager, SIGCONT);
    kill(windowManager, SIGTERM);
    int status = 0;
    waitpid(windowManager, &status, 0);
  }
  if (server > 0) {
    kill(server, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100 && waitpid(server, &status, WNOHANG) == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (waitpid(server, &status, WNOHANG) == 0) {
      kill(server, SIGKILL);
      waitpid(server, &status, 0);
    }
  }
}

bool XSession::Start(int depth, std::string& error) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    error = "no pipe";
    return false;
  }
  const std::string screen = "1280x1024x" + std::to_string(depth);
  const std::string fd = std::to_string(pipeFds[1]);
  server = fork();
  if (server == 0) {
    close(pipeFds[0]);
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, 1);
    dup2(devNull, 2);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
           "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeFds[1]);
  if (server < 0) {
    close(pipeFds[0]);
    error = "cannot fork";
    return false;
  }
  // Xvfb writes the display number it took once it is ready.
  std::string number;
  pollfd watch{pipeFds[0], POLLIN, 0};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (std::chrono::steady_clock::now() < deadline) {
    if (poll(&watch, 1, 100) <= 0) continue;
    char c;
    ssize_t got = read(pipeFds[0], &c, 1);
    if (got <= 0) break;
    if (c == '\n') break;
    number += c;
  }
  close(pipeFds[0]);
  if (number.empty()) {
    error = "Xvfb did not start (is the xvfb package installed?)";
    return false;
  }
  displayName = ":" + number;
  connection = XOpenDisplay(displayName.c_str());
  if (!connection) {
    error = "cannot connect to Xvfb on " + displayName;
    return false;
  }
  XSetErrorHandler(IgnoreErrors);
  int event, errorBase, major, minor;
  if (!XTestQueryExtension(connection, &event, &errorBase, &major, &minor)) {
    error = "Xvfb has no XTEST extension";
    return false;
  }
  return true;
}

Window XSession::WaitForWindow(const std::string& caption, int timeoutMs, bool exact) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  do {
    Window found = FindWindow(connection, DefaultRootWindow(connection), caption, exact);
    if (found) return found;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < deadline);
  return 0;
}

bool XSession::Size(Window window, int& width, int& height) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(connection, window, &attributes)) return false;
  width = attributes.width;
  height = attributes.height;
  return true;
}

std::vector<std::uint32_t> XSession::Grab(Window window, int& width, int& height) {
  std::vector<std::uint32_t> pixels;
  if (!Size(window, width, height)) return pixels;
  XImage* image = XGetImage(connection, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (!image) return pixels;
  // Spread each channel's mask to 8 bits, whatever the server's depth.
  auto channel = [](unsigned long pixel, unsigned long mask) -> std::uint32_t {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    int bits = 0;
    while ((mask >> (shift + bits)) & 1) ++bits;
    std::uint32_t value = static_cast<std::uint32_t>((pixel & mask) >> shift);
    std::uint32_t out = value << (8 - bits);
    for (int filled = bits; filled < 8; filled += bits) out |= out >> bits;
    return out & 0xFF;
  };
  pixels.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned long p = XGetPixel(image, x, y);
      pixels[static_cast<std::size_t>(y) * width + x] = channel(p, image->red_mask) << 16 |
                                                        channel(p, image->green_mask) << 8 |
                                                        channel(p, image->blue_mask);
    }
  }
  XDestroyImage(image);
  return pixels;
}

bool XSession::WaitForChange(Window window, int timeoutMs) {
  int width = 0, height = 0;
  std::vector<std::uint32_t> first = Grab(window, width, height);
  return WaitUntil([&] {
    const std::vector<std::uint32_t> now = Grab(window, width, height);
    if (first.empty()) first = now;  // nothing to compare with until the window could be read
    return !now.empty() && now != first;
  }, timeoutMs);
}

bool XSession::WaitForStill(Window window, int stillMs, int timeoutMs, std::vector<std::uint32_t>& still) {
  int width = 0, height = 0;
  still = Grab(window, width, height);
  auto since = std::chrono::steady_clock::now();
  return WaitUntil([&] {
    std::vector<std::uint32_t> now = Grab(window, width, height);
    if (now.empty() || now != still) {
      still = std::move(now);
      since = std::chrono::steady_clock::now();
      return false;
    }
    return std::chrono::steady_clock::now() - since >= std::chrono::milliseconds(stillMs);
  }, timeoutMs);
}

void XSession::Focus(Window window) {
  XRaiseWindow(connection, window);
  XSetInputFocus(connection, window, RevertToParent, CurrentTime);
  XSync(connection, False);
}

bool XSession::OpenMenu(Window bar, unsigned long mnemonic, int timeoutMs) {
  constexpr int kMenuShowsMs = 5000;  // a menu asked for shows well within this, even under load
  return WaitUntil([&] {
    if (PopupCount() > 0) return true;
    if (!HasFocus(bar)) {
      Focus(bar);
      return false;
    }
    Key(XK_Alt_L, true);
    Key(mnemonic, true);
    Key(mnemonic, false);
    Key(XK_Alt_L, false);
    return WaitUntil([&] { return PopupCount() > 0; }, kMenuShowsMs);
  }, timeoutMs);
}

void XSession::Key(unsigned long keysym, bool down) {
  KeyCode code = XKeysymToKeycode(connection, keysym);
  XTestFakeKeyEvent(connection, code, down ? True : False, CurrentTime);
  XSync(connection, False);
}

void XSession::RequestClose(Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(connection, window, False, NoEventMask, &event);
  XSync(connection, False);
}

ScratchFolders::~ScratchFolders() {
  for (const std::filesystem::path& folder : folders) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
}

std::filesystem::path ScratchFolders::Make(const std::filesystem::path& path) {
  std::filesystem::remove_all(path);
  std::filesystem::create_directories(path);
  folders.push_back(path);
  return path;
}

Child::~Child() {
  if (pid > 0 && Running()) {
    kill(pid, SIGTERM);
    int status = 0;
    if (!Wait(kPatienceMs, status) && pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
  }
  if (!errorsPath.empty()) std::remove(errorsPath.c_str());
  if (!outputPath.empty()) std::remove(outputPath.c_str());
}

bool Child::Start(const std::string& program, const std::vector<std::string>& arguments,
                  const std::vector<std::string>& environment, const std::string& scratch) {
  errorsPath = scratch + "/stderr.txt";
  outputPath = scratch + "/stdout.txt";
  pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    // The sessions look for the texts as written (window titles, captions,
    // boxes), whatever the locale the tests run under.
    setenv("LC_ALL", "C.UTF-8", 1);
    unsetenv("LANGUAGE");
#if defined(__SANITIZE_ADDRESS__)
    // LeakSanitizer's tracer, stopping the desktop program's threads (GTK,
    // GLib, SDL) at exit, now and then crashes itself ("Tracer caught signal
    // 11") after a clean shutdown. The desktop program runs here with the
    // address and behaviour checks but without the leak check at exit; the
    // in-process tests keep checking leaks.
    setenv("ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1", 1);
#endif
    for (const std::string& setting : environment) {
      const std::size_t equals = setting.find('=');
      const std::string name = setting.substr(0, equals);
      const std::string value = setting.substr(equals + 1);
      if (value.empty()) {
        unsetenv(name.c_str());
      } else {
        setenv(name.c_str(), value.c_str(), 1);
      }
    }
    int errors = open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int output = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, 0);
    dup2(output, 1);
    dup2(errors, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return true;
}

bool Child::Wait(int timeoutMs, int& status) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    int raw = 0;
    pid_t done = waitpid(pid, &raw, WNOHANG);
    if (done == pid) {
      pid = -1;
      if (!WIFEXITED(raw)) return false;
      status = WEXITSTATUS(raw);
      return true;
    }
    if (done < 0) {
      pid = -1;  // not ours to wait for any more
      return false;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool Child::Running() {
  if (pid <= 0) return false;
  int raw;
  const pid_t done = waitpid(pid, &raw, WNOHANG);
  if (done == 0) return true;
  pid = -1;  // exited (and reaped) or gone
  return false;
}

void Child::Signal(int number) {
  if (pid > 0) kill(pid, number);
}

std::string Child::Errors() const { return ReadFile(errorsPath); }
std::string Child::Output() const { return ReadFile(outputPath); }

double Child::CpuSeconds() const {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Fields after the command name (which may hold spaces) start past ')'.
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  double ticks = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14 || index == 15) ticks += std::stod(field);
    if (index == 15) break;
  }
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void XSession::HoldWindowManager(bool held) {
  if (windowManager > 0) kill(windowManager, held ? SIGSTOP : SIGCONT);
}

bool XSession::StartWindowManager(std::string& error) {
  windowManager = fork();
  if (windowManager == 0) {
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, 1);
    dup2(devNull, 2);
    setenv("DISPLAY", displayName.c_str(), 1);
    execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
    _exit(127);
  }
  if (windowManager < 0) {
    error = "cannot fork";
    return false;
  }
  // A window manager announces itself with _NET_SUPPORTING_WM_CHECK on the root.
  const Atom check = XInternAtom(connection, "_NET_SUPPORTING_WM_CHECK", False);
  const bool up = WaitUntil(
      [&] {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        const bool found = XGetWindowProperty(connection, DefaultRootWindow(connection), check, 0, 1, False,
                                              XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
                           count == 1;
        if (data) XFree(data);
        return found;
      },
      kPatienceMs);
  int status = 0;
  if (!up || waitpid(windowManager, &status, WNOHANG) != 0) {
    error = "openbox did not start (is the openbox package installed?)";
    return false;
  }
  return true;
}

std::string XSession::Caption(Window window) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string caption;
  if (XGetWindowProperty(connection, window, XInternAtom(connection, "_NET_WM_NAME", False), 0, 1024, False,
                         XInternAtom(connection, "UTF8_STRING", False), &type, &format, &count, &after,
                         &data) == Success && data) {
    caption.assign(reinterpret_cast<const char*>(data), count);
    XFree(data);
    return caption;
  }
  XTextProperty name{};
  if (XGetWMName(connection, window, &name) && name.value) {
    caption.assign(reinterpret_cast<const char*>(name.value), name.nitems);
    XFree(name.value);
  }
  return caption;
}

// GTK marks its menus' windows with a menu type; a window manager may keep
// override-redirect windows of its own on the screen, which are not menus.
bool XSession::IsMenu(Window window) {
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  bool menu = false;
  if (XGetWindowProperty(connection, window, XInternAtom(connection, "_NET_WM_WINDOW_TYPE", False), 0, 8, False,
                         XA_ATOM, &type, &format, &items, &after, &data) == Success &&
      data && format == 32) {
    const Atom popup = XInternAtom(connection, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
    const Atom dropdown = XInternAtom(connection, "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", False);
    const Atom* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < items; ++i) menu = menu || atoms[i] == popup || atoms[i] == dropdown;
  }
  if (data) XFree(data);
  return menu;
}

int XSession::PopupCount() {
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(connection, DefaultRootWindow(connection), &root, &parent, &children, &count)) return 0;
  int popups = 0;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(connection, children[i], &attributes) && attributes.override_redirect &&
        attributes.map_state == IsViewable && IsMenu(children[i])) {
      ++popups;
    }
  }
  if (children) XFree(children);
  return popups;
}

bool XSession::HasFocus(Window window) {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(connection, &focus, &revert);
  // The focus may sit on a window inside the one asked about.
  for (Window at = focus; at != 0 && at != PointerRoot;) {
    if (at == window) return true;
    Window root, parent;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(connection, at, &root, &parent, &children, &count)) return false;
    if (children) XFree(children);
    if (parent == root) return false;
    at = parent;
  }
  return false;
}

void XSession::Click(Window window, int x, int y, unsigned button) {
  Window child;
  int rootX = 0, rootY = 0;
  XTranslateCoordinates(connection, window, DefaultRootWindow(connection), x, y, &rootX, &rootY, &child);
  XTestFakeMotionEvent(connection, -1, rootX, rootY, CurrentTime);
  XTestFakeButtonEvent(connection, button, True, CurrentTime);
  XSync(connection, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));  // a press and release a hand apart
  XTestFakeButtonEvent(connection, button, False, CurrentTime);
  XSync(connection, False);
}

void XSession::Resize(Window window, int width, int height) {
  XResizeWindow(connection, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(connection, False);
}
