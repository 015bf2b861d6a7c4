#include "host/display/PictureLayout.h"

#include <algorithm>

int LargestFittingScale(int pictureWidth, int pictureHeight, int frameWidth, int frameHeight, int workWidth,
                        int workHeight, int maxScale) {
  int scale = maxScale;
  while (scale > 1 &&
         (pictureWidth * scale + frameWidth > workWidth || pictureHeight * scale + frameHeight > workHeight)) {
    --scale;
  }
  return std::max(scale, 1);
}

PictureRect PictureViewport(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight,
                            bool wholeScales) {
  if (clientWidth <= 0 || clientHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return {};
  int width = 0, height = 0;
  const int whole = std::min(clientWidth / pictureWidth, clientHeight / pictureHeight);
  if (wholeScales && whole >= 1) {
    width = pictureWidth * whole;
    height = pictureHeight * whole;
  } else if (static_cast<long long>(clientWidth) * pictureHeight <= static_cast<long long>(clientHeight) * pictureWidth) {
    // The width limits: bars above and below.
    width = clientWidth;
    height = static_cast<int>(static_cast<long long>(clientWidth) * pictureHeight / pictureWidth);
  } else {
    height = clientHeight;
    width = static_cast<int>(static_cast<long long>(clientHeight) * pictureWidth / pictureHeight);
  }
  return {(clientWidth - width) / 2, (clientHeight - height) / 2, width, height};
}

bool FramePointAt(int clientX, int clientY, const PictureRect& view, const PictureRect& picture, int& x, int& y) {
  if (view.width <= 0 || view.height <= 0 || clientX < view.x || clientY < view.y ||
      clientX >= view.x + view.width || clientY >= view.y + view.height) {
    return false;
  }
  x = picture.x + static_cast<int>(static_cast<long long>(clientX - view.x) * picture.width / view.width);
  y = picture.y + static_cast<int>(static_cast<long long>(clientY - view.y) * picture.height / view.height);
  return true;
}
