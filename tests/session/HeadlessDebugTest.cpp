#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Outcome {
  int status;
  std::string output;  // standard output
};

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Outcome RunTavrin(const std::string& arguments) {
  const std::filesystem::path out =
      std::filesystem::temp_directory_path() / ("tavrin-debug-" + std::to_string(::getpid()) + ".out");
  const std::string command =
      std::string("'") + TAVRIN_EXECUTABLE + "' --headless " + arguments + " >'" + out.string() + "' 2>/dev/null";
  const int raw = std::system(command.c_str());
  std::string text = ReadText(out);
  std::filesystem::remove(out);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text};
}

// A copy of a test cartridge and its symbol table in a folder of its own.
std::string Scratch(const char* image) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tavrin-debug-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path from(image);
  for (const char* extension : {".sms", ".sym"}) {
    std::filesystem::copy_file(std::filesystem::path(from).replace_extension(extension),
                               (folder / from.filename()).replace_extension(extension),
                               std::filesystem::copy_options::overwrite_existing);
  }
  return (folder / from.filename()).string();
}

// What a CI job sees: the program's own lines on standard output, its exit
// status, a stop at a label named in the symbol file beside the image.
TEST(HeadlessDebug, ProgramsReportToTheirJob) {
  struct Case {
    const char* name;
    const char* image;
    std::string arguments;
    int status;
    const char* output;  // a line the output holds
  };
  const std::string exitImage = Scratch(CART_SDSC_EXIT);
  const std::string probeImage = Scratch(CART_DEBUG_PROBE);
  const Case cases[] = {
      {"printed line and exit status", CART_SDSC_EXIT, "--frames 600 '" + exitImage + "'", 7, "answer=42\n"},
      {"break by label, exit", CART_SDSC_EXIT, "--frames 600 --break Report --on-break exit '" + exitImage + "'", 3,
       "stopped: breakpoint at Report\n"},
      {"break dumps and runs on", CART_SDSC_EXIT, "--frames 600 --break Report '" + exitImage + "'", 7,
       "> 0073 Report: ld a,$40\n"},
      {"break by page and address", CART_DEBUG_PROBE, "--frames 2 --break 0:9Ah --on-break exit '" + probeImage + "'",
       3, "stopped: breakpoint at Work\n"},
      {"unknown label", CART_DEBUG_PROBE, "--frames 2 --break Nowhere '" + probeImage + "'", 2, ""},
  };
  for (const Case& c : cases) {
    const Outcome outcome = RunTavrin(c.arguments);
    EXPECT_EQ(outcome.status, c.status) << c.name;
    EXPECT_NE(outcome.output.find(c.output), std::string::npos) << c.name << ":\n" << outcome.output;
    // The input part's start-up and shutdown lines go to the log.
    EXPECT_EQ(outcome.output.find("JoyStick"), std::string::npos) << c.name << ":\n" << outcome.output;
  }

  // The trace: one line per instruction, labels included.
  const std::filesystem::path trace = std::filesystem::path(probeImage).replace_extension(".trace");
  ASSERT_EQ(RunTavrin("--frames 1 --trace '" + trace.string() + "' '" + probeImage + "'").status, 0);
  const std::string lines = ReadText(trace);
  EXPECT_NE(lines.find("\n0068 Main: ld a,$20 "), std::string::npos) << lines.substr(0, 400);
  EXPECT_NE(lines.find("cycle=22 "), std::string::npos);
  std::filesystem::remove_all(std::filesystem::path(probeImage).parent_path());
}

}  // namespace
