// Any bytes as a cartridge: loaded, reset and run for a few frames. Nothing
// may crash, read or write out of bounds, or hang in a scanline.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "FuzzQuiet.h"
#include "host/headless/HeadlessDisplay.h"
#include "input/ScriptedInput.h"
#include "machine/AppFlags.h"
#include "machine/Machine.h"

namespace {

constexpr int kFrames = 2;
constexpr int kLinesPerFrame = 262;

// The image lives in memory; the console opens it by a /proc path. Its
// battery file would be "<path>.sav" under /proc, where nothing can be
// created, so saves fail at once instead of writing to disk each run.
int ImageDescriptor() {
  static const int descriptor = memfd_create("tavrin-fuzz-image", MFD_CLOEXEC);
  if (descriptor < 0) std::abort();
  return descriptor;
}

// The one place that knows the console's interface: adapt this function when
// the console takes its image as bytes. The first input byte picks the
// console (low bit: Game Gear); the rest is the image, padded with zeros to
// one page, since the loader refuses anything shorter.
void RunCartridge(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  const bool gameGear = data[0] & 1;
  ++data;
  --size;
  const int descriptor = ImageDescriptor();
  const std::size_t length = size < Machine::kPageSize ? Machine::kPageSize : size;
  if (::ftruncate(descriptor, 0) != 0 || ::ftruncate(descriptor, static_cast<off_t>(length)) != 0 ||
      ::pwrite(descriptor, data, size, 0) != static_cast<ssize_t>(size)) {
    std::abort();
  }
  const std::string path = "/proc/self/fd/" + std::to_string(descriptor);

  HeadlessDisplay display{32};
  ScriptedInput input{0};
  auto machine = std::make_unique<Machine>();
  machine->Create(&display, &input);
  if (machine->LoadCart(path.c_str())) {
    machine->video.gameGear = gameGear;
    cartridgeLoaded = 1;
    running = 1;
    machine->Reset();
    for (int line = 0; line < kFrames * kLinesPerFrame; ++line) machine->RunLine();
    if (machine->video.line != 0) std::abort();  // a scanline that never ended
  }
  machine->Destroy();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SilenceLog();
  RunCartridge(data, size);
  return 0;
}
