#pragma once

#include <cstdint>
#include <vector>

// How the desktop knows the program: its application id (the .desktop,
// metainfo, MIME package and icon names), the WM_CLASS both windows carry,
// and the icon the windows show.
inline constexpr const char* kAppId = "io.github.tavrin.Tavrin";
inline constexpr const char* kWindowResName = "tavrin";
inline constexpr const char* kWindowResClass = "Tavrin";

// The icon as straight (not premultiplied) RGBA bytes, row by row.
struct AppIconPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
};

// The 64 x 64 icon compiled into the program, for windows that cannot find
// the installed one (an uninstalled build, say). Decoded on first use; width
// 0 when the decoding failed.
const AppIconPixels& AppIcon();
