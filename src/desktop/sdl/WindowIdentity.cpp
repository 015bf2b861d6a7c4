#include "desktop/sdl/WindowIdentity.h"

#include <SDL_syswm.h>
#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xutil.h>
#endif

#include "desktop/identity/AppIdentity.h"

void SetWindowIdentity(SDL_Window* window) {
  if (!window) return;
  const AppIconPixels& icon = AppIcon();
  if (icon.width > 0) {
    // SDL copies the pixels; the surface only borrows them for the call.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint8_t*>(icon.rgba.data()), icon.width, icon.height, 32, icon.width * 4,
        SDL_PIXELFORMAT_RGBA32);
    if (surface) {
      SDL_SetWindowIcon(window, surface);
      SDL_FreeSurface(surface);
    }
  }
#if defined(SDL_VIDEO_DRIVER_X11)
  // SDL 2.26 puts one name in both halves of WM_CLASS (the SDL_APP_NAME
  // hint, or the executable's name), read once when video starts; GTK's
  // convention, which the .desktop file's StartupWMClass names, is a
  // lower-case res_name and a capitalised res_class.
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    XClassHint hint;
    hint.res_name = const_cast<char*>(kWindowResName);
    hint.res_class = const_cast<char*>(kWindowResClass);
    XSetClassHint(info.info.x11.display, info.info.x11.window, &hint);
  }
#endif
}
