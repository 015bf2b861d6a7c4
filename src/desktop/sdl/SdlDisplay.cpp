#include "desktop/sdl/SdlDisplay.h"

#include <chrono>
#include <algorithm>
#include <cstring>
#include <vector>

#include "debug/DebugConsole.h"
#include "desktop/sdl/DisplayManager.h"
#include "desktop/sdl/WindowIdentity.h"
#include "host/dialogs/HostFailure.h"
#include "host/display/PictureFilter.h"

namespace {
// How long after Focus() the focus is asked for again, and how often.
constexpr std::int64_t kFocusRetryMs = 1000;
constexpr std::int64_t kFocusIntervalMs = 100;

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

BackFormat BackFormatFor(std::uint32_t desktopFormat) {
  switch (desktopFormat) {
    case SDL_PIXELFORMAT_RGB565:
      return {SDL_PIXELFORMAT_RGB565, 16, 1};
    case SDL_PIXELFORMAT_RGB555:
    case SDL_PIXELFORMAT_ARGB1555:
      return {SDL_PIXELFORMAT_RGB555, 16, 0};
    case SDL_PIXELFORMAT_RGB24:
    case SDL_PIXELFORMAT_BGR24:
      // The conversion writes blue, green, red byte by byte.
      return {SDL_PIXELFORMAT_BGR24, 24, 0};
    default:
      // Four-byte desktops (and anything unusual): 0x00RRGGBB words.
      return {SDL_PIXELFORMAT_RGB888, 32, 0};
  }
}

SdlDisplay::~SdlDisplay() { DestroyWindow(); }

bool SdlDisplay::OpenWindow(int width, int height, const char* caption) {
  window = SDL_CreateWindow(caption, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                            SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (!window) {
    LogPrintf("  Display window: %s\n", SDL_GetError());
    return false;
  }
  if (manager) manager->Register(this);
  return true;
}

bool SdlDisplay::CreateBackSurface(int width, int height) {
  if (!window) {
    ReportHostFailure(messageBox, "DirectDrawCreate", HostFailure::kMissing);
    return false;
  }
  const std::uint32_t desktop = SDL_GetWindowPixelFormat(window);
  const BackFormat format = BackFormatFor(desktop);
  // What the desktop shows, as bits per pixel; the conversion then writes
  // the texture's own layout.
  depth = format.depth;

  // Smooth stretching would blur the console's pixels.
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
  if (!renderer) renderer = SDL_CreateRenderer(window, -1, 0);
  if (!renderer) {
    LogPrintf("  Renderer: %s\n", SDL_GetError());
    ReportHostFailure(messageBox, "DirectDrawCreate");
    return false;
  }
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(renderer, &info);
  vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
  LogPrintf("  Renderer: %s%s\n", info.name ? info.name : "?", vsync ? ", vsync" : ", no vsync");
  // An OpenGL renderer makes the X window anew, with SDL's own class: the
  // program's class and icon go on the window that will be shown.
  SetWindowIdentity(window);

  back = SDL_CreateTexture(renderer, format.textureFormat, SDL_TEXTUREACCESS_STREAMING, width, height);
  if (!back) {
    LogPrintf("  Back surface: %s\n", SDL_GetError());
    ReportHostFailure(messageBox, "CreateSurface (Back)");
    return false;
  }
  if (depth == 16) {
    if (desktop == SDL_PIXELFORMAT_RGB565) {
      LogPrintf("16bit 565 Display\n");
    } else if (desktop == SDL_PIXELFORMAT_RGB555 || desktop == SDL_PIXELFORMAT_ARGB1555) {
      LogPrintf("16bit 555 Display\n");
    } else {
      LogPrintf("Unknown 16bit Display, assuming 555\n");
    }
    is565 = format.is565;
  }
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  // Black until the first frame, so the window never shows garbage or white.
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(back, nullptr, &pixels, &pitch) == 0) {
    std::memset(pixels, 0, static_cast<std::size_t>(pitch) * static_cast<std::size_t>(height));
    SDL_UnlockTexture(back);
  }
  return true;
}

void SdlDisplay::Show() {
  if (!window) return;
  SDL_ShowWindow(window);
  Focus();
}

void SdlDisplay::Centre() {
  if (window) SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void SdlDisplay::Resize(int width, int height) {
  if (!window) return;
  // SDL sizes the client area; the window manager adds its frame around it.
  SDL_SetWindowSize(window, width < 1 ? 1 : width, height < 1 ? 1 : height);
  SDL_RaiseWindow(window);
  Centre();
}

bool SdlDisplay::SetFullscreen(bool on) {
  if (!window) return false;
  if (SDL_SetWindowFullscreen(window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
    LogPrintf("Display: full screen %s refused: %s\n", on ? "on" : "off", SDL_GetError());
    return false;
  }
  if (!on && pointerHidden) {
    SDL_ShowCursor(SDL_ENABLE);
    pointerHidden = false;
  }
  Focus();
  Repaint();
  return true;
}

bool SdlDisplay::Place(int& x, int& y) const {
  if (!window || Fullscreen()) return false;
  SDL_GetWindowPosition(window, &x, &y);
  return true;
}

void SdlDisplay::MoveTo(int x, int y) {
  if (!window) return;
  for (int index = 0; index < SDL_GetNumVideoDisplays(); ++index) {
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(index, &bounds) == 0 && x >= bounds.x && y >= bounds.y && x < bounds.x + bounds.w &&
        y < bounds.y + bounds.h) {
      SDL_SetWindowPosition(window, x, y);
      return;
    }
  }
}

void SdlDisplay::PointerMoved(std::int64_t nowMs) {
  pointerMovedMs = nowMs;
  if (pointerHidden) {
    SDL_ShowCursor(SDL_ENABLE);
    pointerHidden = false;
  }
}

void SdlDisplay::HidePointerWhenIdle(std::int64_t nowMs) {
  constexpr std::int64_t kPointerIdleMs = 2000;
  if (pointerHidden || nowMs - pointerMovedMs < kPointerIdleMs || !Fullscreen()) return;
  SDL_ShowCursor(SDL_DISABLE);
  pointerHidden = true;
}

bool SdlDisplay::WorkArea(int& width, int& height, int& frameWidth, int& frameHeight) const {
  if (!window) return false;
  const int index = SDL_GetWindowDisplayIndex(window);
  SDL_Rect area{};
  if (index < 0 || SDL_GetDisplayUsableBounds(index, &area) != 0) return false;
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
  width = area.w;
  height = area.h;
  frameWidth = left + right;
  frameHeight = top + bottom;
  return true;
}

void SdlDisplay::SetCaption(const char* caption) {
  if (window && caption) SDL_SetWindowTitle(window, caption);
}

void SdlDisplay::Focus() {
  if (!window) return;
  SDL_RaiseWindow(window);
  SDL_SetWindowInputFocus(window);
  focusAskedMs = NowMs();
  focusUntilMs = focusAskedMs + kFocusRetryMs;
}

void SdlDisplay::KeepAskingForFocus(std::int64_t nowMs) {
  if (!window || active || nowMs >= focusUntilMs) {
    if (active) focusUntilMs = 0;
    return;
  }
  if (nowMs - focusAskedMs < kFocusIntervalMs) return;
  focusAskedMs = nowMs;
  SDL_RaiseWindow(window);
  SDL_SetWindowInputFocus(window);
}

void SdlDisplay::Repaint() {
  if (!renderer || !back) return;
  if (CopyPicture()) SDL_RenderPresent(renderer);
}

bool SdlDisplay::CopyPicture() {
  SDL_RenderClear(renderer);
  int clientWidth = 0, clientHeight = 0;
  if (SDL_GetRendererOutputSize(renderer, &clientWidth, &clientHeight) != 0) {
    SDL_GetWindowSize(window, &clientWidth, &clientHeight);
  }
  const PictureRect view =
      PictureViewport(clientWidth, clientHeight, ShownPictureWidth(), picture.height, wholeScales);
  const SDL_Rect source{picture.x, picture.y, picture.width, picture.height};
  const SDL_Rect target{view.x, view.y, view.width, view.height};
  if (scaleModeFilter != static_cast<int>(filter)) {
    SDL_SetTextureScaleMode(back, filter == PictureFilter::kSmooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    scaleModeFilter = static_cast<int>(filter);
  }
  if (SDL_RenderCopy(renderer, back, &source, &target) != 0) return false;
  UseFilter(target);
  return true;
}

// Builds the shades when the view, the picture or the filter changed, and
// multiplies them over the picture. Shades the renderer refuses are left
// out (said once in the log): the picture still shows, sharp.
void SdlDisplay::UseFilter(const SDL_Rect& target) {
  const ShadesFor wanted{target.w, target.h, picture.width, picture.height, static_cast<int>(filter)};
  if (!(wanted == shadesFor)) {
    DropShades();
    shadesFor = wanted;
    auto make = [&](ShadeAxis axis, int width, int height, int console) -> SDL_Texture* {
      const int length = axis == ShadeAxis::kRows ? height : width;
      std::vector<std::uint8_t> shades(static_cast<std::size_t>(std::max(length, 0)));
      if (!FilterShades(filter, axis, length, console, shades.data())) return nullptr;
      std::vector<std::uint32_t> pixels(shades.size());
      for (std::size_t i = 0; i < shades.size(); ++i) pixels[i] = 0xFF000000u | shades[i] * 0x010101u;
      SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, width, height);
      if (texture && SDL_UpdateTexture(texture, nullptr, pixels.data(), width * 4) == 0 &&
          SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_MOD) == 0 &&
          SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest) == 0) {
        return texture;
      }
      if (!shadesRefused) LogPrintf("  Display: the filter's shades refused: %s\n", SDL_GetError());
      shadesRefused = true;
      if (texture) SDL_DestroyTexture(texture);
      return nullptr;
    };
    rowShades = make(ShadeAxis::kRows, 1, target.h, picture.height);
    columnShades = make(ShadeAxis::kColumns, target.w, 1, picture.width);
  }
  if (rowShades) SDL_RenderCopy(renderer, rowShades, nullptr, &target);
  if (columnShades) SDL_RenderCopy(renderer, columnShades, nullptr, &target);
}

