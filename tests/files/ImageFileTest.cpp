#include <sys/stat.h>

#include "FilesRig.h"
#include "host/files/ImageFile.h"

namespace {

class ImageFiles : public FilesRig {};

TEST_F(ImageFiles, OnlyRegularFilesOfCartridgeSizeAreRead) {
  Write("ok.sms", Filled(2 * 16384 + 512, 1));  // two pages behind a copier's header
  Write("small.sms", Filled(16383, 1));
  Write("large.sms", Filled(256 * 16384 + 16384, 1));
  std::filesystem::create_directory(Path("folder.sms"));
  ::mkfifo(Path("pipe.sms").c_str(), 0644);
  std::filesystem::create_symlink("/dev/zero", Path("zero.sms"));
  struct Case {
    std::string path;
    const char* message;  // empty: read
  };
  const Case cases[] = {
      {Path("ok.sms"), ""},
      {Path("absent.sms"), "No such file"},
      {Path("small.sms"), "too small (16383 bytes)"},
      {Path("large.sms"), "more than 256 pages (4210688 bytes)"},
      {Path("folder.sms"), "is a folder"},
      {Path("pipe.sms"), "is a pipe"},
      {Path("zero.sms"), "is a device"},
      {Path(std::string(4100, 'x')), "longer than the system's limit"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.substr(0, 80));
    std::vector<std::uint8_t> bytes;
    const Result result = ReadImageFile(c.path, bytes);
    const bool read = static_cast<bool>(result);
    const std::string& error = result.Log();
    EXPECT_EQ(read, *c.message == '\0') << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(bytes.size(), read ? 2u * 16384 + 512 : 0u);
  }
}

}  // namespace
