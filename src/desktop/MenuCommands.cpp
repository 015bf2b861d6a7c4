#include "desktop/MenuCommands.h"

#include <glib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "console/Peripheral.h"
#include "debug/DebugConsole.h"
#include "desktop/DesktopPlay.h"
#include "desktop/DisplayCaption.h"
#include "host/dialogs/HostMessageBox.h"
#include "host/files/BiosFile.h"
#include "host/display/Display.h"
#include "host/i18n/Translate.h"
#include "host/session/Session.h"
#include "host/session/StateSlots.h"

Display* MenuCommands::TheDisplay() const { return session.presenter.GetDisplay(); }

// Nothing to play: a black picture saying how to get a game.
void MenuCommands::ShowLoadHint() {
  static const std::uint8_t blackFrame[FramePresenter::kWidth * FramePresenter::kHeight] = {};
  static const std::uint8_t blackColours[64] = {};
  // TRANSLATORS: shown on screen in the font of the notes (capitals, digits,
  // ".,:'!?-/<>()"); three rows of 31 characters at most.
  session.presenter.note.ShowLasting(Tr("Chargez une image : Fichier > Charger une ROM, ou déposez-la ici"));
  session.presenter.Present(blackFrame, blackColours, false);
}

void MenuCommands::UpdateCaption() {
  Display* display = TheDisplay();
  if (!display) return;
  display->SetCaption(DisplayCaption(session.console.RunningConsole(), session.imagePath, displayPaused).c_str());
}

void MenuCommands::LoadCartridge(const char* path) {
  if (!path) return;
  if (!session.LoadAndReset(path)) {
    // Every attempt gets its box, even the same file twice: the player tried again.
    // The reason names the file.
    const char* loadError = session.loadError.shown.c_str();
    const std::string text = session.cartridgeLoaded
                                 ? Format(Tr("%s.\n\nLe jeu qui tournait continue."), loadError)
                                 : Format("%s.", loadError);
    if (!session.cartridgeLoaded) ShowLoadHint();
    ShowHostMessageBox(againBox, text.c_str(), Tr("Erreur de cartouche"));
    return;
  }
  session.presenter.note.Hide();
  if (Display* display = TheDisplay()) {
    const PictureRect picture = VisiblePicture(session.console.GameGear());
    const bool reshaped = !(picture == display->picture);
    display->picture = picture;
    UpdateCaption();
    if (reshaped) SetScale(chosenScale);
    display->Focus();
  }
}

