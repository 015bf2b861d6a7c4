#include "host/files/ArchiveImage.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <memory>

#include "host/files/FileRead.h"
#include "host/files/ImageFile.h"

namespace {

// The compressed file itself is bounded too: a cartridge compresses, so an
// archive larger than this holds far more than one image.
constexpr std::uint64_t kArchiveMaxBytes = 64u << 20;

bool EndsWithNoCase(const std::string& text, const char* suffix) {
  const std::string tail(suffix);
  if (text.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    char c = text[text.size() - tail.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != tail[i]) return false;
  }
  return true;
}

bool IsImageName(const std::string& name) {
  return EndsWithNoCase(name, ".sms") || EndsWithNoCase(name, ".gg") || EndsWithNoCase(name, ".sg") ||
         EndsWithNoCase(name, ".sc");
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct ArchiveCloser {
  void operator()(archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveCloser>;

std::string Reason(archive* a) {
  const char* text = archive_error_string(a);
  return text ? text : "unreadable archive";
}

// Reads the current entry whole: at most kImageMaxBytes, whatever its header
// claims (a size can be missing or false).
bool ReadEntry(archive* a, const std::string& path, const std::string& name, std::vector<std::uint8_t>& bytes,
               std::string& error, std::uint64_t minimum) {
  bytes.clear();
  std::uint8_t block[65536];
  while (true) {
    const la_ssize_t got = archive_read_data(a, block, sizeof block);
    if (got == 0) break;
    if (got < 0) {
      error = "'" + path + "': " + name + ": " + Reason(a);
      bytes.clear();
      return false;
    }
    if (bytes.size() + static_cast<std::size_t>(got) > kImageMaxBytes) {
      error = "'" + path + "': " + name + " is larger than a cartridge (at most " + std::to_string(kImageMaxBytes) +
              " bytes with its header)";
      bytes.clear();
      return false;
    }
    bytes.insert(bytes.end(), block, block + got);
  }
  if (EndsWithNoCase(name, ".sg") || EndsWithNoCase(name, ".sc")) minimum = kOlderImageMinimum;
  if (bytes.size() < minimum) {
    error = "'" + path + "': " + name + " is too small (" + std::to_string(bytes.size()) +
            " bytes); a cartridge holds at least " +
            (minimum >= kImagePageSize ? "one " + std::to_string(kImagePageSize) + "-byte page" : std::string("a byte"));
    bytes.clear();
    return false;
  }
  return true;
}

}  // namespace

bool IsArchivePath(const std::string& path) {
  return EndsWithNoCase(path, ".zip") || EndsWithNoCase(path, ".7z") || EndsWithNoCase(path, ".gz");
}

bool ReadArchiveImage(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& entryName,
                      std::string& error, std::uint64_t minimum) {
  bytes.clear();
  entryName.clear();
  // The archive is read whole through the same checks as an image (regular
  // file, bounded), so a pipe or a device is never handed to libarchive.
  std::vector<std::uint8_t> file;
  const FileRead read = ReadRegularFile(path, kArchiveMaxBytes, file);
  if (read.error == EFBIG) {
    error = "'" + path + "': archive too large (" + std::to_string(read.size) + " bytes)";
    return false;
  }
  if (read.error != 0) {
    error = read.reason;
    return false;
  }

  const bool gzip = EndsWithNoCase(path, ".gz");
  ArchivePtr a(archive_read_new());
  if (!a) {
    error = "'" + path + "': cannot start reading the archive";
    return false;
  }
  if (gzip) {
    // One compressed stream and nothing else: a tar inside is not opened.
    archive_read_support_filter_gzip(a.get());
    archive_read_support_format_raw(a.get());
  } else {
    // Only the archive formats themselves, no compression filters on the
    // outside: game.zip is a zip file, not a compressed file of another kind.
    archive_read_support_format_zip(a.get());
    archive_read_support_format_7zip(a.get());
  }
  if (archive_read_open_memory(a.get(), file.data(), file.size()) != ARCHIVE_OK) {
    error = "'" + path + "': " + Reason(a.get());
    return false;
  }

  archive_entry* entry = nullptr;
  while (true) {
    const int status = archive_read_next_header(a.get(), &entry);
    if (status == ARCHIVE_EOF) break;
    if (status < ARCHIVE_WARN) {
      error = "'" + path + "': " + Reason(a.get());
      return false;
    }
    std::string name;
    if (gzip) {
      // Without the filter the raw reader hands over any file as it is.
      if (archive_filter_code(a.get(), 0) != ARCHIVE_FILTER_GZIP) {
        error = "'" + path + "': not a gzip file";
        return false;
      }
      name = BaseName(path.substr(0, path.size() - 3));
      if (!IsImageName(name)) break;
    } else {
      const char* entryPath = archive_entry_pathname(entry);
      if (!entryPath || archive_entry_filetype(entry) != AE_IFREG) continue;
      name = BaseName(entryPath);
      if (!IsImageName(name)) continue;
      // A size in the header larger than a cartridge is refused unread.
      if (archive_entry_size_is_set(entry) &&
          static_cast<std::uint64_t>(archive_entry_size(entry)) > kImageMaxBytes) {
        error = "'" + path + "': " + name + " is larger than a cartridge (" +
                std::to_string(archive_entry_size(entry)) + " bytes; at most " + std::to_string(kImageMaxBytes) +
                " with its header)";
        return false;
      }
    }
    if (!ReadEntry(a.get(), path, name, bytes, error, minimum)) return false;
    entryName = name;
    return true;
  }
  error = "'" + path + "': no .sms, .gg, .sg or .sc image inside";
  return false;
}
