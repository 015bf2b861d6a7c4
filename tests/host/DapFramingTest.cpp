#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/dap/DapFraming.h"

namespace {

// The bytes arrive in the given pieces; what comes out is the bodies, in
// order, then whether the stream broke.
TEST(DapFraming, MessagesComeWholeWhateverThePieces) {
  struct Case {
    const char* name;
    std::vector<std::string> pieces;
    std::vector<std::string> bodies;
    bool broken;
  };
  const std::string huge = "Content-Length: " + std::to_string(DapReader::kMaxBody + 1) + "\r\n\r\n";
  const Case cases[] = {
      {"one message", {"Content-Length: 2\r\n\r\n{}"}, {"{}"}, false},
      {"two in one piece", {"Content-Length: 2\r\n\r\n{}Content-Length: 3\r\n\r\n[1]"}, {"{}", "[1]"}, false},
      {"byte by byte", {"C", "ontent-Length:", " 2\r", "\n", "\r\n", "{", "}"}, {"{}"}, false},
      {"body not yet whole", {"Content-Length: 5\r\n\r\n{}"}, {}, false},
      {"other headers, any case", {"content-type: x\r\nCONTENT-LENGTH:2\r\n\r\n{}"}, {"{}"}, false},
      {"bare line feeds", {"Content-Length: 2\n\n{}"}, {"{}"}, false},
      {"empty body", {"Content-Length: 0\r\n\r\n"}, {""}, false},
      {"no length", {"Content-Type: x\r\n\r\n{}"}, {}, true},
      {"length not a number", {"Content-Length: 1x\r\n\r\n{}"}, {}, true},
      {"negative length", {"Content-Length: -1\r\n\r\n"}, {}, true},
      {"length past the cap", {huge}, {}, true},
      {"line without a colon", {"garbage\r\n\r\n"}, {}, true},
      {"endless header", {std::string(DapReader::kMaxHeader + 1, 'x')}, {}, true},
      {"good then bad", {"Content-Length: 2\r\n\r\n{}", "nonsense\r\n\r\n"}, {"{}"}, true},
  };
  for (const Case& c : cases) {
    DapReader reader;
    std::vector<std::string> bodies;
    bool broken = false;
    for (const std::string& piece : c.pieces) {
      reader.Feed(piece);
      std::string body;
      std::string error;
      DapReader::Result result;
      while ((result = reader.Next(body, error)) == DapReader::Result::kMessage) bodies.push_back(body);
      if (result == DapReader::Result::kError) {
        broken = true;
        EXPECT_FALSE(error.empty()) << c.name;
        EXPECT_EQ(reader.Next(body, error), DapReader::Result::kError) << c.name << ": an error sticks";
      }
    }
    EXPECT_EQ(bodies, c.bodies) << c.name;
    EXPECT_EQ(broken, c.broken) << c.name;
  }
  EXPECT_EQ(FrameMessage("{}"), "Content-Length: 2\r\n\r\n{}");
}

}  // namespace
