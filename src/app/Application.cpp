#include "app/Application.h"

#include <vector>

#include "debug/DebugConsole.h"
#include "host/video/Display.h"

Session* activeSession = nullptr;

bool Session::Startup(const HostParts& host) {
  ConsoleInit();
  LogPrintf("Tavrin -- Startup -- %s\n", "v0.3b [19]");
  hostParts = host;
  if (host.displayManagerInit) host.displayManagerInit();
  if (host.createMainWindow && !host.createMainWindow()) return false;
  // A refused sound device has been reported; the console then runs silent.
  if (host.soundOpen) host.soundOpen();
  LogPrintf("Tavrin -- Initializing the SMS ...\n");
  console.SetLogger(DebugConsoleLogger());
  console.Create();

  Display* display = host.display;
  LogPrintf("Creating Display\n");
  if (display) {
    DisplayWindowHandle = display->CreateWindow(512, 384, "Sega Master System");
    display->InitDirectDraw(Video::kWidth, Video::kHeight);  // carries on whatever happened
    LogPrintf("  Display Depth: %d\n", display->depth);
    display->Centre();
    display->Show(kShowWindowCommand);
  }
  presenter.SetDisplay(display);
  input.Init(host.input);
  LogPrintf("Tavrin -- Ready to go!\n");
  if (host.showMainWindow) host.showMainWindow();
  return true;
}

namespace {
// What the cartridge refuses, in the player's words: an image holds one to
// 64 pages of 16 KB, perhaps behind a header shorter than a page.
std::string RefusalReason(std::size_t size) {
  constexpr std::size_t kPage = 0x4000;
  if (size < kPage) return "the image is too small: " + std::to_string(size) + " bytes, where a cartridge holds at least 16384";
  if (size / kPage > 64) return "the image is too large (a cartridge holds at most 64 pages of 16 KB)";
  return "the image was refused";
}
}  // namespace

bool Session::LoadAndReset(const char* path) {
  std::vector<std::uint8_t> image;
  loadError.clear();
  if (!path) {
    loadError = "no file was named";
    return false;
  }
  if (!ReadCartridgeImage(path, image, &loadError)) return false;
  // Saved before the console takes the new image, which blanks the RAM. When
  // that save fails the old image keeps running, so its RAM is not lost.
  if (cartridgeLoaded && console.CartridgeRamDirty() && !SaveBattery()) {
    LogPrintf("tavrin: %s keeps running: its cartridge RAM could not be saved\n", "the current image");
    loadError = "the running game's cartridge RAM could not be saved, so it keeps running";
    return false;
  }
  if (!console.LoadCartridge(image.data(), image.size(), path)) {
    loadError = RefusalReason(image.size());
    return false;
  }
  imagePath = path;
  battery.Attach(path, console.CartridgeRam(), Console::kCartridgeRamSize);
  cartridgeLoaded = true;
  console.Reset();
  return true;
}

void Session::RunFrame() {
  input.Update();
  if (input.hotkeys & HotkeyFrameRate) presenter.showFrameRate = !presenter.showFrameRate;
  if (input.hotkeys & HotkeySprites) console.video.hideSprites = !console.video.hideSprites;
  console.RunFrame(input.controls);
  if (present) presenter.Present(console.Frame(), console.ColourRam(), console.GameGear());
  if (sound) sound->Samples(console.Samples(), console.SampleCount());
  if (console.TakeSaveRequest()) SaveBattery();
}

bool Session::SaveBattery() {
  if (!battery.Save(console.CartridgeRam(), Console::kCartridgeRamSize)) return false;
  console.MarkCartridgeRamSaved();
  return true;
}

void Session::Shutdown() {
  if (cartridgeLoaded && console.CartridgeRamDirty()) SaveBattery();
  input.Shutdown();
  if (hostParts.soundClose) hostParts.soundClose();
  if (hostParts.displayShutdown) hostParts.displayShutdown();
  hostParts = HostParts{};
}