void SdlDisplay::DropShades() {
  if (rowShades) SDL_DestroyTexture(rowShades);
  if (columnShades) SDL_DestroyTexture(columnShades);
  rowShades = columnShades = nullptr;
  shadesFor = {};
  scaleModeFilter = -1;
}

bool SdlDisplay::FramePoint(int windowX, int windowY, int& x, int& y) const {
  if (!window) return false;
  int windowWidth = 0, windowHeight = 0;
  SDL_GetWindowSize(window, &windowWidth, &windowHeight);
  int clientWidth = windowWidth, clientHeight = windowHeight;
  if (renderer) SDL_GetRendererOutputSize(renderer, &clientWidth, &clientHeight);
  if (windowWidth <= 0 || windowHeight <= 0) return false;
  // The renderer may draw in more pixels than the window has points.
  const int clientX = static_cast<int>(static_cast<long long>(windowX) * clientWidth / windowWidth);
  const int clientY = static_cast<int>(static_cast<long long>(windowY) * clientHeight / windowHeight);
  const PictureRect view =
      PictureViewport(clientWidth, clientHeight, ShownPictureWidth(), picture.height, wholeScales);
  return FramePointAt(clientX, clientY, view, picture, x, y);
}

bool SdlDisplay::PointSizes(int& windowWidth, int& pictureWidth, int& pictureHeight) const {
  if (!window) return false;
  int windowHeight = 0;
  SDL_GetWindowSize(window, &windowWidth, &windowHeight);
  int clientWidth = windowWidth, clientHeight = windowHeight;
  if (renderer) SDL_GetRendererOutputSize(renderer, &clientWidth, &clientHeight);
  if (windowWidth <= 0 || clientWidth <= 0 || clientHeight <= 0) return false;
  const PictureRect view =
      PictureViewport(clientWidth, clientHeight, ShownPictureWidth(), picture.height, wholeScales);
  pictureWidth = static_cast<int>(static_cast<long long>(view.width) * windowWidth / clientWidth);
  pictureHeight = static_cast<int>(static_cast<long long>(view.height) * windowHeight / clientHeight);
  return pictureWidth > 0 && pictureHeight > 0;
}

