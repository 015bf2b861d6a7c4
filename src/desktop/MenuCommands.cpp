#include "desktop/MenuCommands.h"

#include <optional>
#include <string>

#include "host/session/Session.h"
#include "desktop/DesktopPlay.h"
#include "desktop/DisplayCaption.h"
#include "desktop/MessageBoxOnce.h"
#include "host/session/StateSlots.h"
#include "host/i18n/Translate.h"
#include "host/display/Display.h"
#include "host/display/MillisecondClock.h"

namespace {
bool palMark = false;
int chosenScale = 2;  // the display window opens at twice the picture
bool displayPaused = false;

Display* TheDisplay() { return activeSession ? activeSession->presenter.GetDisplay() : nullptr; }

// Nothing to play: a black picture saying how to get a game.
void ShowLoadHint() {
  static const std::uint8_t blackFrame[FramePresenter::kWidth * FramePresenter::kHeight] = {};
  static const std::uint8_t blackColours[64] = {};
  // TRANSLATORS: shown on screen in the font of the notes (capitals, digits,
  // ".,:'!?-/<>()"); three rows of 31 characters at most.
  activeSession->presenter.note.ShowLasting(
      Tr("Chargez une image : Fichier > Charger une ROM, ou déposez-la ici"));
  activeSession->presenter.Present(blackFrame, blackColours, false);
}

void UpdateCaption() {
  Display* display = TheDisplay();
  if (!display || !activeSession) return;
  display->SetCaption(
      DisplayCaption(activeSession->console.RunningConsole(), activeSession->imagePath, displayPaused).c_str());
}
}  // namespace

void MenuLoadCartridge(const char* path) {
  if (!path || !activeSession) return;
  if (!activeSession->LoadAndReset(path)) {
    // Every attempt gets its box, even the same file twice: the player tried again.
    // The reason names the file.
    const char* loadError = activeSession->loadError.c_str();
    const std::string text = activeSession->cartridgeLoaded
                                 ? Format(Tr("%s.\n\nThe game that was running goes on."), loadError)
                                 : Format("%s.", loadError);
    if (!activeSession->cartridgeLoaded) ShowLoadHint();
    ShowMessageBoxAgain(text.c_str(), Tr("Cartridge error"));
    return;
  }
  activeSession->presenter.note.Hide();
  if (Display* display = TheDisplay()) {
    const PictureRect picture = VisiblePicture(activeSession->console.GameGear());
    const bool reshaped = !(picture == display->picture);
    display->picture = picture;
    UpdateCaption();
    if (reshaped) MenuSetScale(chosenScale);
    display->Focus();
  }
}

void MenuFocusGame() {
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuReset() {
  if (activeSession) activeSession->Reset();
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuSetScale(int scale) {
  if (scale < 1 || scale > 4) return;
  chosenScale = scale;
  Display* display = TheDisplay();
  if (!display) return;
  const PictureRect& picture = display->picture;
  int workWidth = 0, workHeight = 0, frameWidth = 0, frameHeight = 0;
  if (display->WorkArea(workWidth, workHeight, frameWidth, frameHeight)) {
    scale = LargestFittingScale(picture.width, picture.height, frameWidth, frameHeight, workWidth, workHeight, scale);
  }
  display->Resize(picture.width * scale, picture.height * scale);
}

void MenuSetWholeScales(bool on) {
  if (Display* display = TheDisplay()) display->wholeScales = on;
}

void SetDisplayPaused(bool paused) {
  if (paused == displayPaused) return;
  displayPaused = paused;
  UpdateCaption();
  if (!activeSession) return;
  activeSession->presenter.paused = paused;
  // The dimmed frame is drawn once and stays while nothing runs.
  if (paused && activeSession->cartridgeLoaded) {
    Console& console = activeSession->console;
    activeSession->presenter.Present(console.Frame(), console.ShownColours(), console.GameGearColours(),
                                     console.ScreenColours(), console.FrameHeight());
  }
}

namespace {
bool japaneseMark = false;
void ApplyRegionMarks() {
  if (!activeSession) return;
  activeSession->console.SetRegion(palMark        ? Region::kExportPal
                                   : japaneseMark ? Region::kJapanese
                                                  : Region::kFromImage);
}
}  // namespace

void MenuSetPal(bool on) {
  palMark = on;
  if (on) japaneseMark = false;
  ApplyRegionMarks();
}

bool PalMark() { return palMark; }
bool JapaneseMark() { return japaneseMark; }

void MenuSetNoSpriteLimit(bool on) {
  if (activeSession) activeSession->console.video.spriteLimit = !on;
}

void MenuSetJapanese(bool on) {
  japaneseMark = on;
  if (on) palMark = false;
  ApplyRegionMarks();
}

namespace {
void ReloadRunningImage() {
  if (!activeSession || !activeSession->cartridgeLoaded || activeSession->imagePath.empty()) return;
  const std::string path = activeSession->imagePath;
  MenuLoadCartridge(path.c_str());
}
}  // namespace

void MenuSetBoard(int board) {
  if (!activeSession) return;
  activeSession->console.SetBoardChoice(board >= 0 && board < kBoardCount ? std::optional<Board>(static_cast<Board>(board))
                                                                          : std::nullopt);
  ReloadRunningImage();
}

void MenuSetConsole(int kind) {
  if (!activeSession) return;
  // The menu's values are ConsoleKind's: 0 the image's own, 1 Master
  // System, 2 Game Gear, 3 SG-1000, 4 SC-3000.
  activeSession->console.SetConsoleKind(kind >= 1 && kind <= 4 ? static_cast<ConsoleKind>(kind)
                                                               : ConsoleKind::kFromImage);
  ReloadRunningImage();
}

void MenuSetFmUnit(bool on) {
  if (!activeSession) return;
  activeSession->console.SetFmUnitAsked(on);
  ReloadRunningImage();
}

bool MenuStartSoundLog(const char* path) {
  if (!activeSession || !path) return false;
  std::string error;
  if (activeSession->StartSoundLog(path, error)) return true;
  ShowMessageBoxAgain(Format(Tr("The sound log cannot be written: %s."), error.c_str()).c_str(), Tr("Sound log error"));
  return false;
}

void MenuStopSoundLog() {
  if (!activeSession) return;
  std::string error;
  if (activeSession->StopSoundLog(error)) {
    activeSession->presenter.note.Show(Tr("Son enregistré"), MillisecondsNow());
  } else {
    ShowMessageBoxAgain(Format(Tr("The sound log could not be written whole: %s."), error.c_str()).c_str(),
                        Tr("Sound log error"));
  }
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuSaveState() {
  if (activeSession && activeSession->cartridgeLoaded) SaveSlotWithNote(*activeSession, activeSession->stateSlot);
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuLoadState() {
  if (activeSession && activeSession->cartridgeLoaded) LoadSlotWithNote(*activeSession, activeSession->stateSlot);
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuSetStateSlot(int slot) {
  if (activeSession && slot >= 1 && slot <= kStateSlotCount) activeSession->stateSlot = slot;
}

void MenuSetFastForward(bool on) {
  if (activeSession) activeSession->fastForward = on;
  if (Display* display = TheDisplay()) display->Focus();
}
