#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "DemoCartridge.h"
#include "console/Console.h"
#include "console/SaveState.h"

namespace {

std::vector<std::uint8_t> DemoImage() {
  return std::vector<std::uint8_t>(DemoCartridgeData(), DemoCartridgeData() + DemoCartridgeSize());
}

// Random bytes with a few pages: the processor wanders through them,
// touching ports, the mapper and cartridge RAM.
std::vector<std::uint8_t> RandomImage(unsigned seed, int pages) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> image(static_cast<std::size_t>(pages) * Console::kPageSize);
  for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
  return image;
}

std::unique_ptr<Console> Loaded(const std::vector<std::uint8_t>& image, const char* name = "game.sms",
                                bool fmUnit = false) {
  auto console = std::make_unique<Console>();
  console->SetFmUnitAsked(fmUnit);
  EXPECT_TRUE(console->LoadCartridge(image.data(), image.size(), name));
  console->Reset();
  return console;
}

// The controls of frame n of a scripted run: a walk over every pad line.
FrameInput ScriptedInput(int n) {
  FrameInput input;
  input.pad[0] = static_cast<std::uint8_t>((n / 7) & 0x3F);
  input.pad[1] = static_cast<std::uint8_t>((n / 11) & 0x3F);
  input.pause = (n % 50) == 0;
  input.start = (n % 13) == 0;
  input.keyboard[n % kKeyboardRows] = static_cast<std::uint16_t>(n * 37 & 0xFFF);
  return input;
}

// Every frame's picture, colours and samples, and the cartridge RAM at the end.
std::vector<std::uint8_t> RunFrames(Console& console, int from, int frames) {
  std::vector<std::uint8_t> out;
  for (int n = from; n < from + frames; ++n) {
    console.RunFrame(ScriptedInput(n));
    out.insert(out.end(), console.Frame(), console.Frame() + Video::kFrameSize);
    out.insert(out.end(), console.ColourRam(), console.ColourRam() + Video::kColourRamSize);
    const auto* samples = reinterpret_cast<const std::uint8_t*>(console.Samples());
    out.insert(out.end(), samples, samples + console.SampleCount() * 2);
  }
  out.insert(out.end(), console.CartridgeRam(), console.CartridgeRam() + Console::kCartridgeRamSize);
  return out;
}

std::vector<std::uint8_t> Save(const Console& console) {
  std::vector<std::uint8_t> state(StateSize(console));
  EXPECT_EQ(SaveState(console, state.data(), state.size()), StateError::None);
  return state;
}

std::uint32_t Get32(const std::vector<std::uint8_t>& state, std::size_t at) {
  return state[at] | state[at + 1] << 8 | state[at + 2] << 16 | static_cast<std::uint32_t>(state[at + 3]) << 24;
}

// Where the fields of the section tagged `tag` start (after its 8-byte header).
std::size_t SectionData(const std::vector<std::uint8_t>& state, const char* tag) {
  for (std::size_t at = 20; at + 8 <= state.size(); at += 8 + Get32(state, at + 4)) {
    if (std::memcmp(&state[at], tag, 4) == 0) return at + 8;
  }
  ADD_FAILURE() << "no section " << tag;
  return 0;
}

// The video chip's fields after its memories (video RAM, colour RAM, registers).
constexpr std::size_t kVideoCounters = 16384 + 64 + 16;
struct VideoFields {
  int code, address, line, lineCounter;
};
VideoFields ReadVideoFields(const std::vector<std::uint8_t>& state) {
  const std::size_t at = SectionData(state, "VDP ") + kVideoCounters;
  return {state[at + 1], state[at + 3] | state[at + 4] << 8, static_cast<std::int32_t>(Get32(state, at + 9)),
          static_cast<std::int32_t>(Get32(state, at + 13))};
}

