// Any bytes as a cartridge: loaded, reset and run for a few frames with
// changing controls, its sound rendered and its picture converted. Nothing
// may crash, read or write out of bounds, or hang in a scanline.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "FuzzQuiet.h"
#include "console/Console.h"
#include "host/display/FramePresenter.h"

namespace {

constexpr int kFrames = 2;

// The first input byte picks the console (low two bits: a .sms, .gg, .sg or
// .sc name) and the controls (pads and keys); the second the board (found
// from the image for most values, so detection from the bytes and from the
// program's first writes is covered); the rest is the image, padded with
// zeros to one page for the Master System and Game Gear, which refuse
// anything shorter (the older consoles take any size).
void RunCartridge(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return;
  const std::uint8_t control = data[0];
  const int boardByte = data[1];
  data += 2;
  size -= 2;
  static constexpr const char* kNames[4] = {"fuzz.sms", "fuzz.gg", "fuzz.sg", "fuzz.sc"};
  const bool older = (control & 2) != 0;
  std::vector<std::uint8_t> image(data, data + size);
  if (image.empty() || (!older && image.size() < static_cast<std::size_t>(Console::kPageSize))) {
    image.resize(Console::kPageSize, 0);
  }

  auto console = std::make_unique<Console>();
  if (boardByte < kBoardCount) console->SetBoardChoice(static_cast<Board>(boardByte));
  if (!console->LoadCartridge(image.data(), image.size(), kNames[control & 3])) return;
  console->Reset();
  static std::uint32_t surface[256 * 192];
  SurfaceLock lock;
  lock.bits = reinterpret_cast<std::uint8_t*>(surface);
  lock.pitch = 256 * 4;
  for (int frame = 0; frame < kFrames; ++frame) {
    FrameInput input;
    input.pad[0] = static_cast<std::uint8_t>(control >> 2);
    for (int row = 0; row < kKeyboardRows; ++row) input.keyboard[row] = static_cast<std::uint16_t>(control << row & 0xFFF);
    input.pause = frame == 1 && (control & 0x80);
    console->RunFrame(input);
    if (console->video.line != 0) std::abort();  // a scanline that never ended
    if (console->SampleCount() <= 0 || console->SampleCount() > Psg::kMaxFrameSamples) std::abort();
    FramePresenter::Convert(console->Frame(), console->ShownColours(), console->GameGearColours(), lock, 32, false);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SilenceLog();
  RunCartridge(data, size);
  return 0;
}
