#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "FilesRig.h"
#include "LogCapture.h"
#include "host/files/BatteryFile.h"

namespace {

class BatteryFiles : public FilesRig {
 protected:
  std::vector<std::uint8_t> ram = Filled(BatteryFile::kRamSize, 0x5A);
};

TEST_F(BatteryFiles, NamesNeverNameTheImage) {
  Write("x.sms", Filled(16384, 0));
  std::filesystem::create_symlink(Path("x.sms"), Path("x.sav"));
  Write("h.sms", Filled(16384, 0));
  std::filesystem::create_hard_link(Path("h.sms"), Path("h.sav"));
  std::filesystem::create_directory(Path("saves.d"));
  const struct {
    std::string image;
    std::string battery;  // empty: refused
  } cases[] = {
      {Path("game.sms"), Path("game.sav")}, {Path("game.gg"), Path("game.gg.sav")},
      {Path("saves.d/game"), Path("saves.d/game.sav")}, {Path("game.sav"), ""},
      {Path("x.sms"), ""},  // x.sav is a link to the image
      {Path("h.sms"), ""},  // h.sav is a hard link to the image
      {Path("saves.d/../game.sav"), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.image);
    std::string battery;
    const Result found = BatteryPathFor(c.image, battery);
    const std::string& error = found.Log();
    EXPECT_EQ(static_cast<bool>(found), !c.battery.empty());
    EXPECT_EQ(battery, c.battery);
    if (c.battery.empty()) {
      EXPECT_NE(error.find("would be the image itself"), std::string::npos) << error;
    }
  }
}

TEST_F(BatteryFiles, AnySizeLoadsAndExtraBytesSurviveSaves) {
  for (std::size_t size : {std::size_t{0}, std::size_t{100}, BatteryFile::kRamSize, BatteryFile::kRamSize + 777}) {
    SCOPED_TRACE(size);
    std::vector<std::uint8_t> old(size);
    for (std::size_t i = 0; i < size; ++i) old[i] = static_cast<std::uint8_t>(i * 7);
    LogCapture log;
    BatteryFile battery(Write("game.sav", old));
    ASSERT_TRUE(battery.Load(ram.data()));
    for (std::size_t i = 0; i < BatteryFile::kRamSize; ++i) ASSERT_EQ(ram[i], i < size ? old[i] : 0xFF) << i;
    if (size != BatteryFile::kRamSize) {
      EXPECT_NE(log.text().find("User Ram file holds"), std::string::npos);
    }

    Reason error;
    ram.assign(BatteryFile::kRamSize, 0x11);
    ASSERT_EQ(battery.Save(ram.data(), error), BatteryFile::SaveResult::kSaved) << error.log;
    std::vector<std::uint8_t> expected(std::max(size, BatteryFile::kRamSize), 0x11);
    for (std::size_t i = BatteryFile::kRamSize; i < size; ++i) expected[i] = old[i];
    EXPECT_EQ(Read("game.sav"), expected);
    EXPECT_EQ(Entries(), 2u);  // the file and its lock: no temporary left
  }
}

TEST_F(BatteryFiles, SavesWriteThroughLinksAndNeverOverUnreadableFiles) {
  std::filesystem::create_directory(Path("real"));
  Write("real/game.sav", Filled(BatteryFile::kRamSize, 1));
  std::filesystem::create_symlink("real/game.sav", Path("game.sav"));
  Reason error;
  BatteryFile linked(Path("game.sav"));
  ASSERT_TRUE(linked.Load(ram.data()));
  ASSERT_EQ(linked.Save(ram.data(), error), BatteryFile::SaveResult::kSaved) << error.log;
  EXPECT_TRUE(std::filesystem::is_symlink(Path("game.sav")));
  EXPECT_EQ(Read("real/game.sav"), ram);

  std::filesystem::create_directory(Path("folder.sav"));  // exists, cannot be read
  LogCapture quiet;
  BatteryFile unreadable(Path("folder.sav"));
  EXPECT_FALSE(unreadable.Load(ram.data()));
  EXPECT_EQ(unreadable.Save(ram.data(), error), BatteryFile::SaveResult::kRefused);
  EXPECT_TRUE(std::filesystem::is_directory(Path("folder.sav")));
}

// Each failing step of a save leaves the old file whole, no temporary, and a
// reason naming the file.
TEST_F(BatteryFiles, AFailedWriteKeepsTheOldFile) {
  const struct {
    const char* name;
    void (*breakIt)(FileOps&);
    const char* reason;
  } cases[] = {
      {"disk full", [](FileOps& ops) { ops.write = [](int, const void*, std::size_t) -> ssize_t { errno = ENOSPC; return -1; }; }, "No space left"},
      {"short writes then full", [](FileOps& ops) { ops.write = [](int fd, const void* b, std::size_t n) -> ssize_t {
         static int calls = 0;
         if (++calls % 3 == 0) { errno = ENOSPC; return -1; }
         return ::write(fd, b, n < 4096 ? n : 4096); }; }, "No space left"},
      {"sync fails", [](FileOps& ops) { ops.sync = [](int) { errno = EIO; return -1; }; }, "Input/output error"},
      {"rename fails", [](FileOps& ops) { ops.rename = [](const char*, const char*) { errno = EROFS; return -1; }; }, "Read-only"},
      {"no new file", [](FileOps& ops) { ops.makeTemporary = [](char*) { errno = EACCES; return -1; }; }, "Permission denied"},
  };
  const std::vector<std::uint8_t> old = Filled(BatteryFile::kRamSize + 10, 0x33);
  LogCapture quiet;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FileOps broken = SystemFileOps();
    c.breakIt(broken);
    BatteryFile battery(Write("game.sav", old), broken);
    ASSERT_TRUE(battery.Load(ram.data()));
    Reason error;
    EXPECT_EQ(battery.Save(ram.data(), error), BatteryFile::SaveResult::kFailed);
    EXPECT_NE(error.log.find(Path("game.sav")), std::string::npos) << error.log;
    EXPECT_NE(error.log.find(c.reason), std::string::npos) << error.log;
    EXPECT_EQ(Read("game.sav"), old);
    EXPECT_EQ(Entries(), 2u);
  }
}

