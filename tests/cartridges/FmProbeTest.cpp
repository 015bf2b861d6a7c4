// The FM unit probe on consoles with and without the unit: what it reads
// back from the audio control port, and what a player hears (the samples'
// hash against a reference; on a mismatch the sound is written as a WAV
// beside the test for listening).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "console/Console.h"
#include "console/SaveState.h"

namespace {

std::vector<std::uint8_t> ReadImage(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::unique_ptr<Console> Start(bool japanese, bool asked) {
  auto console = std::make_unique<Console>();
  const std::vector<std::uint8_t> image = ReadImage(CART_FM_PROBE);
  console->SetJapanese(japanese);
  console->SetFmUnitAsked(asked);
  EXPECT_TRUE(console->LoadCartridge(image.data(), image.size(), "fm_probe.sms"));
  console->Reset();
  return console;
}

std::vector<std::int16_t> Play(Console& console, int frames) {
  std::vector<std::int16_t> out;
  for (int f = 0; f < frames; ++f) {
    console.RunFrame(FrameInput{});
    out.insert(out.end(), console.Samples(), console.Samples() + console.SampleCount());
  }
  return out;
}

std::uint64_t Hash(const std::vector<std::int16_t>& s) {
  std::uint64_t h = 1469598103934665603ull;
  for (const std::int16_t v : s) {
    h = (h ^ static_cast<std::uint16_t>(v)) * 1099511628211ull;
  }
  return h;
}

void WriteWav(const std::string& path, const std::vector<std::int16_t>& s) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  auto put = [f](std::uint32_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) std::fputc(static_cast<int>((v >> (8 * k)) & 0xFF), f);
  };
  const std::uint32_t data = static_cast<std::uint32_t>(s.size() * 2);
  std::fputs("RIFF", f); put(36 + data, 4); std::fputs("WAVEfmt ", f); put(16, 4); put(1, 2); put(1, 2);
  put(48000, 4); put(96000, 4); put(2, 2); put(16, 2); std::fputs("data", f); put(data, 4);
  for (const std::int16_t v : s) put(static_cast<std::uint16_t>(v), 2);
  std::fclose(f);
}

// The reference: the probe's first 120 frames on a console with the unit.
constexpr std::uint64_t kProbeSound = 0x6c0cdef03f93a7c1;