// Saving, loading into a fresh console of the same image and running on
// gives the very frames and samples of the run that never stopped.
TEST(SaveState, LoadingThenRunningMatchesTheRunThatNeverStopped) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> image;
    int before, after;
    int version = kStateFormatVersion;  // an older format: its later sections cut off
    const char* file = "game.sms";
    Region region = Region::kFromImage;   // the saving console's; the loading one is left as the image says
  };
  const Case cases[] = {
      {"demo", DemoImage(), 200, 120},
      {"demo from a version 1 state", DemoImage(), 200, 60, 1},
      {"demo from a version 2 state", DemoImage(), 200, 60, 2},
      {"demo from a version 3 state", DemoImage(), 200, 60, 3},
      {"demo from a version 4 state", DemoImage(), 200, 60, 4},
      {"demo from a version 5 state", DemoImage(), 200, 60, 5},
      {"demo on a PAL console: the state brings its timing along", DemoImage(), 200, 60, kStateFormatVersion,
       "game.sms", Region::kExportPal},
      {"random 4 pages", RandomImage(1, 4), 30, 30},
      {"random 5 pages", RandomImage(2, 5), 45, 30},
      {"random 16 pages", RandomImage(3, 16), 10, 40},
      {"random SC-3000, 2 pages", RandomImage(4, 2), 30, 30, kStateFormatVersion, "game.sc"},
      {"random SG-1000, 5 pages (Sega board)", RandomImage(5, 5), 30, 30, kStateFormatVersion, "game.sg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto original = Loaded(c.image, c.file);
    original->SetRegion(c.region);
    RunFrames(*original, 0, c.before);
    std::vector<std::uint8_t> state = Save(*original);
    if (c.version != static_cast<int>(kStateFormatVersion)) {
      // The last sections are the ports' (version 2), the board's
      // (version 3), the console's (version 4), the FM unit's (version 5)
      // and the console model's (version 6): drop what the older version
      // lacks.
      constexpr std::size_t kPortSection = 8 + 4 + 2 * 13;
      constexpr std::size_t kBoardSection = 8 + 6;
      constexpr std::size_t kConsoleSection = 8 + 5 + 2 * kKeyboardRows;
      constexpr std::size_t kFmSection = 8 + 6745;
      constexpr std::size_t kModeSection = 8 + 4;
      state.resize(state.size() - kModeSection - (c.version <= 4 ? kFmSection : 0) -
                   (c.version <= 3 ? kConsoleSection : 0) -
                   (c.version <= 2 ? kBoardSection : 0) -
                   (c.version == 1 ? kPortSection : 0));
      state[8] = static_cast<std::uint8_t>(c.version);
      for (int k = 0; k < 4; ++k) state[16 + k] = static_cast<std::uint8_t>(state.size() >> (8 * k));
    }
    const std::vector<std::uint8_t> expected = RunFrames(*original, c.before, c.after);

    auto restored = Loaded(c.image, c.file);
    RunFrames(*restored, 0, 3);  // somewhere else entirely first
    ASSERT_EQ(LoadState(*restored, state.data(), state.size()), StateError::None);
    EXPECT_EQ(RunFrames(*restored, c.before, c.after), expected);
    if (c.version != static_cast<int>(kStateFormatVersion)) continue;
    // The same state saved again is the same bytes: saving is deterministic.
    ASSERT_EQ(LoadState(*restored, state.data(), state.size()), StateError::None);
    EXPECT_EQ(Save(*restored), state);
  }
}

// A state refreshed every frame (as rewind takes them) is the very bytes a
// full save gives, and every byte that changed since the last refresh lies in
// a listed range; a state loaded or a reset in between is caught as well.
TEST(SaveState, RefreshedStatesMatchFullSavesAndListWhatChanged) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> image;
    int frames;
    int loadAt;  // frame where an earlier state is loaded, -1 for none
    const char* file = "game.sms";
    bool fmNote = false;  // an FM note sounds from frame 5, released at 40
    int resetAt = -1;
    int palAt = -1;  // frame from which the console runs as a PAL one (another clock)
  };
  const Case cases[] = {
      {"demo", DemoImage(), 150, -1},
      {"demo, a state loaded", DemoImage(), 80, 40},
      {"random 4 pages (mapper, cartridge RAM)", RandomImage(1, 4), 60, -1},
      {"random 16 pages, a state loaded", RandomImage(3, 16), 60, 30},
      {"random SG-1000, 2 pages, a state loaded (mirrored RAM)", RandomImage(6, 2), 60, 30, "game.sg"},
      {"demo, an FM note, a state loaded", DemoImage(), 90, 60, "game.sms", true},
      {"demo, an FM note, a reset while it fades", DemoImage(), 90, -1, "game.sms", true, 50},
      {"demo, an FM note, PAL from the middle of the note", DemoImage(), 60, -1, "game.sms", true, -1, 20},
  };
  // FM registers: instrument 1 at full volume on channel 0, its frequency,
  // then the key.
  const std::uint8_t noteOn[][2] = {{0x30, 0x10}, {0x10, 0xAB}, {0x20, 0x1C}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto console = Loaded(c.image, c.file, c.fmNote);
    std::vector<std::uint8_t> refreshed(StateSize(*console));
    StateRanges changed;
    ASSERT_EQ(RefreshState(*console, refreshed.data(), refreshed.size(), true, changed), StateError::None);
    std::vector<std::uint8_t> early = refreshed;
    for (int n = 0; n < c.frames; ++n) {
      SCOPED_TRACE(n);
      if (n == c.loadAt) {
        ASSERT_EQ(LoadState(*console, early.data(), early.size()), StateError::None);
      }
      if (n == c.resetAt) console->Reset();
      if (n == c.palAt) console->UseRegion(Region::kExportPal);
      if (c.fmNote && n == 5) {
        console->OutPort(0xF2, 1);
        for (const auto& [reg, value] : noteOn) {
          console->OutPort(0xF0, reg);
          console->OutPort(0xF1, value);
        }
      }
      if (c.fmNote && n == 40) {
        console->OutPort(0xF0, 0x20);
        console->OutPort(0xF1, 0x0C);
      }
      console->RunFrame(ScriptedInput(n));
      if (c.fmNote && n == 10) {
        ASSERT_NE(console->Samples()[0], 0) << "the note sounds";
      }
      const std::vector<std::uint8_t> last = refreshed;
      ASSERT_EQ(RefreshState(*console, refreshed.data(), refreshed.size(), false, changed), StateError::None);
      ASSERT_EQ(refreshed, Save(*console));
      std::vector<bool> listed(refreshed.size());
      for (std::size_t r = 0; r < changed.count; ++r) {
        for (std::size_t at = changed.range[r].begin; at < changed.range[r].end; ++at) listed[at] = true;
      }
      for (std::size_t at = 0; at < refreshed.size(); ++at) {
        if (refreshed[at] != last[at]) {
          ASSERT_TRUE(listed[at]) << "byte " << at << " changed unlisted";
        }
      }
    }
  }
}

