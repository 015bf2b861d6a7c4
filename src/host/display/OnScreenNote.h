#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/display/Display.h"
#include "host/display/PictureLayout.h"

// A short message drawn over the picture for a couple of seconds ("État 3
// sauvegardé"): white letters on a dark band along the bottom of the
// visible picture (the Game Gear's screen is a smaller window of the frame).
// The text is UTF-8, shown as written from a small built-in 8 x 8 font
// (capital É with its accent in the band's row above), anything the font
// lacks as '?'. A text too wide for one row is wrapped at
// spaces onto up to kMaxLines rows.
class OnScreenNote {
 public:
  static constexpr std::uint32_t kShownMs = 2000;
  static constexpr int kColumns = 31;  // characters a row of the whole frame, inside the band's margins
  static constexpr int kMaxLines = 3;

  // Shows `text` from `nowMs` for kShownMs (replacing any note shown).
  void Show(const std::string& text, std::uint32_t nowMs);
  // Shows `text` until another note replaces it or Hide.
  void ShowLasting(const std::string& text);
  void Hide() { shown = false; }
  // A small picture (8-bit RGB, `width` x `height`, a loaded state's
  // thumbnail) shown with the note now up, above its band at the right of
  // the visible picture; the next note drops it. One larger than the room
  // above the band is not drawn.
  void SetPicture(int width, int height, std::vector<std::uint8_t> rgb);
  // True while the note is up at `nowMs`. The millisecond clock wraps; the
  // difference from the moment shown is what counts.
  bool Visible(std::uint32_t nowMs) const;
  const std::string& Text() const { return text; }

  // Draws the note into a converted 256 x 192 surface when it is visible,
  // across the bottom of `picture` (the part of the frame shown).
  void Draw(const SurfaceLock& lock, int depth, bool is565, std::uint32_t nowMs,
            const PictureRect& picture = kMasterSystemPicture) const;

  // `text` (in the same font) on a dark box whose top-left corner is at
  // (x, y) of a converted 256 x 192 surface; what falls outside is left out.
  static void DrawLabel(const SurfaceLock& lock, int depth, bool is565, int x, int y, const std::string& text);

  // Characters a row of a band `width` pixels wide.
  static int ColumnsFor(int width);
  // The rows the text is shown as: glyph indexes into the font, at most
  // `columns` a row and kMaxLines rows (the last cut short when the text runs
  // longer). Public for tests.
  static std::vector<std::vector<int>> Layout(const std::string& text, int columns = kColumns);
  // The character a glyph index stands for ('A', 'É' as "É"), for tests.
  static std::string GlyphName(int glyph);

 private:
  std::string text;
  std::uint32_t shownAt = 0;
  bool shown = false;
  bool lasting = false;
  int pictureWidth = 0;
  int pictureHeight = 0;
  std::vector<std::uint8_t> pictureRgb;
};