bool SdlDisplay::HasSurfaces() const { return back != nullptr; }

bool SdlDisplay::LockBackBuffer(SurfaceLock& lock) {
  if (!back) return false;
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(back, nullptr, &pixels, &pitch) != 0) {
    LogPrintf("  %s\n", SDL_GetError());
    return false;
  }
  lock.bits = static_cast<std::uint8_t*>(pixels);
  lock.pitch = pitch;
  return true;
}

bool SdlDisplay::UnlockBackBuffer() {
  if (!back) return false;
  SDL_UnlockTexture(back);
  return true;
}

bool SdlDisplay::Present() {
  if (!renderer || !back) return false;
  if (!CopyPicture()) {
    LogPrintf("  %s\n", SDL_GetError());
    ReportHostFailure(messageBox, "Blt");
    return false;
  }
  const std::int64_t before = vsync ? std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count() : 0;
  SDL_RenderPresent(renderer);
  if (vsync && vsyncGuard.PresentTook(std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count() - before)) {
    // The monitor refreshes more slowly than the console runs.
    if (SDL_RenderSetVSync(renderer, 0) == 0) {
      vsync = false;
      LogPrintf("  Monitor slower than the console: presenting without vsync\n");
    }
  }
  ++presents;
  return true;
}

void SdlDisplay::DestroyWindow() {
  DropShades();
  if (back) SDL_DestroyTexture(back);
  if (renderer) SDL_DestroyRenderer(renderer);
  if (window) SDL_DestroyWindow(window);
  back = nullptr;
  renderer = nullptr;
  window = nullptr;
  active = false;
}
