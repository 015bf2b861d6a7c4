#pragma once

// The one way host operations that can fail say so: a Result, success or a
// failure with its Reason.

#include <string>
#include <utility>

// Why an operation failed, in two forms: `log` in the log's English (log
// lines and command-line messages read the same under every locale) and
// `shown` in the player's language (message boxes and on-screen notes).
struct Reason {
  std::string log;
  std::string shown;

  bool Empty() const { return log.empty() && shown.empty(); }
};

// A reason in the log's English alone, shown as it is: for the command line's
// own failures, which no window ever shows.
inline Reason LogReason(const std::string& line) { return Reason{line, line}; }

// A reason about a file: "'path': why" in the log, "« path » : why" shown.
Reason AboutPath(const std::string& path, const Reason& why);

// A system error number (errno): the C library's English words in the log,
// the locale's shown (SystemError.h).
Reason SystemReason(int error);

// What an operation that can fail came to. Tests as true on success.
class [[nodiscard]] Result {
 public:
  Result() = default;
  // A failure.
  Result(Reason why) : failed(true), why(std::move(why)) {}  // NOLINT(google-explicit-constructor)

  explicit operator bool() const { return !failed; }
  const Reason& Why() const { return why; }
  const std::string& Log() const { return why.log; }
  const std::string& Shown() const { return why.shown; }

 private:
  bool failed = false;
  Reason why;
};
