#include "desktop/DesktopPlay.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "debug/DebugConsole.h"
#include "host/files/Thumbnail.h"

#include "host/session/Session.h"
#include "desktop/PicturesScreenshot.h"
#include "host/session/StateSlots.h"
#include "host/input/ScKeyMap.h"
#include "host/i18n/Translate.h"

PlayKeys PlayKeyReader::Read(const std::uint8_t (&keys)[kKeyboardKeyCount], std::uint32_t padHeld) {
  PlayKeys play;
  auto down = [&](Control control) {
    const std::uint8_t key = table.Of(control);
    const bool typing = sc3000Keyboard && TypesOnSc3000(key);
    return (key != 0 && keys[key] != 0 && !typing) || (padHeld & ControlBit(control)) != 0;
  };
  play.rewind = down(Control::Rewind);
  play.fastForward = down(Control::FastForward);
  const bool shift = keys[kScanLeftShift] != 0 || keys[kScanRightShift] != 0;
  for (int slot = 1; slot <= 9; ++slot) {
    const bool held = down(SlotControl(slot));
    if (held && !functionHeld[slot - 1]) (shift ? play.saveSlots : play.loadSlots) |= 1u << slot;
    functionHeld[slot - 1] = held;
  }
  play.screenshot = Pressed(Control::Screenshot, down(Control::Screenshot));
  play.toggleMute = Pressed(Control::Mute, down(Control::Mute));
  const bool alt = keys[kScanLeftAlt] != 0 || keys[kScanRightAlt] != 0;
  const bool enter = keys[kScanEnter] != 0 && !enterHeld;
  enterHeld = keys[kScanEnter] != 0;
  play.toggleFullscreen = Pressed(Control::Fullscreen, down(Control::Fullscreen)) || (alt && enter && !sc3000Keyboard);
  return play;
}

bool PlayKeyReader::Pressed(Control control, bool down) {
  bool& was = held[static_cast<int>(control)];
  const bool pressed = down && !was;
  was = down;
  return pressed;
}

void SaveSlotWithNote(Session& session, int slot) {
  const std::string folder = StateFolder();
  bool saved = false;
  session.presenter.ShowNote(SaveStateSlot(session.console, folder, session.imagePath, slot, &saved));
  if (!saved) return;
  // The picture beside the state, in a file of its own; the old one goes
  // first, so a state never shows another's picture.
  const std::string picture = ThumbnailPath(StateSlotPath(folder, session.imagePath, slot));
  std::error_code ignored;
  std::filesystem::remove(picture, ignored);
  int width = 0;
  int height = 0;
  const Console& console = session.console;
  const std::vector<std::uint8_t> rgb = ConsolePictureRgb(console.Frame(), console.ShownColours(), console.GameGear(),
                                                          width, height, console.ScreenColours(),
                                                          console.FrameHeight());
  if (const Result written = WriteThumbnail(picture, ShrinkPicture(rgb.data(), width, height)); !written) {
    LogPrintf("tavrin: the state's picture was not kept: %s\n", written.Log().c_str());
  }
}

void LoadSlotWithNote(Session& session, int slot) {
  const std::string folder = StateFolder();
  bool loaded = false;
  session.presenter.ShowNote(LoadStateSlot(session.console, folder, session.imagePath, slot, &loaded));
  // The state's picture in the note; a state saved without one (or with one
  // that cannot be read) shows the note alone.
  Thumbnail picture;
  if (loaded && ReadThumbnail(ThumbnailPath(StateSlotPath(folder, session.imagePath, slot)), picture)) {
    session.presenter.note.SetPicture(picture.width, picture.height, std::move(picture.rgb));
  }
}

void ScreenshotWithNote(Session& session) {
  int width = 0;
  int height = 0;
  const Console& console = session.console;
  const std::vector<std::uint8_t> rgb = ConsolePictureRgb(console.Frame(), console.ShownColours(), console.GameGear(),
                                                          width, height, console.ScreenColours(),
                                                          console.FrameHeight());
  std::string path;
  const Result saved = SaveScreenshotToPictures(rgb.data(), width, height, path, session.imagePath);
  // The file as the player finds it: the pictures folder, Tavrin/, the name.
  std::string shown = saved.Shown();
  if (saved) {
    std::size_t from = path.size();
    for (int parts = 0; parts < 3 && from != std::string::npos && from > 0; ++parts) from = path.rfind('/', from - 1);
    shown = from == std::string::npos ? path : path.substr(from + 1);
  }
  const std::string note = Format(Tr("Capture : %s"), shown.c_str());
  session.presenter.ShowNote(note);
}

void DesktopPlay::RunRecorded(Session& session, bool show, bool hear) {
  SampleSink* const sound = session.sound;
  const bool present = session.present;
  if (!hear) session.sound = nullptr;
  session.present = present && show;
  rewind.BeforeFrame(session.console);
  session.RunFrame();
  rewind.AfterFrame(session.input.controls);
  session.sound = sound;
  session.present = present;
}

int DesktopPlay::Step(Session& session, InputSource* keys) {
  std::uint8_t held[kKeyboardKeyCount] = {};
  if (keys == nullptr || !keys->ReadKeyboard(held)) {
    for (std::uint8_t& key : held) key = 0;  // no keyboard: nothing is held
  }
  // The pads' hotkeys count as the keys do.
  std::uint32_t padHeld = 0;
  for (int index = 0; keys != nullptr && index < kJoystickMax; ++index) {
    JoystickState state;
    if (keys->ReadJoystick(index, state) == JoystickRead::Read) padHeld |= state.held;
  }
  reader.sc3000Keyboard = session.input.sc3000Keyboard;
  const PlayKeys play = reader.Read(held, padHeld);

  // States of another image cannot be gone back to.
  if (session.imagePath != image) {
    rewind.Clear();
    image = session.imagePath;
  }
  for (int slot = 1; slot <= 9; ++slot) {
    if (play.saveSlots & (1u << slot)) SaveSlotWithNote(session, slot);
  }
  for (int slot = 1; slot <= 9; ++slot) {
    if (play.loadSlots & (1u << slot)) LoadSlotWithNote(session, slot);
  }
  if (play.screenshot) ScreenshotWithNote(session);
  if (play.toggleMute && toggleMute) toggleMute();
  if (play.toggleFullscreen && toggleFullscreen) toggleFullscreen();

  const Mode now = play.rewind ? Mode::Rewinding : (play.fastForward || session.fastForward) ? Mode::Fast : Mode::Normal;
  if (now != mode && now != Mode::Normal && flush) flush();
  mode = now;
  session.presenter.sign = mode == Mode::Rewinding ? FramePresenter::PlaySign::Rewind
                           : mode == Mode::Fast    ? FramePresenter::PlaySign::Fast
                                                   : FramePresenter::PlaySign::None;

  if (mode == Mode::Rewinding) {
    // With the history used up the picture stands still until the key is let go.
    if (rewind.StepBack(session.console) && session.console.TakeSaveRequest()) session.SaveBattery();
    if (session.present) {
      session.presenter.Present(session.console.Frame(), session.console.ShownColours(),
                                session.console.GameGearColours(), session.console.ScreenColours(),
                                session.console.FrameHeight());
    }
    return 1;
  }
  if (mode == Mode::Fast) {
    // A debugger's stop ends the run of frames where it is.
    for (int frame = 1; frame <= kFastForwardFrames && !session.console.Stopped(); ++frame) {
      RunRecorded(session, frame == kFastForwardFrames, false);
    }
    return kFastForwardFrames;
  }
  RunRecorded(session, true, true);
  return 1;
}