// A refresh lists what may have changed, not the whole state: on the demo
// the sound chips' step buffers (several KB, nearly all zeros between
// frames) and the untouched memories stay out of the list.
TEST(SaveState, RefreshListsLittleMoreThanAFrameChanged) {
  auto console = Loaded(DemoImage());
  std::vector<std::uint8_t> state(StateSize(*console));
  StateRanges changed;
  ASSERT_EQ(RefreshState(*console, state.data(), state.size(), true, changed), StateError::None);
  for (int n = 0; n < 60; ++n) {
    console->RunFrame(ScriptedInput(n));
    ASSERT_EQ(RefreshState(*console, state.data(), state.size(), false, changed), StateError::None);
    std::size_t listed = 0;
    for (std::size_t r = 0; r < changed.count; ++r) listed += changed.range[r].end - changed.range[r].begin;
    EXPECT_LT(listed, 8192u) << "frame " << n;  // about 4 KB; the step buffers alone are 13 KB
  }
}

TEST(SaveState, RefusedStatesChangeNothing) {
  const std::vector<std::uint8_t> image = DemoImage();
  auto console = Loaded(image);
  RunFrames(*console, 0, 30);
  const std::vector<std::uint8_t> good = Save(*console);
  RunFrames(*console, 30, 10);
  const std::vector<std::uint8_t> before = Save(*console);

  auto other = Loaded(RandomImage(7, 2));
  const std::vector<std::uint8_t> fromOther = Save(*other);

  struct Case {
    const char* name;
    std::vector<std::uint8_t> state;
    StateError error;
  };
  std::vector<std::uint8_t> newer = good;
  newer[8] = static_cast<std::uint8_t>(kStateFormatVersion + 1);
  std::vector<std::uint8_t> badSection = good;
  badSection[20] = 'X';
  std::vector<std::uint8_t> badMagic = good;
  badMagic[0] = 'X';
  // The processor's section one byte shorter by its length field, the total
  // size untouched: the sections after it would be read one byte off.
  std::vector<std::uint8_t> badLength = good;
  badLength[SectionData(good, "Z80 ") - 4] -= 1;
  const Case cases[] = {
      {"another image's state", fromOther, StateError::OtherImage},
      {"truncated", std::vector<std::uint8_t>(good.begin(), good.end() - 1), StateError::Damaged},
      {"one byte longer", [&] { auto s = good; s.push_back(0); return s; }(), StateError::Damaged},
      {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 20), StateError::Damaged},
      {"empty", {}, StateError::NotAState},
      {"not a state", std::vector<std::uint8_t>(4096, 0x55), StateError::NotAState},
      {"newer format", newer, StateError::NewerVersion},
      {"section tag damaged", badSection, StateError::Damaged},
      {"magic damaged", badMagic, StateError::NotAState},
      {"one section's length altered, total size intact", badLength, StateError::Damaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LoadState(*console, c.state.data(), c.state.size()), c.error);
    EXPECT_EQ(Save(*console), before);
  }
  Console empty;
  EXPECT_EQ(LoadState(empty, good.data(), good.size()), StateError::NoCartridge);
  std::vector<std::uint8_t> small(10);
  EXPECT_EQ(SaveState(*console, small.data(), small.size()), StateError::BufferTooSmall);
}