TEST(FmProbe, TheUnitIsFoundAndPlaysWhereFitted) {
  struct Case {
    const char* name;
    bool japanese, asked;
    std::vector<std::uint8_t> readBack;
  };
  const Case cases[] = {
      {"Japanese console", true, false, {0, 1, 2, 3}},
      {"export console, unit asked for", false, true, {0, 1, 2, 3}},
      {"export console", false, false, {0xFF, 0xFF, 0xFF, 0xFF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto console = Start(c.japanese, c.asked);
    const std::vector<std::int16_t> sound = Play(*console, 120);
    EXPECT_EQ(std::vector<std::uint8_t>(console->systemRam + 4, console->systemRam + 8), c.readBack);
    const bool fitted = c.readBack[1] == 1;
    if (!fitted) {
      EXPECT_EQ(std::count(sound.begin(), sound.end(), 0), static_cast<long>(sound.size())) << "silent";
      continue;
    }
    if (Hash(sound) != kProbeSound) {
      WriteWav("fm_probe_actual.wav", sound);
      ADD_FAILURE() << "sound hash " << std::hex << Hash(sound) << ", written to fm_probe_actual.wav";
    }
  }
}

// The program run headless with --fm writes the same sound into its WAV.
TEST(FmProbe, HeadlessFmOptionWritesTheReferenceSound) {
  const std::string folder = "/tmp/tavrin-fm-" + std::to_string(::getpid());
  std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str());
  std::system(("cp '" + std::string(CART_FM_PROBE) + "' '" + folder + "/probe.sms'").c_str());
  const std::string command = std::string("'") + TAVRIN_EXECUTABLE + "' --headless --frames 120 --fm --audio '" +
                              folder + "/probe.wav' '" + folder + "/probe.sms' >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
  const std::vector<std::uint8_t> wav = ReadImage((folder + "/probe.wav").c_str());
  ASSERT_GT(wav.size(), 44u);
  std::vector<std::int16_t> sound((wav.size() - 44) / 2);
  for (std::size_t i = 0; i < sound.size(); ++i) {
    sound[i] = static_cast<std::int16_t>(wav[44 + 2 * i] | wav[45 + 2 * i] << 8);
  }
  EXPECT_EQ(Hash(sound), kProbeSound) << "kept in " << folder;
  if (!::testing::Test::HasFailure()) std::system(("rm -rf '" + folder + "'").c_str());
}

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// A VGM sound log of the probe, read back as a player reads it: the header,
// the GD3 tag, and the commands replayed against a PSG and an FM chip leave
// them with the registers of the console that played.
TEST(FmProbe, SoundLogReplaysAgainstTheChips) {
  const std::string folder = "/tmp/tavrin-vgm-" + std::to_string(::getpid());
  std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str());
  std::system(("cp '" + std::string(CART_FM_PROBE) + "' '" + folder + "/probe.sms'").c_str());
  constexpr int kFrames = 120;
  const std::string command = std::string("'") + TAVRIN_EXECUTABLE + "' --headless --frames " +
                              std::to_string(kFrames) + " --japanese --vgm '" + folder + "/probe.vgm' '" + folder +
                              "/probe.sms' >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
  const std::vector<std::uint8_t> vgm = ReadImage((folder + "/probe.vgm").c_str());
  ASSERT_GT(vgm.size(), 0x100u);
  EXPECT_EQ(std::string(vgm.begin(), vgm.begin() + 4), "Vgm ");
  EXPECT_EQ(Get32(vgm, 0x04), vgm.size() - 4);
  EXPECT_EQ(Get32(vgm, 0x08), 0x171u);
  EXPECT_EQ(Get32(vgm, 0x0C), 3579545u);
  EXPECT_EQ(Get32(vgm, 0x10), 3579545u);
  EXPECT_EQ(Get32(vgm, 0x18), static_cast<std::uint32_t>(std::uint64_t{kFrames} * 59736 * 44100 / 3579545));
  const std::size_t gd3 = 0x14 + Get32(vgm, 0x14);
  ASSERT_LT(gd3 + 12, vgm.size());
  EXPECT_EQ(std::string(vgm.begin() + static_cast<long>(gd3), vgm.begin() + static_cast<long>(gd3) + 4), "Gd3 ");
  std::string title;  // the first string, UTF-16: the track's name
  for (std::size_t at = gd3 + 12; at + 1 < vgm.size() && (vgm[at] | vgm[at + 1]); at += 2) {
    title += static_cast<char>(vgm[at]);
  }
  EXPECT_EQ(title, "probe");

  auto played = Start(true, false);
  Play(*played, kFrames);
  auto psg = std::make_unique<Psg>();
  auto fm = std::make_unique<Fm>();
  std::size_t at = 0x34 + Get32(vgm, 0x34);
  std::uint64_t sample = 0;
  bool ended = false;
  int commands = 0;
  while (at < gd3 && !ended) {
    const std::uint8_t op = vgm[at];
    const std::uint32_t cycle = 0;  // only the registers are compared
    switch (op) {
      case 0x50: psg->Write(cycle, vgm[at + 1]); at += 2; ++commands; break;
      case 0x51: fm->WriteAddress(vgm[at + 1]); fm->WriteData(cycle, vgm[at + 2]); at += 3; ++commands; break;
      case 0x61: sample += vgm[at + 1] | vgm[at + 2] << 8; at += 3; break;
      case 0x62: sample += 735; ++at; break;
      case 0x63: sample += 882; ++at; break;
      case 0x66: ended = true; break;
      default:
        ASSERT_EQ(op & 0xF0, 0x70) << "command " << static_cast<int>(op) << " at " << at;
        sample += (op & 0x0F) + 1;
        ++at;
    }
  }
  EXPECT_TRUE(ended);
  EXPECT_EQ(commands, 28 + 3);  // the probe's FM register writes and PSG bytes
  EXPECT_EQ(sample, Get32(vgm, 0x18));
  for (int reg = 0; reg < 0x40; ++reg) EXPECT_EQ(fm->Register(reg), played->fm.Register(reg)) << "FM register " << reg;
  for (int k = 0; k < 3; ++k) EXPECT_EQ(psg->TonePeriod(k), played->psg.TonePeriod(k));
  for (int k = 0; k < 4; ++k) EXPECT_EQ(psg->Attenuation(k), played->psg.Attenuation(k));
  if (!::testing::Test::HasFailure()) std::system(("rm -rf '" + folder + "'").c_str());
}

// The audio control port's four settings: the PSG alone, the FM chip alone,
// neither, both.
TEST(FmProbe, AudioControlMixesTheChips) {
  auto energy = [](const std::vector<std::int16_t>& s) {
    double e = 0;
    for (std::size_t i = s.size() / 2; i < s.size(); ++i) e += static_cast<double>(s[i]) * s[i];
    return e;
  };
  double alone[2] = {};
  for (int control = 0; control < 4; ++control) {
    auto console = Start(true, false);
    Play(*console, 60);
    console->OutPort(0xF2, static_cast<std::uint8_t>(control));
    EXPECT_EQ(console->InPort(0xF2), control);
    const double e = energy(Play(*console, 10));
    if (control < 2) alone[control] = e;
    if (control < 2) {
      EXPECT_GT(e, 0) << "control " << control;
    } else if (control == 2) {
      EXPECT_EQ(e, 0);
    } else {
      EXPECT_GT(e, std::max(alone[0], alone[1]));
    }
  }
}

// A state saved while the unit plays continues bit for bit; an older state
// (without the unit's section) loads with the unit off.
TEST(FmProbe, StatesCarryTheUnit) {
  auto original = Start(true, false);
  Play(*original, 50);
  std::vector<std::uint8_t> state(StateSize(*original));
  ASSERT_EQ(SaveState(*original, state.data(), state.size()), StateError::None);
  const std::vector<std::int16_t> expected = Play(*original, 30);

  auto restored = Start(false, false);
  Play(*restored, 7);
  ASSERT_EQ(LoadState(*restored, state.data(), state.size()), StateError::None);
  EXPECT_TRUE(restored->FmUnit());
  EXPECT_EQ(Play(*restored, 30), expected);
}

}  // namespace
