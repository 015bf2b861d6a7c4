#pragma once

#include <SDL.h>

#include "desktop/sdl/VsyncGuard.h"
#include "host/display/Display.h"

class DisplayManager;

// The display window on SDL: a window of its own with a renderer, and the
// back surface as a 256 x 192 streaming texture in the desktop's pixel format
// (16 bits as 5-6-5 or 5-5-5, 24, or 32), which every finished frame is
// converted into and then stretched over the whole client area. Presenting
// waits for the monitor's vertical blank where the renderer offers vsync;
// the console's speed comes from the frame clock of the main loop, not from
// the monitor. The filters are the renderer's work: smooth scaling is the
// back texture's linear sampling, and the scanlines and the LCD grid are
// two thin textures of shades (one pixel tall or wide, built once per
// picture size) multiplied over the stretched picture, so they cost the
// processor nothing per frame where the renderer has a GPU (SDL's software
// renderer does the same work on the processor).
class SdlDisplay final : public Display {
 public:
  ~SdlDisplay() override;

  bool OpenWindow(int width, int height, const char* caption) override;
  bool CreateBackSurface(int width, int height) override;
  void Show() override;
  void Centre() override;
  void Resize(int width, int height) override;
  void Focus() override;
  bool WorkArea(int& width, int& height, int& frameWidth, int& frameHeight) const override;
  void SetCaption(const char* caption) override;
  bool HasSurfaces() const override;
  bool LockBackBuffer(SurfaceLock& lock) override;
  bool UnlockBackBuffer() override;
  bool Present() override;

  // Releases the surfaces and the window (DisplayManager::Shutdown does this).
  void DestroyWindow();

  // A window manager may hand the focus to another window just after the
  // display window asked for it (the strip mapped a moment later, a dialog
  // closing). For a short while after Focus(), the main loop calls this to
  // ask again until the focus has arrived.
  void KeepAskingForFocus(std::int64_t nowMs);
  // Shows the back surface again as it is (the window was uncovered or
  // resized while the console does not run).
  void Repaint();

  // Full screen on the desktop's own mode (black bars round the picture,
  // laid out as in a window) or back to the window. False when SDL refuses.
  bool SetFullscreen(bool on);
  // The client area's top-left corner on the desktop; false without a window.
  bool Place(int& x, int& y) const;
  // Moves the window there when that corner lies on a screen.
  void MoveTo(int x, int y);
  bool Fullscreen() const { return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0; }
  // In full screen the pointer is hidden once it has not moved for a
  // moment; the main loop reports motion and the time.
  void PointerMoved(std::int64_t nowMs);
  void HidePointerWhenIdle(std::int64_t nowMs);
  // The point of the console's frame under a point of the window (SDL's
  // window coordinates); false outside the picture.
  bool FramePoint(int windowX, int windowY, int& x, int& y) const;
  // The window's width and the picture's size in it, in window points
  // (what the mouse's motion is counted in); false without a window.
  bool PointSizes(int& windowWidth, int& pictureWidth, int& pictureHeight) const;

  SDL_Window* Window() const { return window; }
  std::uint32_t WindowId() const { return window ? SDL_GetWindowID(window) : 0; }
  bool HasVsync() const { return vsync; }
  long long PresentCount() const { return presents; }

  // The registry the window joins when it opens (nullptr: none).
  DisplayManager* manager = nullptr;

 private:
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* back = nullptr;
  bool vsync = false;
  VsyncGuard vsyncGuard;
  long long presents = 0;
  std::int64_t focusUntilMs = 0;
  std::int64_t focusAskedMs = 0;
  std::int64_t pointerMovedMs = 0;
  bool pointerHidden = false;
  bool CopyPicture();
  void UseFilter(const SDL_Rect& target);
  void DropShades();

  // The filter's shades: a 1 x height texture darkening rows and a
  // width x 1 one darkening columns (nullptr: nothing to lay over that
  // axis), for the view, picture and filter they were built for.
  SDL_Texture* rowShades = nullptr;
  SDL_Texture* columnShades = nullptr;
  struct ShadesFor {
    int viewWidth = 0, viewHeight = 0, pictureWidth = 0, pictureHeight = 0, filter = -1;
    bool operator==(const ShadesFor&) const = default;
  } shadesFor;
  int scaleModeFilter = -1;  // the filter the back texture's sampling was set for
  bool shadesRefused = false;  // the renderer would not make them: said once
};

// The texture format that matches a desktop pixel format, and the depth and
// 16-bit layout the frame conversion should use for it. Depth 0 when the
// format is one the conversion cannot write (indexed, say): the picture is
// then converted at 32 bits into an XRGB texture.
struct BackFormat {
  std::uint32_t textureFormat;
  int depth;
  int is565;
};
BackFormat BackFormatFor(std::uint32_t desktopFormat);
