#pragma once

// A debugging client as an editor would be, for the tests of the debug
// server: requests out over a real localhost socket, responses and events
// in, the program's debug-console text gathered from the output events.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/dap/DapFraming.h"

namespace dap_test {

using Json = nlohmann::json;
inline constexpr auto kPatience = std::chrono::seconds(30);

inline int Connect(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// A client as an editor would be: requests out, responses and events in.
class Client {
 public:
  explicit Client(int port) : fd(Connect(port)) {}
  ~Client() {
    if (fd >= 0) close(fd);
  }
  bool Connected() const { return fd >= 0; }

  Json Request(const std::string& command, Json arguments = Json::object()) {
    const int seq = next++;
    const std::string body =
        Json{{"seq", seq}, {"type", "request"}, {"command", command}, {"arguments", std::move(arguments)}}.dump();
    const std::string framed = FrameMessage(body);
    EXPECT_EQ(send(fd, framed.data(), framed.size(), MSG_NOSIGNAL), static_cast<ssize_t>(framed.size()));
    for (;;) {
      Json message = Read();
      if (message.is_null()) return message;
      if (message["type"] == "response" && message["request_seq"] == seq) return message;
      events.push_back(std::move(message));
    }
  }
  Json Event(const std::string& name) {
    for (;;) {
      for (auto it = events.begin(); it != events.end(); ++it) {
        if ((*it)["event"] == name) {
          Json found = *it;
          events.erase(it);
          return found;
        }
      }
      Json message = Read();
      if (message.is_null()) return message;
      events.push_back(std::move(message));
    }
  }
  // Where the console stands: function, line.
  std::pair<std::string, int> Where() {
    const Json frame = Request("stackTrace", {{"threadId", 1}})["body"]["stackFrames"][0];
    return {frame["name"].get<std::string>(), frame["line"].get<int>()};
  }
  std::string Evaluate(const std::string& expression) {
    const Json response = Request("evaluate", {{"expression", expression}});
    return response.value("success", false) ? response["body"]["result"].get<std::string>() : "error";
  }
  std::string output;  // the program's debug-console text

 private:
  Json Read() {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    std::string body;
    std::string error;
    while (std::chrono::steady_clock::now() < deadline) {
      if (reader.Next(body, error) == DapReader::Result::kMessage) {
        Json message = Json::parse(body);
        if (message["type"] == "event" && message["event"] == "output") {
          output += message["body"]["output"].get<std::string>();
        }
        return message;
      }
      pollfd p = {fd, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char buffer[4096];
      const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      reader.Feed(std::string_view(buffer, static_cast<std::size_t>(got)));
    }
    ADD_FAILURE() << "no message from the debug server";
    return nullptr;
  }
  int fd;
  int next = 1;
  DapReader reader;
  std::vector<Json> events;
};

}  // namespace dap_test