TEST_F(BatteryFiles, ASecondRunWarnsOnceAndDoesNotSave) {
  const std::vector<std::uint8_t> old = Filled(BatteryFile::kRamSize, 0x44);
  BatteryFile first(Write("game.sav", old));
  BatteryFile second(Path("game.sav"));
  ASSERT_TRUE(first.Load(ram.data()));
  LogCapture log;
  ASSERT_TRUE(second.Load(ram.data()));
  EXPECT_NE(log.text().find("in use by another run"), std::string::npos);
  EXPECT_TRUE(second.TakeHeldNotice());
  EXPECT_FALSE(second.TakeHeldNotice());
  Reason error;
  EXPECT_EQ(second.Save(Filled(BatteryFile::kRamSize, 0).data(), error), BatteryFile::SaveResult::kHeldByAnotherRun);
  EXPECT_EQ(Read("game.sav"), old);
  EXPECT_EQ(first.Save(ram.data(), error), BatteryFile::SaveResult::kSaved) << error.log;
}

// A child process saves in a folder it may not write (as nobody when the
// test runs as root, who may write anywhere): the save fails, the file stays.
TEST_F(BatteryFiles, AReadOnlyFolderKeepsTheOldFile) {
  const std::vector<std::uint8_t> old = Filled(BatteryFile::kRamSize, 0x55);
  Write("game.sav", old);
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                           std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                                           std::filesystem::perms::others_exec);
  std::filesystem::permissions(folder, std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
  pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(3);
    LogCapture quiet;
    BatteryFile battery(Path("game.sav"));
    Reason error;
    bool failed = battery.Load(ram.data()) && battery.Save(ram.data(), error) == BatteryFile::SaveResult::kFailed &&
                  error.log.find("Permission denied") != std::string::npos;
    ::_exit(failed ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(Read("game.sav"), old);
}

// kill -9 at random moments of a child that saves over and over: after each
// kill the file holds one save whole, the old or the new.
TEST_F(BatteryFiles, KilledDuringSavesTheFileIsAlwaysWhole) {
  const std::vector<std::uint8_t> extra = Filled(99, 0xEE);
  std::vector<std::uint8_t> first = Filled(BatteryFile::kRamSize + extra.size(), 0xA1);
  std::fill(first.begin() + BatteryFile::kRamSize, first.end(), 0xEE);
  Write("game.sav", first);
  std::mt19937 random(7);
  for (int round = 0; round < 30; ++round) {
    pid_t child = ::fork();
    if (child == 0) {
      LogCapture quiet;
      BatteryFile battery(Path("game.sav"));
      std::vector<std::uint8_t> mine(BatteryFile::kRamSize);
      battery.Load(mine.data());
      for (std::uint8_t value = 0;; ++value) {
        std::fill(mine.begin(), mine.end(), value);
        Reason error;
        battery.Save(mine.data(), error);
      }
    }
    ::usleep(1000 + random() % 20000);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    std::vector<std::uint8_t> now = Read("game.sav");
    ASSERT_EQ(now.size(), first.size()) << "round " << round;
    EXPECT_EQ(std::vector<std::uint8_t>(now.begin(), now.begin() + BatteryFile::kRamSize),
              Filled(BatteryFile::kRamSize, now[0])) << "round " << round;
    EXPECT_EQ(std::vector<std::uint8_t>(now.begin() + BatteryFile::kRamSize, now.end()), extra);
  }
}

}  // namespace
