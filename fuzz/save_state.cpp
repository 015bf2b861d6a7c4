// Any bytes as a save state of the built-in demo: refused, or accepted and
// then run for a frame. Nothing may crash or read or write out of bounds.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "DemoCartridge.h"
#include "FuzzQuiet.h"
#include "console/Console.h"
#include "console/SaveState.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SilenceLog();
  static Console* console = [] {
    auto* made = new Console();
    made->LoadCartridge(DemoCartridgeData(), DemoCartridgeSize(), "demo.sms");
    return made;
  }();
  console->Reset();
  if (LoadState(*console, data, size) == StateError::None) console->RunFrame(FrameInput{});
  return 0;
}
