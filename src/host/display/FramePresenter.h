#pragma once

#include <cstdint>
#include <string>

#include "host/clock/MillisecondClock.h"
#include "host/display/Display.h"
#include "host/display/OnScreenNote.h"
#include "host/display/PictureFilter.h"

// The host's end of a frame: converts the console's indexed picture through
// its colour RAM into the display's back surface, stamps the frame-rate
// figure when asked, and presents. Failures of the display's steps are
// reported through ReportHostFailure (in the display's message box), as
// they happen.
class FramePresenter {
 public:
  static constexpr int kWidth = 256;
  static constexpr int kHeight = 192;     // the usual picture
  static constexpr int kMaxHeight = 240;  // the back surface's rows: the tallest picture

  explicit FramePresenter(Display* hostDisplay = nullptr) : display(hostDisplay) {}
  void SetDisplay(Display* hostDisplay) { display = hostDisplay; }
  Display* GetDisplay() const { return display; }

  // Converts and presents one frame (256 x `height` colour indexes, 192 to
  // 240 lines), or, when `colours` is given, the 256 x 192 colour words the
  // console left instead (the Game Gear's scaled picture, the 3-D glasses'
  // eyes). A Master System picture shown whole takes the frame's height.
  void Present(const std::uint8_t* frame, const std::uint8_t* colourRam, bool gameGear,
               const std::uint16_t* colours = nullptr, int height = kHeight);

  // The frame-rate figure: three white digits with a black shadow, so they
  // read on any picture and hide little of it, in the top-left corner, when
  // showFrameRate is set.
  bool showFrameRate = false;
  int frameRate = 0;  // frames per second of running time, as the host counts it
  // The console waits for the player: the frame is shown dimmed, with the
  // pause line (PauseOverlay) over it.
  bool paused = false;
  // The line drawn over the paused frame in place of the default one
  // (nullptr: "Pause - cliquez pour continuer").
  const char* pauseLine = nullptr;

  // A sign in the picture's top-right corner while the player runs it
  // backwards ("<<") or fast (">>").
  enum class PlaySign { None, Rewind, Fast };
  PlaySign sign = PlaySign::None;

  // The Game Gear's slow screen (LcdGhosting): each Game Gear picture mixed
  // with the one before. The other filters are the display's.
  bool lcdGhosting = false;

  // A message over the bottom of the picture for a moment (states saved and
  // loaded), drawn into every frame presented while it lasts.
  OnScreenNote note;
  // What notes are timed with; a test may hand in its own.
  MillisecondClock clock = &SteadyMilliseconds;
  // Shows `text` as the note, from now.
  void ShowNote(const std::string& text) { note.Show(text, clock()); }

  // Converts into any surface of the given depth (rows at least 256 pixels).
  static void Convert(const std::uint8_t* frame, const std::uint8_t* colourRam, bool gameGear,
                      const SurfaceLock& lock, int depth, bool is565, const std::uint16_t* colours = nullptr,
                      int height = kHeight);
  // Draws the figure into a converted surface.
  static void DrawFrameRate(const SurfaceLock& lock, int depth, bool is565, int rate);

 private:
  Display* display = nullptr;
  SurfaceLock lockDesc;  // reused for every back-surface lock
  LcdGhosting ghosting;
};
