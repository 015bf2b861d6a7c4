#include "host/session/Session.h"

#include <string>
#include <vector>

#include "debug/DebugConsole.h"
#include "host/dialogs/HostMessageBox.h"
#include "host/display/Display.h"
#include "host/files/ArchiveImage.h"
#include "host/files/ImageFile.h"
#include "host/i18n/Translate.h"

bool Session::Startup(const HostParts& host) {
  ConsoleInit();
  LogPrintf("Tavrin -- Startup -- %s\n", "v0.3b [19]");
  hostParts = host;
  if (host.displayManagerInit) host.displayManagerInit();
  if (host.createMainWindow && !host.createMainWindow()) return false;
  // A refused sound device has been reported; the console then runs silent.
  if (host.soundOpen) host.soundOpen();
  // The console the command line names; the Master System's line for the
  // consoles of its own generation.
  const bool older = host.console == ConsoleKind::kSg1000 || host.console == ConsoleKind::kSc3000;
  LogPrintf("Tavrin -- Initializing the %s ...\n", older ? ConsoleKindTitle(host.console) : "SMS");
  console.SetLogger(DebugConsoleLogger());
  console.Create();

  Display* display = host.display;
  LogPrintf("Creating Display\n");
  if (display) {
    display->messageBox = host.messageBox;
    const std::string title = older ? std::string("Sega ") + ConsoleKindTitle(host.console) : "Sega Master System";
    display->OpenWindow(512, 384, title.c_str());
    display->CreateBackSurface(Video::kWidth, Video::kMaxHeight);  // carries on whatever happened
    LogPrintf("  Display Depth: %d\n", display->depth);
    display->Centre();
    display->Show();
  }
  presenter.SetDisplay(display);
  input.Init(host.input);
  LogPrintf("Tavrin -- Ready to go!\n");
  if (host.showMainWindow) host.showMainWindow();
  return true;
}

namespace {
// What the cartridge refuses: an image holds one to Cartridge::kMaxPages
// pages of 16 KB, perhaps behind a header shorter than a page.
Reason RefusalReason(std::size_t size) {
  constexpr std::size_t kPage = Cartridge::kPageSize;
  if (size < kPage) {
    return {"the image is too small: " + std::to_string(size) + " bytes, where a cartridge holds at least 16384",
            Format(Tr("l'image est trop petite : %zu octets, quand une cartouche en tient au moins 16384"), size)};
  }
  if (size / kPage > static_cast<std::size_t>(Cartridge::kMaxPages)) {
    return {"the image is too large (a cartridge holds at most " + std::to_string(Cartridge::kMaxPages) +
                " pages of 16 KB)",
            Format(Tr("l'image est trop grande (une cartouche tient au plus %d pages de 16 Ko)"),
                   static_cast<int>(Cartridge::kMaxPages))};
  }
  return {"the image was refused", Tr("l'image a été refusée")};
}
}  // namespace

bool Session::LoadAndReset(const char* path) {
  loadError = {};
  if (!path) return false;
  // An image whose battery file would be itself (game.sav) is destroyed by
  // its first save: it is refused before anything is read.
  std::string batteryPath;
  std::vector<std::uint8_t> image;
  // An image inside an archive is named after its entry (game.gg decides the
  // Game Gear); its battery file is named after the archive, beside it.
  std::string name = path;
  // The older consoles' images may be smaller than a page.
  const std::uint64_t minimum = ImageMinimum(console.GetConsoleKind(), path);
  Result read = BatteryPathFor(path, batteryPath);
  if (read) {
    read = IsArchivePath(path) ? ReadArchiveImage(path, image, name, minimum) : ReadImageFile(path, image, minimum);
  }
  if (!read) {
    loadError = read.Why();
    LogPrintf("file error\r\n");
    LogPrintf("tavrin: %s\n", loadError.log.c_str());
    return false;
  }
  FlushBackgroundSaves();
  // Saved before the console takes the new image, which blanks the RAM. When
  // that save fails the old image keeps running, so its RAM is not lost.
  if (cartridgeLoaded && console.CartridgeRamDirty() && !SaveBattery() &&
      !(battery && battery->HeldByAnotherRun())) {
    loadError = {std::string(path) + " was not loaded: the cartridge RAM of the image running could not be saved",
                 Format(Tr("%s n'a pas été chargé : la mémoire de la cartouche en cours n'a pas pu être sauvegardée"),
                        path)};
    LogPrintf("tavrin: %s\n", loadError.log.c_str());
    return false;
  }
  if (!console.LoadCartridge(image.data(), image.size(), name.c_str())) {
    const Reason refused = RefusalReason(image.size());
    loadError = {std::string(path) + ": " + refused.log, Format(Tr("%s : %s"), path, refused.shown.c_str())};
    return false;
  }
  battery.reset();  // the old image's lock goes before the new one is taken
  battery = std::make_unique<BatteryFile>(batteryPath);
  battery->Load(console.CartridgeRam());
  if (battery->TakeHeldNotice()) {
    ShowHostMessageBox(hostParts.messageBox,
                       Format(Tr("Le fichier de sauvegarde %s est utilisé par une autre instance : cette partie "
                                 "ne sera pas sauvegardée."),
                              batteryPath.c_str())
                           .c_str(),
                       "Tavrin");
  }
  cartridgeLoaded = true;
  imagePath = path;
  input.sc3000Keyboard = console.RunningConsole() == ConsoleKind::kSc3000;
  console.Reset();
  return true;
}

