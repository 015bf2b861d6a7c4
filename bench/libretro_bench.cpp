// Speed of the libretro core as a front end drives it: tavrin_libretro.so
// opened with dlopen, the demo cartridge (or the image given) run with the
// picture and sound taken every frame. Then the cost of one frame of
// run-ahead two frames deep as RetroArch does it (run the frame, save the
// state, run two frames ahead, the last one shown, load the state back) and of a
// state's save and load alone.
// Figures in wall time and in processor time of this process (which other
// programs busy on the machine do not inflate).
//
// Usage: libretro_bench [core.so [image]]
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>

#include "TestFrontend.h"

namespace {

constexpr int kFrames = 6000;

double ProcessSeconds() {
  timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec + now.tv_nsec * 1e-9;
}

// Runs `frames` iterations of `step` and prints its rate.
template <typename Step>
void Measure(const char* what, int frames, Step step) {
  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = ProcessSeconds();
  for (int frame = 0; frame < frames; ++frame) step();
  const double cpu = ProcessSeconds() - cpuStart;
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  std::printf("%-38s %5d in %.3f s wall, %.3f s processor: %7.0f per second (%.1f us each)\n", what, frames, wall,
              cpu, frames / cpu, cpu / frames * 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  const char* corePath = argc > 1 ? argv[1] : TAVRIN_LIBRETRO_CORE;
  const char* imagePath = argc > 2 ? argv[2] : TAVRIN_DEMO_SMS;
  std::ifstream file(imagePath, std::ios::binary);
  const std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(file), {}};

  TestFrontend f;
  if (!f.Open(corePath)) {
    std::fprintf(stderr, "libretro_bench: cannot open %s: %s\n", corePath, dlerror());
    return 1;
  }
  if (!f.Load(image, imagePath)) {
    std::fprintf(stderr, "libretro_bench: the core refused %s\n", imagePath);
    return 1;
  }
  std::vector<std::uint8_t> state(f.retro_serialize_size());
  std::printf("core %s, image %s, state %zu bytes\n", corePath, imagePath, state.size());

  Measure("frames (picture and sound)", kFrames, [&] {
    f.audio.clear();
    f.retro_run();
  });
  Measure("run-ahead frames (3 runs, save, load)", kFrames / 2, [&] {
    f.audio.clear();
    f.retro_run();
    f.retro_serialize(state.data(), state.size());
    f.retro_run();
    f.retro_run();
    f.retro_unserialize(state.data(), state.size());
  });
  Measure("state save + load", kFrames, [&] {
    f.retro_serialize(state.data(), state.size());
    f.retro_unserialize(state.data(), state.size());
  });
  f.retro_unload_game();
  return 0;
}
