#include <cerrno>

#include "FilesRig.h"
#include "host/files/WavWriter.h"

namespace {

class WavFiles : public FilesRig {};

TEST_F(WavFiles, StreamedFileHasItsSizesAndNothingIsLeftOnFailure) {
  const std::int16_t samples[] = {0, 1, -1, 32767, -32768};
  WavWriter wav;
  const Result opened = wav.Open(Path("out.wav"));
  ASSERT_TRUE(opened) << opened.Log();
  for (int block = 0; block < 1000; ++block) ASSERT_TRUE(wav.Append(samples, 5));
  EXPECT_FALSE(std::filesystem::exists(Path("out.wav")));  // only the temporary until done
  const Result finished = wav.Finish();
  ASSERT_TRUE(finished) << finished.Log();
  std::vector<std::uint8_t> file = Read("out.wav");
  ASSERT_EQ(file.size(), 44u + 10000);
  auto le32 = [&](int at) { return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | file[at + 3] << 24; };
  EXPECT_EQ(le32(4), 36 + 10000);
  EXPECT_EQ(le32(24), 48000);
  EXPECT_EQ(le32(40), 10000);
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 44, file.begin() + 54),
            (std::vector<std::uint8_t>{0, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x80}));

  WavWriter aborted;
  ASSERT_TRUE(aborted.Open(Path("aborted.wav")));
  aborted.Abort();
  FileOps diskFull = SystemFileOps();
  WavWriter full(diskFull);
  ASSERT_TRUE(full.Open(Path("full.wav")));
  diskFull.write = [](int, const void*, std::size_t) -> ssize_t { errno = ENOSPC; return -1; };
  const Result appended = full.Append(samples, 5);
  EXPECT_FALSE(appended);
  EXPECT_NE(appended.Log().find("No space left"), std::string::npos);
  diskFull = SystemFileOps();
  EXPECT_FALSE(full.Finish());
  EXPECT_EQ(Entries(), 1u);  // out.wav alone
}

TEST_F(WavFiles, LengthIsCheckedAgainstFourGigabytesBeforeStarting) {
  const struct {
    std::uint64_t frames;
    bool fits;
  } cases[] = {{0, true}, {600, true}, {2600000, true}, {2700000, false}, {100000000, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.frames);
    const Result fits = WavWriter::CheckLength(c.frames, 59.92);
    EXPECT_EQ(static_cast<bool>(fits), c.fits);
    if (!c.fits) {
      EXPECT_NE(fits.Log().find("at most 4 GB"), std::string::npos);
    }
  }
}

}  // namespace
