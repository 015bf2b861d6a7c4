#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "DapTestClient.h"

namespace {

using dap_test::Client;
using dap_test::Connect;
using dap_test::Json;
using dap_test::kPatience;
using Clock = std::chrono::steady_clock;

// The line of the C test program that holds a marker comment.
int LineOf(const char* marker) {
  std::ifstream in(CART_C_PROBE_SOURCE);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.find(marker) != std::string::npos) return number;
  }
  return 0;
}

// Everything that comes until the peer closes (or the patience runs out).
std::string ReadToEnd(int fd) {
  std::string text;
  const auto deadline = Clock::now() + kPatience;
  char buffer[4096];
  while (Clock::now() < deadline) {
    pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  return text;
}

// The headless runner with its debug server, standard error read for the
// port it listens on.
struct Child {
  pid_t pid = -1;
  int port = 0;
  std::filesystem::path out;
};

Child Start(const std::filesystem::path& image) {
  Child run;
  run.out = image.parent_path() / "run.out";
  int errors[2];
  if (pipe(errors) != 0) return run;
  run.pid = fork();
  if (run.pid == 0) {
    dup2(errors[1], 2);
    const FILE* out = std::freopen(run.out.c_str(), "w", stdout);
    (void)out;
    execl(TAVRIN_EXECUTABLE, TAVRIN_EXECUTABLE, "--headless", "--frames", "3000", "--debug-server", "0",
          image.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(errors[1]);
  std::string text;
  const auto deadline = Clock::now() + kPatience;
  while (run.port == 0 && Clock::now() < deadline) {
    pollfd p = {errors[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char buffer[512];
    const ssize_t got = read(errors[0], buffer, sizeof buffer);
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
    const std::size_t at = text.find("127.0.0.1:");
    if (at != std::string::npos && text.find(',', at) != std::string::npos) run.port = std::stoi(text.substr(at + 10));
  }
  close(errors[0]);
  return run;
}

int Wait(const Child& run) {
  const auto deadline = Clock::now() + kPatience;
  int raw = 0;
  while (Clock::now() < deadline) {
    if (waitpid(run.pid, &raw, WNOHANG) == run.pid) return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(run.pid, SIGKILL);
  waitpid(run.pid, &raw, 0);
  return -2;
}

// The C test program and its debug files, in a folder of their own.
std::filesystem::path CopyProgram(const std::string& name) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tavrin-dap-" + std::to_string(::getpid()) + "-" + name);
  std::filesystem::create_directories(folder);
  for (const char* extension : {".sms", ".cdb", ".noi", ".map"}) {
    std::filesystem::copy_file(std::filesystem::path(CART_C_PROBE).replace_extension(extension),
                               (folder / "c_probe").replace_extension(extension),
                               std::filesystem::copy_options::overwrite_existing);
  }
  return folder;
}

// A client that stays to the end hears the program's exit status.
TEST(DapServer, TheClientHearsTheRunEnd) {
  const std::filesystem::path folder = CopyProgram("end");
  const Child run = Start(folder / "c_probe.sms");
  ASSERT_GT(run.port, 0);
  Client client(run.port);
  client.Request("initialize");
  client.Request("launch");
  client.Request("configurationDone");
  EXPECT_EQ(client.Event("exited")["body"]["exitCode"], 5);
  EXPECT_FALSE(client.Event("terminated").is_null());
  EXPECT_EQ(Wait(run), 5);
  EXPECT_EQ(client.output, "hello from C\ndone\n");
  std::filesystem::remove_all(folder);
}

// An editor's session on the C test program, over a real socket: a
// breakpoint on a C line, steps by line, into and out of a function,
// variables and memory, a second client refused, a broken one dropped, and
// the program running on to its end once the client has gone.
TEST(DapServer, DebugsTheCProgramFromAnEditor) {
  const std::filesystem::path folder = CopyProgram("session");
  const int loopLine = LineOf("the loop's first line");
  const int addLine = LineOf("first line of add");
  ASSERT_GT(loopLine, 0);
  const Child run = Start(folder / "c_probe.sms");
  ASSERT_GT(run.port, 0);

  {
    // A client that breaks the framing is dropped, and the run still waits.
    const int broken = Connect(run.port);
    const std::string junk = "Content-Length: 999999999\r\n\r\n";
    send(broken, junk.data(), junk.size(), MSG_NOSIGNAL);
    EXPECT_EQ(ReadToEnd(broken), "");
    close(broken);
  }

  Client client(run.port);
  ASSERT_TRUE(client.Connected());
  EXPECT_TRUE(client.Request("initialize", {{"adapterID", "tavrin"}})["body"]["supportsDisassembleRequest"]);
  client.Event("initialized");
  EXPECT_TRUE(client.Request("attach", {{"sourceRoot", std::filesystem::path(CART_C_PROBE_SOURCE).parent_path()},
                                        {"stopOnEntry", true}})["success"]);
  const Json set = client.Request("setBreakpoints", {{"source", {{"path", CART_C_PROBE_SOURCE}}},
                                                     {"breakpoints", {{{"line", loopLine}}, {{"line", 1000}}}}});
  EXPECT_EQ(set["body"]["breakpoints"][0]["verified"], true);
  EXPECT_EQ(set["body"]["breakpoints"][0]["line"], loopLine);
  EXPECT_EQ(set["body"]["breakpoints"][1]["verified"], false) << "past the end";
  {
    // One client at a time: a second hears why and is closed.
    const int second = Connect(run.port);
    EXPECT_NE(ReadToEnd(second).find("another debugger is already attached"), std::string::npos);
    close(second);
  }
  EXPECT_FALSE(client.Request("frobnicate")["success"]);
  client.Request("configurationDone");
  EXPECT_EQ(client.Event("stopped")["body"]["reason"], "entry");
  EXPECT_EQ(client.Evaluate("pc"), "0x0000");
  client.Request("continue", {{"threadId", 1}});

  EXPECT_EQ(client.Event("stopped")["body"]["reason"], "breakpoint");
  const Json frame = client.Request("stackTrace", {{"threadId", 1}})["body"]["stackFrames"][0];
  EXPECT_EQ(frame["name"], "main");
  EXPECT_EQ(frame["line"], loopLine);
  EXPECT_EQ(frame["source"]["path"], CART_C_PROBE_SOURCE);
  EXPECT_EQ(client.Evaluate("counter"), "0");
  EXPECT_EQ(client.Evaluate("x"), "5");

  client.Request("next", {{"threadId", 1}});
  EXPECT_EQ(client.Event("stopped")["body"]["reason"], "step");
  EXPECT_EQ(client.Where(), std::make_pair(std::string("main"), loopLine + 1));
  EXPECT_EQ(client.Evaluate("x"), "6");

  client.Request("continue", {{"threadId", 1}});
  EXPECT_EQ(client.Event("stopped")["body"]["reason"], "breakpoint");
  EXPECT_EQ(client.Evaluate("counter"), "1");
  client.Request("stepIn", {{"threadId", 1}});
  EXPECT_EQ(client.Event("stopped")["body"]["reason"], "step");
  EXPECT_EQ(client.Where(), std::make_pair(std::string("add"), addLine));
  EXPECT_EQ(client.Evaluate("a"), "6");
  client.Request("stepOut", {{"threadId", 1}});
  EXPECT_EQ(client.Event("stopped")["body"]["reason"], "step");
  EXPECT_EQ(client.Where().first, "main");

  // Registers, memory and code as the editor's views ask for them.
  const Json counter = client.Request("evaluate", {{"expression", "counter"}});
  const std::string address = counter["body"].value("memoryReference", "");
  EXPECT_EQ(address, "0xC000");
  EXPECT_TRUE(client.Request("writeMemory", {{"memoryReference", address}, {"data", "KgA="}})["success"]);
  EXPECT_EQ(client.Request("readMemory", {{"memoryReference", address}, {"count", 2}})["body"]["data"], "KgA=");
  EXPECT_EQ(client.Evaluate("counter"), "42");
  EXPECT_EQ(client.Evaluate("[0xC000]"), "0x2A");
  EXPECT_NE(client.Evaluate("(HL)"), "error");
  EXPECT_NE(client.Evaluate("pc"), "error");
  EXPECT_EQ(client.Evaluate("nonsense"), "error");
  const Json scopes = client.Request("scopes", {{"frameId", 1}})["body"]["scopes"];
  ASSERT_GE(scopes.size(), 2u);
  EXPECT_EQ(client.Request("variables", {{"variablesReference", scopes[0]["variablesReference"]}})["body"]["variables"][7]["name"], "PC");
  const Json code = client.Request("disassemble", {{"memoryReference", "0x0100"}, {"instructionOffset", -2},
                                                   {"instructionCount", 6}})["body"]["instructions"];
  ASSERT_EQ(code.size(), 6u);
  EXPECT_EQ(code[2]["address"], "0x0100");

  // Breakpoints on functions and instructions land on the function's first
  // line; with the line's breakpoint gone, the next continue stops there.
  const Json function = client.Request("setFunctionBreakpoints", {{"breakpoints", {{{"name", "add"}}, {{"name", "nowhere"}}}}});
  EXPECT_EQ(function["body"]["breakpoints"][0]["line"], addLine);
  EXPECT_EQ(function["body"]["breakpoints"][1]["verified"], false);
  const std::string addAt = function["body"]["breakpoints"][0]["instructionReference"];
  EXPECT_TRUE(client.Request("setInstructionBreakpoints", {{"breakpoints", {{{"instructionReference", addAt}}}}})
                  ["body"]["breakpoints"][0]["verified"]);
  client.Request("setBreakpoints", {{"source", {{"path", CART_C_PROBE_SOURCE}}}, {"breakpoints", Json::array()}});
  client.Request("continue", {{"threadId", 1}});
  EXPECT_EQ(client.Event("stopped")["body"]["reason"], "breakpoint");
  EXPECT_EQ(client.Evaluate("pc"), addAt);
  EXPECT_EQ(client.Where(), std::make_pair(std::string("add"), addLine));

  // Gone: the breakpoints go, the program runs to its end.
  client.Request("disconnect", {{"terminateDebuggee", false}});
  EXPECT_EQ(Wait(run), 5);
  std::ifstream in(run.out);
  const std::string printed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(printed.find("hello from C\ndone\n"), std::string::npos) << printed;
  EXPECT_NE(client.output.find("hello from C"), std::string::npos) << client.output;
  std::filesystem::remove_all(folder);
}

}  // namespace
