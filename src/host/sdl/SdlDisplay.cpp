#include "host/sdl/SdlDisplay.h"

#include <chrono>

#include "debug/DebugConsole.h"
#include "host/sdl/DisplayManager.h"
#include "host/sdl/WindowIdentity.h"
#include "host/video/DxCheck.h"

namespace {
constexpr std::uint32_t kGenericError = 0x80004005u;
constexpr std::uint32_t kInvalidObject = 0x88760082u;
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

WindowHandle SdlDisplay::CreateWindow(int width, int height, const char* caption) {
  window = SDL_CreateWindow(caption, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                            SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (!window) {
    LogPrintf("  Display window: %s\n", SDL_GetError());
    return nullptr;
  }
  RegisterDisplayWindow(this);
  return window;
}

int SdlDisplay::InitDirectDraw(int width, int height) {
  if (!window) {
    DxCheck(kInvalidObject, "DirectDrawCreate");
    return 0;
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
    DxCheck(kGenericError, "DirectDrawCreate");
    return 0;
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
    DxCheck(kGenericError, "CreateSurface (Back)");
    return 0;
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
  return 1;
}

void SdlDisplay::Show(int /*showCommand*/) {
  if (!window) return;
  SDL_ShowWindow(window);
  Focus();
}

void SdlDisplay::Centre() {
  if (window) SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void SdlDisplay::Resize(int width, int height) {
  if (!window) return;
  // The size asked for is the whole window's, frame included, where the
  // window system tells the frame's size.
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
  int clientWidth = width - left - right;
  int clientHeight = height - top - bottom;
  if (clientWidth < 1) clientWidth = 1;
  if (clientHeight < 1) clientHeight = 1;
  SDL_SetWindowSize(window, clientWidth, clientHeight);
  SDL_RaiseWindow(window);
  Centre();
}

void SdlDisplay::Focus() {
  if (!window) return;
  SDL_RaiseWindow(window);
  SDL_SetWindowInputFocus(window);
}

bool SdlDisplay::HasSurfaces() const { return back != nullptr; }

std::uint32_t SdlDisplay::LockBack(SurfaceLock& lock) {
  if (!back) return kInvalidObject;
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(back, nullptr, &pixels, &pitch) != 0) {
    LogPrintf("  %s\n", SDL_GetError());
    return kGenericError;
  }
  lock.bits = static_cast<std::uint8_t*>(pixels);
  lock.pitch = pitch;
  return 0;
}

std::uint32_t SdlDisplay::UnlockBack() {
  if (!back) return kInvalidObject;
  SDL_UnlockTexture(back);
  return 0;
}

int SdlDisplay::Present() {
  if (!renderer || !back) return 0;
  SDL_RenderClear(renderer);
  if (SDL_RenderCopy(renderer, back, nullptr, nullptr) != 0) {
    LogPrintf("  %s\n", SDL_GetError());
    DxCheck(kGenericError, "Blt");
    return 0;
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
  return 1;
}

void SdlDisplay::DestroyWindow() {
  if (back) SDL_DestroyTexture(back);
  if (renderer) SDL_DestroyRenderer(renderer);
  if (window) SDL_DestroyWindow(window);
  back = nullptr;
  renderer = nullptr;
  window = nullptr;
  active = false;
}
