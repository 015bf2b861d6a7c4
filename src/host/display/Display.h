#pragma once

#include <cstdint>

#include "host/display/PictureLayout.h"

class HostMessageBox;
// PictureFilter.h names them.
enum class PictureFilter : std::uint8_t;

// The host's side of the picture: a window showing the console's 256 x 192
// picture and an off-screen back surface in the desktop's pixel format into
// which every finished frame is converted. The video chip only ever talks to
// this interface; each host layer (desktop, headless) implements it, so the
// core never includes host code.

// What a lock of the back surface reports: the start of its memory and the
// distance in bytes from one row to the next. Video keeps one of these and
// hands it to every lock.
struct SurfaceLock {
  std::uint8_t* bits = nullptr;
  std::int32_t pitch = 0;
};

// Bytes per pixel of the back surface at a given desktop depth. Depth 16 is a
// 16-bit word, 24 is three bytes; any other depth is handled as 32 bits.
constexpr int BackBytesPerPixel(int depth) {
  return depth == 16 ? 2 : depth == 24 ? 3 : 4;
}

class Display {
 public:
  virtual ~Display() = default;

  // Opens the display window, hidden, with a client area of width x height.
  // False when no window could be made.
  virtual bool OpenWindow(int width, int height, const char* caption) = 0;
  // Makes a width x height back surface in the desktop's format and what
  // presents it; sets depth (and is565 at depth 16). False on the first
  // failed step (already reported through ReportHostFailure).
  virtual bool CreateBackSurface(int width, int height) = 0;
  // Shows the window and makes it the active one.
  virtual void Show() = 0;
  virtual void Centre() = 0;
  // Sets the window's client area to width x height, then centres it.
  virtual void Resize(int width, int height) = 0;
  // The room a window may take on its screen (the work area) and what the
  // window system's frame adds around the client area. False when unknown.
  virtual bool WorkArea(int& width, int& height, int& frameWidth, int& frameHeight) const {
    (void)width, (void)height, (void)frameWidth, (void)frameHeight;
    return false;
  }
  // Changes the window's caption.
  virtual void SetCaption(const char* caption) { (void)caption; }
  // Gives the keyboard focus to the display window.
  virtual void Focus() = 0;

  // True only when CreateBackSurface made the back surface (and what presents
  // it); without them nothing may lock or present.
  virtual bool HasSurfaces() const = 0;
  // Locks the whole back buffer, waiting while it is busy, and fills lock;
  // false when it cannot be locked (the caller reports it).
  virtual bool LockBackBuffer(SurfaceLock& lock) = 0;
  virtual bool UnlockBackBuffer() = 0;
  // Stretches the back buffer into the window (waiting for the monitor's
  // vertical blank where the host can). False on a failure, which it has
  // reported itself ("Blt").
  virtual bool Present() = 0;

  // Desktop bits per pixel, found by CreateBackSurface.
  int depth = 0;
  // 16-bit layout: 1 for 5-6-5, 0 for 5-5-5.
  int is565 = 0;
  // The part of the back surface the player sees (the Game Gear shows less
  // than the whole frame), and whether it is shown at whole scales only.
  PictureRect picture = kMasterSystemPicture;
  bool wholeScales = false;
  // The console's pixels shown 8:7 wide (ShownWidth), as a television shows
  // them. The Game Gear's own screen is no television: it keeps its pixels.
  bool pixelAspect = false;
  int ShownPictureWidth() const { return ShownWidth(picture.width, pixelAspect && !(picture == kGameGearPicture)); }
  // The filter the display draws the picture with (kNone: sharp pixels).
  PictureFilter filter{};
  // Rows of the back surface the last frame filled (192 to 240).
  int frameRows = 192;
  // The display window is the active window; the idle loop runs the console
  // only while it is set.
  bool active = false;
  // Where the display's failures (and the presenter's) are shown; nullptr:
  // only logged.
  HostMessageBox* messageBox = nullptr;
};
