#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/display/Display.h"

// A display with no window: the back surface is a block of memory in the
// depth the caller picks (16 as 5-5-5 or 5-6-5, 24 or 32), and presenting
// only counts. Tests and the command-line runner read the picture from it.
// Nothing waits: without a monitor there is no vertical blank to pace by.
class HeadlessDisplay final : public Display {
 public:
  // depth as a desktop would report it; use565 picks the 16-bit layout;
  // pitchPadding adds bytes at the end of every row of the back surface.
  explicit HeadlessDisplay(int chosenDepth = 32, bool use565 = false, int pitchPadding = 0);

  bool OpenWindow(int width, int height, const char* caption) override;
  bool CreateBackSurface(int width, int height) override;
  void Show() override;
  void Centre() override;
  void Resize(int width, int height) override;
  void Focus() override;
  bool HasSurfaces() const override;
  bool LockBackBuffer(SurfaceLock& lock) override;
  bool UnlockBackBuffer() override;
  bool Present() override;
  void SetCaption(const char* text) override { caption = text ? text : ""; }

  // The back surface as last converted.
  const std::uint8_t* BackBits() const { return back.data(); }
  int BackWidth() const { return backWidth; }
  int BackHeight() const { return backHeight; }
  int BackPitch() const { return backPitch; }
  // The raw host pixel at (x, y): a 16-bit word, three bytes as 0xRRGGBB, or
  // a 32-bit value. 0 outside the surface.
  std::uint32_t BackPixel(int x, int y) const;
  // The same pixel as 0x00RRGGBB with 8 bits a channel, whatever the depth:
  // what a screenshot writer wants.
  std::uint32_t BackPixelRgb(int x, int y) const;

  // Failures a test can provoke: the matching step fails (the surface and
  // the blit as reported through ReportHostFailure).
  bool failWindow = false;
  bool failSurface = false;  // "DirectDrawCreate"
  bool failLock = false;
  bool failUnlock = false;
  bool failBlit = false;  // "Blt"

  // What the video part asked for.
  std::string caption;
  int windowWidth = 0;
  int windowHeight = 0;
  int centreCount = 0;
  int focusCount = 0;
  int lockCount = 0;
  int presentCount = 0;  // pictures shown

 private:
  int chosenDepth;
  bool chosen565;
  int padding;
  bool surfaces = false;
  int backWidth = 0;
  int backHeight = 0;
  int backPitch = 0;
  std::vector<std::uint8_t> back;
};
