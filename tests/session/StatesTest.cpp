// Save-state slots and the rewind history as the desktop uses them, on the
// demo cartridge: slot files and their notes, refusals that change nothing,
// and rewinding that shows the pictures of the run and carries on from them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "DemoCartridge.h"
#include "host/session/RewindControl.h"
#include "host/session/StateSlots.h"
#include "console/Console.h"
#include "console/SaveState.h"

namespace {

std::unique_ptr<Console> Demo(const char* name = "/games/demo.sms") {
  auto console = std::make_unique<Console>();
  EXPECT_TRUE(console->LoadCartridge(DemoCartridgeData(), DemoCartridgeSize(), name));
  console->Reset();
  return console;
}

std::vector<std::uint8_t> Save(const Console& console) {
  std::vector<std::uint8_t> state(StateSize(console));
  EXPECT_EQ(SaveState(console, state.data(), state.size()), StateError::None);
  return state;
}

// Controls that change often, the pause button among them.
FrameInput Controls(int n) {
  FrameInput input;
  input.pad[0] = static_cast<std::uint8_t>((n / 5) & 0x3F);
  input.pause = (n % 37) == 0;
  return input;
}

TEST(StateSlots, FileNamesFollowTheImage) {
  struct PathCase {
    const char* folder;
    const char* image;
    int slot;
    const char* path;
  };
  const PathCase paths[] = {
      {"/s", "/games/Sonic.sms", 1, "/s/Sonic.sms.state1"}, {"/s", "Game Gear.gg", 9, "/s/Game Gear.gg.state9"},
      {"/s", "/games/a.sms", 0, ""},  {"/s", "/games/a.sms", 10, ""}, {"/s", "", 1, ""},
      {"/s", "/games/", 1, ""},       {"", "/games/a.sms", 1, ""},
  };
  for (const PathCase& c : paths) {
    EXPECT_EQ(StateSlotPath(c.folder, c.image, c.slot), c.path) << c.image << " slot " << c.slot;
  }
}

TEST(StateSlots, SaveAndLoadWithNotesAndRefusalsChangeNothing) {
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("tavrin-slots-" + std::to_string(::getpid()));
  std::filesystem::remove_all(scratch);
  const std::string folder = (scratch / "deep" / "states").string();  // made with its parents
  auto console = Demo();
  for (int n = 0; n < 30; ++n) console->RunFrame(Controls(n));
  const std::vector<std::uint8_t> saved = Save(*console);
  EXPECT_EQ(SaveStateSlot(*console, folder, "/games/demo.sms", 3), "\xC3\x89tat 3 sauvegard\xC3\xA9");
  EXPECT_TRUE(std::filesystem::exists(folder + "/demo.sms.state3"));
  for (int n = 30; n < 60; ++n) console->RunFrame(Controls(n));
  const std::vector<std::uint8_t> now = Save(*console);

  std::ofstream(folder + "/demo.sms.state5") << "not a state at all";
  auto other = std::make_unique<Console>();
  const std::vector<std::uint8_t> otherImage(4 * Console::kPageSize, 0x00);
  ASSERT_TRUE(other->LoadCartridge(otherImage.data(), otherImage.size(), "/elsewhere/demo.sms"));
  struct Refusal {
    Console* target;
    int slot;
    const char* note;
  };
  const Refusal refusals[] = {
      {console.get(), 4, "\xC3\x89tat 4 : aucun fichier"},
      {console.get(), 5, "\xC3\x89tat 5 : ce n'est pas un \xC3\xA9tat sauvegard\xC3\xA9"},
      {other.get(), 3, "\xC3\x89tat 3 : fait avec une autre image de cartouche"},
  };
  for (const Refusal& r : refusals) {
    const std::vector<std::uint8_t> before = Save(*r.target);
    const std::string note = LoadStateSlot(*r.target, folder, "/games/demo.sms", r.slot);
    EXPECT_EQ(note, r.note);
    EXPECT_EQ(Save(*r.target), before) << "a refused load changes nothing: " << note;
  }
  EXPECT_EQ(Save(*console), now);

  EXPECT_EQ(LoadStateSlot(*console, folder, "/games/demo.sms", 3), "\xC3\x89tat 3 charg\xC3\xA9");
  EXPECT_EQ(Save(*console), saved);

  std::filesystem::remove_all(scratch);
}

// Each step back shows the picture the run showed at that frame and leaves
// the console in the state that followed it; play then goes on as it went.
TEST(RewindControl, StepsBackThroughTheRunExactly) {
  auto console = Demo();
  RewindControl rewind(4u << 20);
  constexpr int kFrames = 120;
  std::vector<std::vector<std::uint8_t>> pictures, states;
  for (int n = 0; n < kFrames; ++n) {
    rewind.BeforeFrame(*console);
    console->RunFrame(Controls(n));
    rewind.AfterFrame(Controls(n));
    pictures.emplace_back(console->Frame(), console->Frame() + Video::kFrameSize);
    states.push_back(Save(*console));
  }
  for (int k = 1; k <= 50; ++k) {
    ASSERT_TRUE(rewind.StepBack(*console)) << k;
    const int frame = kFrames - k;
    ASSERT_EQ(std::vector<std::uint8_t>(console->Frame(), console->Frame() + Video::kFrameSize), pictures[frame])
        << "picture of frame " << frame;
    ASSERT_EQ(Save(*console), states[frame]) << "state after frame " << frame;
  }
  // A history of another image's states is dropped, and the console kept.
  auto other = std::make_unique<Console>();
  const std::vector<std::uint8_t> otherImage(4 * Console::kPageSize, 0x00);
  ASSERT_TRUE(other->LoadCartridge(otherImage.data(), otherImage.size(), "other.sms"));
  const std::vector<std::uint8_t> before = Save(*other);
  EXPECT_FALSE(rewind.StepBack(*other));
  EXPECT_EQ(rewind.Count(), 0u);
  EXPECT_EQ(Save(*other), before);
  EXPECT_FALSE(rewind.StepBack(*console)) << "nothing left to go back to";
}

}  // namespace
