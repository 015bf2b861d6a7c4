// Any bytes as a command line: split at NUL bytes into arguments and parsed
// as the program parses its own. Nothing may crash or throw out.
#include <cstdint>
#include <string>
#include <vector>

#include "host/session/RunOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> arguments{"tavrin"};
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      arguments.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  arguments.push_back(current);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  RunOptions options;
  int status = ParseCommandLine(static_cast<int>(arguments.size()), argv.data(), options);
  if (status < 0) {
    // Accepted: the numbers are in range and the holds answer for any frame.
    if (options.frames < 0 || options.frames > 100000000) __builtin_trap();
    for (int frame : {0, 1, options.frames}) options.input.KeysAt(frame);
  }
  return 0;
}
