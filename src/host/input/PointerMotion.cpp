#include "host/input/PointerMotion.h"

#include <algorithm>

int PaddleFromColumn(int windowX, int windowWidth) {
  if (windowWidth <= 1) return 0x80;
  const long long x = std::clamp(windowX, 0, windowWidth - 1);
  return static_cast<int>((x * 255 + (windowWidth - 1) / 2) / (windowWidth - 1));
}

int SportsPadMotion::Take(int windowDelta, int pictureWidth, int shownWidth) {
  if (pictureWidth <= 0 || shownWidth <= 0) return 0;
  carry += static_cast<long long>(windowDelta) * pictureWidth;
  const long long moved = carry / shownWidth;  // towards zero: the rest stays in carry
  carry -= moved * shownWidth;
  return static_cast<int>(std::clamp<long long>(moved, kMin, kMax));
}
