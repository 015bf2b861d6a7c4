#include "headless/HeadlessDisplay.h"

#include "debug/DebugConsole.h"
#include "host/dialogs/HostFailure.h"

HeadlessDisplay::HeadlessDisplay(int depthToReport, bool use565, int pitchPadding)
    : chosenDepth(depthToReport), chosen565(use565), padding(pitchPadding < 0 ? 0 : pitchPadding) {}

bool HeadlessDisplay::OpenWindow(int width, int height, const char* windowCaption) {
  if (failWindow) return false;
  windowWidth = width;
  windowHeight = height;
  caption = windowCaption ? windowCaption : "";
  return true;
}

bool HeadlessDisplay::CreateBackSurface(int width, int height) {
  depth = chosenDepth;
  if (failSurface) {
    ReportHostFailure(messageBox, "DirectDrawCreate");
    return false;
  }
  backWidth = width;
  backHeight = height;
  backPitch = width * BackBytesPerPixel(depth) + padding;
  back.assign(static_cast<std::size_t>(backPitch) * static_cast<std::size_t>(height), 0);
  if (depth == 16) {
    if (chosen565) {
      LogPrintf("16bit 565 Display\n");
      is565 = 1;
    } else {
      LogPrintf("16bit 555 Display\n");
      is565 = 0;
    }
  }
  surfaces = true;
  return true;
}

void HeadlessDisplay::Show() {
  active = true;  // showing the window makes it the active one
}

void HeadlessDisplay::Centre() { ++centreCount; }

void HeadlessDisplay::Resize(int width, int height) {
  windowWidth = width;
  windowHeight = height;
  Centre();
}

void HeadlessDisplay::Focus() { ++focusCount; }

bool HeadlessDisplay::HasSurfaces() const { return surfaces; }

bool HeadlessDisplay::LockBackBuffer(SurfaceLock& lock) {
  ++lockCount;
  if (!surfaces || failLock) return false;
  lock.bits = back.data();
  lock.pitch = backPitch;
  return true;
}

bool HeadlessDisplay::UnlockBackBuffer() { return surfaces && !failUnlock; }

bool HeadlessDisplay::Present() {
  if (!surfaces) return false;
  if (failBlit) {
    ReportHostFailure(messageBox, "Blt");
    return false;
  }
  ++presentCount;
  return true;
}

std::uint32_t HeadlessDisplay::BackPixel(int x, int y) const {
  if (!surfaces || x < 0 || y < 0 || x >= backWidth || y >= backHeight) return 0;
  const std::uint8_t* p = back.data() + static_cast<std::size_t>(y) * backPitch;
  switch (BackBytesPerPixel(depth)) {
    case 2:
      p += x * 2;
      return static_cast<std::uint32_t>(p[0] | p[1] << 8);
    case 3:
      p += x * 3;
      return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16);
    default:
      p += x * 4;
      return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
             static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  }
}

std::uint32_t HeadlessDisplay::BackPixelRgb(int x, int y) const {
  std::uint32_t pixel = BackPixel(x, y);
  if (depth != 16) return pixel & 0x00FFFFFFu;
  // Widen each field to 8 bits by repeating its top bits below it.
  auto widen = [](std::uint32_t field, int bits) {
    std::uint32_t v = field << (8 - bits);
    return v | v >> bits;
  };
  std::uint32_t r, g, b;
  if (is565) {
    r = widen((pixel >> 11) & 0x1F, 5);
    g = widen((pixel >> 5) & 0x3F, 6);
  } else {
    r = widen((pixel >> 10) & 0x1F, 5);
    g = widen((pixel >> 5) & 0x1F, 5);
  }
  b = widen(pixel & 0x1F, 5);
  return r << 16 | g << 8 | b;
}
