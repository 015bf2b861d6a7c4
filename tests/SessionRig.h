#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "host/session/Session.h"
#include "headless/HeadlessDisplay.h"
#include "headless/ScriptedInput.h"

// A console in a session on the headless host (files, scripted keys), with a
// scratch folder for cartridge and battery files. Images are built page by
// page: each page is filled with its own number, so a read shows which page
// a slot maps.
class SessionRig : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("tavrin-machine-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    session = std::make_unique<Session>();
    {
      LogCapture quiet;
      ::testing::internal::CaptureStdout();
      session->Startup(HostParts{&display, &input});
      ::testing::internal::GetCapturedStdout();
    }
    machine = &session->console;
  }

  void TearDown() override {
    if (session) {
      ::testing::internal::CaptureStdout();
      session->Shutdown();
      ::testing::internal::GetCapturedStdout();
    }
    std::error_code ignored;
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(folder, ignored);
  }

  static std::vector<std::uint8_t> Pages(int count, int header = 0) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(header) + count * Console::kPageSize, 0xEE);
    for (int page = 0; page < count; ++page) {
      std::fill_n(bytes.begin() + header + page * Console::kPageSize, Console::kPageSize,
                  static_cast<std::uint8_t>(page));
    }
    return bytes;
  }

  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::path path = folder / std::filesystem::u8path(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  std::vector<std::uint8_t> Read(const std::string& name) const {
    std::ifstream in(folder / std::filesystem::u8path(name), std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  // Loads an image and resets, as the load command does.
  bool Load(const std::string& path) { return session->LoadAndReset(path.c_str()); }

  // A program at address 0 on page 0 of a two-page image, loaded and reset.
  void LoadProgram(const std::vector<std::uint8_t>& program, std::uint16_t handlerAt = 0,
                   const std::vector<std::uint8_t>& handler = {}) {
    std::vector<std::uint8_t> image(2 * Console::kPageSize, 0x00);
    std::copy(program.begin(), program.end(), image.begin());
    std::copy(handler.begin(), handler.end(), image.begin() + handlerAt);
    ASSERT_TRUE(Load(Write("program.sms", image)));
  }

  void RunFrames(int frames) {
    for (int frame = 0; frame < frames; ++frame) session->RunFrame();
  }

  std::filesystem::path folder;
  HeadlessDisplay display{32};
  ScriptedInput input{0};
  std::unique_ptr<Session> session;
  Console* machine = nullptr;
};
