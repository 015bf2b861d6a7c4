#include "ArchiveWriter.h"
#include "FilesRig.h"
#include "host/files/ArchiveImage.h"
#include "host/files/ImageFile.h"

namespace {

class ArchiveImages : public FilesRig {};

TEST_F(ArchiveImages, TheFirstImageEntryIsReadAndAnythingElseIsAClearError) {
  const std::vector<std::uint8_t> image = Filled(2 * 16384, 0x42);
  const std::vector<std::uint8_t> other = Filled(2 * 16384, 0x17);
  const std::vector<std::uint8_t> inner = MakeArchive(ArchiveKind::kZip, {{"inner.sms", image}});
  const std::vector<std::uint8_t> good = MakeArchive(ArchiveKind::kZip, {{"game.sms", image}});
  const std::vector<std::uint8_t> cut(good.begin(), good.begin() + 44);  // inside the compressed data
  struct Case {
    const char* file;
    std::vector<std::uint8_t> bytes;
    const char* entry;    // empty: refused
    const char* message;  // part of the reason when refused
  };
  const Case cases[] = {
      {"game.zip", MakeArchive(ArchiveKind::kZip, {{"readme.txt", other}, {"dir/Game.SMS", image}, {"b.sms", other}}),
       "Game.SMS", ""},
      {"pocket.7z", MakeArchive(ArchiveKind::kSevenZip, {{"pocket.gg", image}}), "pocket.gg", ""},
      {"pocket.gg.gz", MakeArchive(ArchiveKind::kGzip, {{"x", image}}), "pocket.gg", ""},
      {"GAME.SMS.GZ", MakeArchive(ArchiveKind::kGzip, {{"x", image}}), "GAME.SMS", ""},
      {"empty.zip", MakeArchive(ArchiveKind::kZip, {}), "", "no .sms, .gg, .sg or .sc image inside"},
      {"nested.zip", MakeArchive(ArchiveKind::kZip, {{"inner.zip", inner}}), "", "no .sms, .gg, .sg or .sc image inside"},
      {"notes.gz", MakeArchive(ArchiveKind::kGzip, {{"x", image}}), "", "no .sms, .gg, .sg or .sc image inside"},
      {"large.zip", MakeArchive(ArchiveKind::kZip, {{"large.sms", Filled(kImageMaxBytes + 1, 0)}}), "",
       "larger than a cartridge"},
      {"large.sms.gz", MakeArchive(ArchiveKind::kGzip, {{"x", Filled(kImageMaxBytes + 1, 0)}}), "",
       "larger than a cartridge"},
      {"small.7z", MakeArchive(ArchiveKind::kSevenZip, {{"small.sms", Filled(100, 1)}}), "", "too small"},
      {"plain.sms.gz", image, "", "not a gzip file"},
      {"cut.zip", cut, "", "'"},
      {"noise.7z", Filled(5000, 0x33), "", "'"},
      {"absent.zip", {}, "", "No such file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    if (std::string(c.file) != "absent.zip") Write(c.file, c.bytes);
    ASSERT_TRUE(IsArchivePath(Path(c.file)));
    std::vector<std::uint8_t> bytes;
    std::string entry;
    const Result result = ReadArchiveImage(Path(c.file), bytes, entry);
    const bool read = static_cast<bool>(result);
    const std::string& error = result.Log();
    EXPECT_EQ(read, *c.entry != '\0') << error;
    EXPECT_EQ(entry, c.entry);
    if (read) {
      EXPECT_EQ(bytes, image);
    } else {
      EXPECT_TRUE(bytes.empty());
      EXPECT_NE(error.find(c.message), std::string::npos) << error;
      EXPECT_NE(error.find(Path(c.file)), std::string::npos) << error;
    }
  }
  EXPECT_FALSE(IsArchivePath("game.sms"));
  EXPECT_FALSE(IsArchivePath("zip"));
}

}  // namespace