bool Session::Unload() {
  if (!cartridgeLoaded) return true;
  FlushBackgroundSaves();
  if (console.CartridgeRamDirty() && !SaveBattery() && !(battery && battery->HeldByAnotherRun())) return false;
  battery.reset();
  cartridgeLoaded = false;
  imagePath.clear();
  return true;
}

void Session::RunFrame() {
  input.Update();
  if (input.hotkeys & kHotkeyFrameRate) presenter.showFrameRate = !presenter.showFrameRate;
  if (input.hotkeys & kHotkeySprites) console.video.hideSprites = !console.video.hideSprites;
  console.RunFrame(input.controls);
  // A debugger stopped the frame partway: nothing of it is finished yet.
  if (console.Stopped()) return;
  if (present) {
    presenter.Present(console.Frame(), console.ShownColours(), console.GameGearColours(), console.ScreenColours(),
                      console.FrameHeight());
  }
  if (sound) sound->Samples(console.Samples(), console.SampleCount());
  if (soundLog) {
    if (Result written = soundLog->AppendFrame(console.SoundWrites(), console.SoundWriteCount(),
                                               static_cast<std::uint32_t>(console.timing.CyclesPerFrame()));
        !written) {
      soundLogError = written.Why();
      soundLog.reset();
      console.SetSoundLog(false);
    }
  }
  if (console.TakeSaveRequest()) {
    if (saver && battery) {
      saver->Submit(battery.get(), console.CartridgeRam());
      console.MarkCartridgeRamSaved();
    } else {
      SaveBattery();
    }
  }
  if (saver) CollectBackgroundSaves();
}

Result Session::StartSoundLog(const std::string& path) {
  auto writer = std::make_unique<VgmWriter>();
  if (Result opened = writer->Open(path, console.timing.clockHz); !opened) return opened;
  soundLog = std::move(writer);
  soundLogError = {};
  console.SetSoundLog(true);
  return {};
}

Result Session::StopSoundLog() {
  if (!soundLog) {
    if (!soundLogError.Empty()) return soundLogError;
    return Reason{"no sound log is being written", Tr("aucun son n'est en cours d'enregistrement")};
  }
  console.SetSoundLog(false);
  // The image's file name without its folder and extension names the log.
  std::string title = imagePath.substr(imagePath.find_last_of('/') + 1);
  if (const std::size_t dot = title.find_last_of('.'); dot != std::string::npos && dot > 0) title.resize(dot);
  Result done = soundLog->Finish(title);
  if (!done) soundLog->Abort();
  soundLog.reset();
  return done;
}

void Session::CollectBackgroundSaves() {
  BackgroundSaver::Outcome outcome;
  while (saver->TakeResult(outcome)) {
    if (outcome.result == BatteryFile::SaveResult::kSaved) {
      LogPrintf("Saved User Ram.\n");
    } else if (outcome.result != BatteryFile::SaveResult::kHeldByAnotherRun) {
      // Still owed: the next save, a load or shutdown tries again.
      console.cartridgeRamDirty = true;
      ReportSaveFailure(outcome.error);
    }
  }
}

void Session::FlushBackgroundSaves() {
  if (!saver) return;
  saver->Flush();
  CollectBackgroundSaves();
}

void Session::ReportSaveFailure(const Reason& error) {
  LogPrintf("User Ram Save Error.\n");
  LogPrintf("tavrin: %s\n", error.log.c_str());
  saveFailed = true;
  // Once per file and reason on the desktop (the box filter drops repeats).
  ShowHostMessageBox(hostParts.messageBox,
                     Format(Tr("La sauvegarde de la cartouche a échoué : %s"), error.shown.c_str()).c_str(),
                     Tr("Erreur de sauvegarde de la cartouche"));
}

bool Session::SaveBattery() {
  if (!battery) return false;
  Reason error;
  switch (battery->Save(console.CartridgeRam(), error)) {
    case BatteryFile::SaveResult::kSaved:
      LogPrintf("Saved User Ram.\n");
      console.MarkCartridgeRamSaved();
      return true;
    case BatteryFile::SaveResult::kHeldByAnotherRun:
      // Warned about once when the lock was found; this run does not save.
      return false;
    case BatteryFile::SaveResult::kRefused:
    case BatteryFile::SaveResult::kFailed:
      break;
  }
  ReportSaveFailure(error);
  return false;
}

void Session::Shutdown() {
  FlushBackgroundSaves();
  // A sound log still being written is finished: what was recorded is kept.
  if (soundLog) {
    if (Result stopped = StopSoundLog(); !stopped) LogPrintf("Sound log: %s\n", stopped.Log().c_str());
  }
  if (cartridgeLoaded && console.CartridgeRamDirty()) SaveBattery();
  saver.reset();
  input.Shutdown();
  if (hostParts.soundClose) hostParts.soundClose();
  if (hostParts.displayShutdown) hostParts.displayShutdown();
  hostParts = HostParts{};
  battery.reset();
}