// A video address beyond the chip's 14 bits loads clamped to them, like the
// access code to its two bits.
TEST(SaveState, OutOfRangeVideoFieldsLoadClamped) {
  auto console = Loaded(DemoImage());
  RunFrames(*console, 0, 5);
  std::vector<std::uint8_t> state = Save(*console);
  const std::size_t at = SectionData(state, "VDP ") + kVideoCounters;
  state[at + 1] = 0xFF;  // access code
  state[at + 3] = 0x34;  // address 0xD234
  state[at + 4] = 0xD2;
  ASSERT_EQ(LoadState(*console, state.data(), state.size()), StateError::None);
  const VideoFields loaded = ReadVideoFields(Save(*console));
  EXPECT_EQ(loaded.address, 0x1234);
  EXPECT_EQ(loaded.code, 3);
}

// Random and mutated states: whatever is accepted has every index and counter
// in range, saves back as a state that loads to itself, and runs without
// reading or writing outside the console's memories (the sanitizers watch).
TEST(SaveState, RandomAndMutatedStatesAreSafe) {
  const std::vector<std::uint8_t> image = DemoImage();
  auto console = Loaded(image);
  RunFrames(*console, 0, 20);
  const std::vector<std::uint8_t> good = Save(*console);
  std::mt19937 random(42);
  int accepted = 0;
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    std::vector<std::uint8_t> state = good;
    if (round % 2 == 0) {
      // Field bytes random, section tags and lengths kept: the layout checks
      // out, so what is tested is the fields.
      std::vector<std::uint8_t> original = state;
      for (std::size_t k = 20; k < state.size(); ++k) {
        if (random() % 4 == 0) state[k] = static_cast<std::uint8_t>(random());
      }
      for (std::size_t at = 20; at + 8 <= state.size();) {
        std::memcpy(&state[at], &original[at], 8);
        at += 8 + Get32(original, at + 4);
      }
    } else {
      for (int flips = 0; flips < 16; ++flips) state[random() % state.size()] ^= static_cast<std::uint8_t>(1u << (random() % 8));
    }
    if (LoadState(*console, state.data(), state.size()) != StateError::None) continue;
    ++accepted;
    const std::vector<std::uint8_t> loaded = Save(*console);
    const VideoFields video = ReadVideoFields(loaded);
    EXPECT_LE(video.address, 0x3FFF);
    EXPECT_LE(video.code, 3);
    EXPECT_GE(video.line, 0);
    EXPECT_LT(video.line, 313);
    EXPECT_GE(video.lineCounter, 0);
    EXPECT_LE(video.lineCounter, 255);
    // What was made of the bytes is a state of its own: it loads unchanged.
    ASSERT_EQ(LoadState(*console, loaded.data(), loaded.size()), StateError::None);
    EXPECT_EQ(Save(*console), loaded);
    RunFrames(*console, 0, 2);
  }
  // The field-randomised half always passes the layout check.
  EXPECT_GE(accepted, 100);
}

// Two consoles in one process share nothing: each runs as if alone.
TEST(Console, TwoConsolesRunIndependently) {
  const std::vector<std::uint8_t> demo = DemoImage();
  const std::vector<std::uint8_t> noise = RandomImage(9, 4);
  auto alone = Loaded(demo);
  const std::vector<std::uint8_t> expected = RunFrames(*alone, 0, 60);

  auto first = Loaded(demo);
  auto second = Loaded(noise, "other.gg");
  std::vector<std::uint8_t> interleaved;
  for (int n = 0; n < 60; ++n) {
    second->RunFrame(ScriptedInput(n + 5));
    first->RunFrame(ScriptedInput(n));
    interleaved.insert(interleaved.end(), first->Frame(), first->Frame() + Video::kFrameSize);
    interleaved.insert(interleaved.end(), first->ColourRam(), first->ColourRam() + Video::kColourRamSize);
    const auto* samples = reinterpret_cast<const std::uint8_t*>(first->Samples());
    interleaved.insert(interleaved.end(), samples, samples + first->SampleCount() * 2);
  }
  interleaved.insert(interleaved.end(), first->CartridgeRam(), first->CartridgeRam() + Console::kCartridgeRamSize);
  EXPECT_EQ(interleaved, expected);
}

}  // namespace