void MenuCommands::FocusGame() {
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuCommands::Reset() {
  session.Reset();
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuCommands::SetScale(int scale) {
  if (scale < 1 || scale > 4) return;
  chosenScale = scale;
  Display* display = TheDisplay();
  if (!display) return;
  const int width = display->ShownPictureWidth();
  const int height = display->picture.height;
  int workWidth = 0, workHeight = 0, frameWidth = 0, frameHeight = 0;
  if (display->WorkArea(workWidth, workHeight, frameWidth, frameHeight)) {
    scale = LargestFittingScale(width, height, frameWidth, frameHeight, workWidth, workHeight, scale);
  }
  display->Resize(width * scale, height * scale);
}

void MenuCommands::SetWholeScales(bool on) {
  if (Display* display = TheDisplay()) display->wholeScales = on;
}

void MenuCommands::SetFilter(PictureFilter filter) {
  if (Display* display = TheDisplay()) display->filter = filter;
}

void MenuCommands::SetLcdGhosting(bool on) { session.presenter.lcdGhosting = on; }

void MenuCommands::SetPixelAspect(bool on) {
  Display* display = TheDisplay();
  if (!display || display->pixelAspect == on) return;
  display->pixelAspect = on;
  SetScale(chosenScale);
}

void MenuCommands::SetDisplayPaused(bool paused) {
  if (paused == displayPaused) return;
  displayPaused = paused;
  UpdateCaption();
  // Only a game is dimmed: the hint on loading one stays as it is.
  session.presenter.paused = paused && session.cartridgeLoaded;
  // The dimmed frame is drawn once and stays while nothing runs.
  if (paused && session.cartridgeLoaded) {
    Console& console = session.console;
    session.presenter.Present(console.Frame(), console.ShownColours(), console.GameGearColours(),
                              console.ScreenColours(), console.FrameHeight());
  }
}

void MenuCommands::CloseCartridge() {
  if (!session.cartridgeLoaded) return;
  if (!session.Unload()) {
    ShowHostMessageBox(againBox, Tr("La RAM de la cartouche n'a pas pu être sauvegardée : la ROM reste chargée."),
                       Tr("Erreur de sauvegarde de la cartouche"));
    return;
  }
  displayPaused = false;
  session.presenter.paused = false;
  session.presenter.sign = FramePresenter::PlaySign::None;
  UpdateCaption();
  ShowLoadHint();
}

void MenuCommands::SetPort(int port, int device) {
  if (port < 0 || port > 1 || device < 0 || device >= kPeripheralCount) return;
  session.console.SetPeripheral(port, static_cast<Peripheral>(device));
}

void MenuCommands::SetGlassesView(int view) {
  if (view != 0 && view != 1) return;
  session.console.SetGlassesView(view == 1 ? GlassesView::kAnaglyph : GlassesView::kLeftEye);
}

bool MenuCommands::ChooseBios(const char* path) {
  if (!path) {
    session.console.ClearBios();
  } else {
    std::vector<std::uint8_t> bytes;
    Result read = ReadBiosFile(path, bytes);
    if (read && !session.console.SetBios(bytes.data(), bytes.size())) {
      read = AboutPath(path, {"the boot program cannot be held in memory",
                              Tr("le programme de démarrage ne tient pas en mémoire")});
    }
    if (!read) {
      LogPrintf("tavrin: cannot use the boot program: %s\n", read.Log().c_str());
      ShowHostMessageBox(againBox, Format(Tr("Le BIOS ne peut pas être utilisé : %s."), read.Shown().c_str()).c_str(),
                         Tr("BIOS"));
      return false;
    }
  }
  gchar* name = path ? g_path_get_basename(path) : nullptr;
  session.presenter.ShowNote(name ? Format(Tr("BIOS : %s"), name) : std::string(Tr("BIOS : aucun")));
  g_free(name);
  // The console starts again, with the boot program or without.
  ReloadRunningImage();
  return true;
}

void MenuCommands::ApplyRegionMarks() {
  session.console.SetRegion(palMark ? Region::kExportPal : japaneseMark ? Region::kJapanese : Region::kFromImage);
}

void MenuCommands::SetPal(bool on) {
  palMark = on;
  if (on) japaneseMark = false;
  ApplyRegionMarks();
}

void MenuCommands::SetNoSpriteLimit(bool on) { session.console.video.spriteLimit = !on; }

void MenuCommands::SetJapanese(bool on) {
  japaneseMark = on;
  if (on) palMark = false;
  ApplyRegionMarks();
}

void MenuCommands::ReloadRunningImage() {
  if (!session.cartridgeLoaded || session.imagePath.empty()) return;
  const std::string path = session.imagePath;
  LoadCartridge(path.c_str());
}

void MenuCommands::SetBoard(int board) {
  session.console.SetBoardChoice(board >= 0 && board < kBoardCount ? std::optional<Board>(static_cast<Board>(board))
                                                                   : std::nullopt);
  ReloadRunningImage();
}

void MenuCommands::SetConsole(int kind) {
  // The menu's values are ConsoleKind's: 0 the image's own, 1 Master
  // System, 2 Game Gear, 3 SG-1000, 4 SC-3000.
  session.console.SetConsoleKind(kind >= 1 && kind <= 4 ? static_cast<ConsoleKind>(kind) : ConsoleKind::kFromImage);
  ReloadRunningImage();
}

void MenuCommands::SetFmUnit(bool on) {
  session.console.SetFmUnitAsked(on);
  ReloadRunningImage();
}

bool MenuCommands::StartSoundLog(const char* path) {
  if (!path) return false;
  const Result started = session.StartSoundLog(path);
  if (started) return true;
  ShowHostMessageBox(againBox,
                     Format(Tr("L'enregistrement du son ne peut pas être écrit : %s."), started.Shown().c_str()).c_str(),
                     Tr("Erreur d'enregistrement du son"));
  return false;
}

void MenuCommands::StopSoundLog() {
  if (const Result stopped = session.StopSoundLog(); stopped) {
    session.presenter.ShowNote(Tr("Son enregistré"));
  } else {
    ShowHostMessageBox(
        againBox,
        Format(Tr("L'enregistrement du son n'a pas pu être écrit en entier : %s."), stopped.Shown().c_str()).c_str(),
        Tr("Erreur d'enregistrement du son"));
  }
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuCommands::SaveState() {
  if (session.cartridgeLoaded) SaveSlotWithNote(session, session.stateSlot);
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuCommands::LoadState() {
  if (session.cartridgeLoaded) LoadSlotWithNote(session, session.stateSlot);
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuCommands::SetStateSlot(int slot) {
  if (slot >= 1 && slot <= kStateSlotCount) session.stateSlot = slot;
}

void MenuCommands::SetFastForward(bool on) {
  session.fastForward = on;
  if (Display* display = TheDisplay()) display->Focus();
}
