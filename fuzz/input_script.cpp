// Any bytes as --hold and --aim values, one per line: each is accepted or
// refused with a message, and the script then answers for any frame.
#include <cstdint>
#include <string>

#include "host/input/InputScript.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputScript script;
  std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (const Result added = script.Add(line); !added && added.Log().empty()) __builtin_trap();
    if (const Result added = script.AddAim(line); !added && added.Log().empty()) __builtin_trap();
    start = end + 1;
  }
  for (int frame : {0, 1, 2, 100, 2147483647}) {
    script.KeysAt(frame);
    script.PointerAt(0, frame);
    script.PointerAt(1, frame);
  }
  return 0;
}
