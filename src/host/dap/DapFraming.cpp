#include "host/dap/DapFraming.h"

#include <cctype>

namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// The value of a Content-Length header: decimal digits, at most kMaxBody.
// False with the reason in `failed` otherwise.
bool ReadContentLength(std::string_view value, std::size_t& length, std::string& failed) {
  if (value.empty() || value.size() > 8) {
    failed = "a Content-Length that is not a number or is too large";
    return false;
  }
  length = 0;
  for (char c : value) {
    if (c < '0' || c > '9') {
      failed = "a Content-Length that is not a number";
      return false;
    }
    length = length * 10 + static_cast<std::size_t>(c - '0');
  }
  if (length > DapReader::kMaxBody) {
    failed = "a message longer than " + std::to_string(DapReader::kMaxBody) + " bytes";
    return false;
  }
  return true;
}

}  // namespace

DapReader::Result DapReader::Next(std::string& body, std::string& error) {
  if (!failed.empty()) {
    error = failed;
    return Result::kError;
  }
  const std::string_view unread = std::string_view(buffer).substr(start);
  // The header block: lines up to an empty one (CR LF as the protocol says,
  // a bare LF taken too).
  std::size_t at = 0;
  std::size_t length = 0;
  bool haveLength = false;
  for (;;) {
    const std::size_t end = unread.find('\n', at);
    if (end == std::string_view::npos) {
      if (unread.size() > kMaxHeader) failed = "a header line is too long";
      break;
    }
    if (end > kMaxHeader) {
      failed = "the header is too long";
      break;
    }
    const std::string_view line = Trim(unread.substr(at, end - at));
    at = end + 1;
    if (line.empty()) {
      if (!haveLength) {
        failed = "a message without Content-Length";
        break;
      }
      return TakeBody(at, length, body);
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      failed = "a header line without a colon";
      break;
    }
    if (!SameName(Trim(line.substr(0, colon)), "Content-Length")) continue;
    if (!ReadContentLength(Trim(line.substr(colon + 1)), length, failed)) break;
    haveLength = true;
  }
  if (failed.empty()) return Result::kNeedMore;
  buffer.clear();
  start = 0;
  error = failed;
  return Result::kError;
}

DapReader::Result DapReader::TakeBody(std::size_t at, std::size_t length, std::string& body) {
  const std::string_view unread = std::string_view(buffer).substr(start);
  if (unread.size() - at < length) return Result::kNeedMore;
  body.assign(unread.substr(at, length));
  start += at + length;
  // Drop what has been read once it is most of the buffer.
  if (start > 65536 || start == buffer.size()) {
    buffer.erase(0, start);
    start = 0;
  }
  return Result::kMessage;
}

std::string FrameMessage(std::string_view body) {
  std::string text = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  text.append(body);
  return text;
}
