#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "host/session/RewindControl.h"
#include "host/input/Bindings.h"
#include "host/input/InputSource.h"

class Session;

// The desktop's keys beside the pads, as PC scan codes. By default
// Backspace held runs backwards, Tab held runs fast, F1-F9 load slots 1-9
// and Shift+F1-F9 save them, F12 takes a screenshot, M mutes, F11 turns full
// screen on or off; the player can bind others (KeyTable). Shift and
// Alt+Enter stay as they are.
inline constexpr std::uint8_t kScanBackspace = 0x0E;
inline constexpr std::uint8_t kScanTab = 0x0F;
inline constexpr std::uint8_t kScanEnter = 0x1C;
inline constexpr std::uint8_t kScanLeftShift = 0x2A;
inline constexpr std::uint8_t kScanM = 0x32;
inline constexpr std::uint8_t kScanRightShift = 0x36;
inline constexpr std::uint8_t kScanLeftAlt = 0x38;
inline constexpr std::uint8_t kScanF1 = 0x3B;  // F1-F9 are 0x3B-0x43
inline constexpr std::uint8_t kScanF11 = 0x57;
inline constexpr std::uint8_t kScanF12 = 0x58;
inline constexpr std::uint8_t kScanRightAlt = 0xB8;

// What the play keys ask for in one frame. A slot key acts once per press;
// taps quicker than a frame may bring several slots into one.
struct PlayKeys {
  std::uint16_t saveSlots = 0;  // bit n for slot n (1-9)
  std::uint16_t loadSlots = 0;
  bool rewind = false;
  bool fastForward = false;
  bool screenshot = false;
  bool toggleMute = false;
  bool toggleFullscreen = false;
};

class PlayKeyReader {
 public:
  // `padHeld`: the ControlBit bits the pads' bindings hold.
  PlayKeys Read(const std::uint8_t (&keys)[kKeyboardKeyCount], std::uint32_t padHeld = 0);

  KeyTable table = KeyTable::Defaults();
  // An SC-3000 runs: the keys that type on it (ScKeyMap) do only that.
  bool sc3000Keyboard = false;

 private:
  // True once when `control` goes down.
  bool Pressed(Control control, bool down);

  bool functionHeld[9] = {};
  bool held[kControlCount] = {};  // the controls acted on once a press
  bool enterHeld = false;
};

// Saves or loads a slot of the session's image and shows the outcome on
// screen. The menu and the keys both come here.
void SaveSlotWithNote(Session& session, int slot);
void LoadSlotWithNote(Session& session, int slot);

// Writes the picture as shown to the pictures folder and notes the file's
// name ("Capture : tavrin-....png") or why it failed.
void ScreenshotWithNote(Session& session);

// The desktop's frames: at normal speed with the rewind history recorded,
// backwards while the rewind key is held (a frame back per paced frame,
// silent), or fast (up to kFastForwardFrames frames per paced frame, the
// last one shown, silent).
class DesktopPlay {
 public:
  static constexpr int kFastForwardFrames = 8;

  // `flushSound` drops the queued sound when running backwards or fast
  // starts (nullptr: no sound device).
  explicit DesktopPlay(std::function<void()> flushSound = {}) : flush(std::move(flushSound)) {}

  // One paced frame: reads the keyboard from `keys`, acts on the slot keys,
  // then runs the session's console. Returns the console frames run.
  int Step(Session& session, InputSource* keys);

  RewindControl& Rewind() { return rewind; }
  // The keys of the hotkeys read here.
  void SetKeys(const KeyTable& table) { reader.table = table; }

  // What M and F11 (or Alt+Enter) do; nullptr: nothing.
  std::function<void()> toggleMute;
  std::function<void()> toggleFullscreen;

 private:
  enum class Mode { Normal, Rewinding, Fast };
  void RunRecorded(Session& session, bool show, bool hear);

  std::function<void()> flush;
  PlayKeyReader reader;
  RewindControl rewind;
  Mode mode = Mode::Normal;
  std::string image;  // the image the history belongs to
};
