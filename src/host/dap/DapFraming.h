#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The Debug Adapter Protocol's framing: each message is a header block of
// `Name: value` lines ended by an empty line, of which only Content-Length
// counts, then that many bytes of JSON. The reader takes bytes in whatever
// pieces the socket hands them and gives back whole bodies; anything it
// cannot frame (a header line too long, no length, a length past the cap) is
// an error after which the stream cannot be trusted and the client is dropped.
class DapReader {
 public:
  static constexpr std::size_t kMaxBody = 1 << 20;
  static constexpr std::size_t kMaxHeader = 4096;

  enum class Result { kNeedMore, kMessage, kError };

  void Feed(std::string_view bytes) { buffer.append(bytes); }
  // The next whole body, if there is one. After kError the reader stays in
  // error; `error` says why.
  Result Next(std::string& body, std::string& error);
  std::size_t Buffered() const { return buffer.size(); }

 private:
  // The body of `length` bytes that starts `at` bytes into the unread ones,
  // if all of it has come.
  Result TakeBody(std::size_t at, std::size_t length, std::string& body);

  std::string buffer;
  std::size_t start = 0;  // where the unread bytes begin
  std::string failed;
};

// One message's body with its header.
std::string FrameMessage(std::string_view body);
