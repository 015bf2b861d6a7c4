#include "host/files/ArchiveImage.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "host/files/FileRead.h"
#include "host/files/ImageFile.h"
#include "host/i18n/Translate.h"

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

// libarchive's words in the log; ours shown, since libarchive speaks only
// English: its "Unrecognized archive format", else a damaged archive.
Reason ArchiveReason(archive* a) {
  const char* text = archive_error_string(a);
  if (!text) return {"unreadable archive", Tr("archive illisible")};
  if (std::strcmp(text, "Unrecognized archive format") == 0) return {text, Tr("Format d'archive non reconnu")};
  if (archive_errno(a) == ENOMEM) return {text, Tr("pas assez de mémoire pour lire l'archive")};
  return {text, Tr("archive endommagée ou illisible")};
}

// "name: why", "name is why" about an entry of the archive.
Reason AboutEntry(const std::string& name, const Reason& why) {
  return {name + ": " + why.log, Format(Tr("%s : %s"), name.c_str(), why.shown.c_str())};
}

Reason LargerThanACartridge(const std::string& name, const std::string& size) {
  const auto most = static_cast<unsigned long long>(kImageMaxBytes);
  if (size.empty()) {
    return {name + " is larger than a cartridge (at most " + std::to_string(kImageMaxBytes) +
                " bytes with its header)",
            Format(Tr("%s est plus grand qu'une cartouche (au plus %llu octets avec son en-tête)"), name.c_str(),
                   most)};
  }
  return {name + " is larger than a cartridge (" + size + " bytes; at most " + std::to_string(kImageMaxBytes) +
              " with its header)",
          Format(Tr("%s est plus grand qu'une cartouche (%s octets ; au plus %llu avec son en-tête)"), name.c_str(),
                 size.c_str(), most)};
}

// Reads the current entry whole: at most kImageMaxBytes, whatever its header
// claims (a size can be missing or false).
Result ReadEntry(archive* a, const std::string& path, const std::string& name, std::vector<std::uint8_t>& bytes,
                 std::uint64_t minimum) {
  bytes.clear();
  std::uint8_t block[65536];
  while (true) {
    const la_ssize_t got = archive_read_data(a, block, sizeof block);
    if (got == 0) break;
    if (got < 0) {
      bytes.clear();
      return AboutPath(path, AboutEntry(name, ArchiveReason(a)));
    }
    if (bytes.size() + static_cast<std::size_t>(got) > kImageMaxBytes) {
      bytes.clear();
      return AboutPath(path, LargerThanACartridge(name, ""));
    }
    bytes.insert(bytes.end(), block, block + got);
  }
  if (EndsWithNoCase(name, ".sg") || EndsWithNoCase(name, ".sc")) minimum = kOlderImageMinimum;
  if (bytes.size() < minimum) {
    const Reason small = TooSmall(bytes.size(), minimum);
    bytes.clear();
    return AboutPath(path, {name + " is " + small.log, Format(Tr("%s est %s"), name.c_str(), small.shown.c_str())});
  }
  return {};
}

// Reads the archive whole through the same checks as an image (regular
// file, bounded), so a pipe or a device is never handed to libarchive.
Result ReadArchiveFile(const std::string& path, std::vector<std::uint8_t>& file) {
  const FileRead read = ReadRegularFile(path, kArchiveMaxBytes, file);
  if (read.error == EFBIG) {
    return AboutPath(path, {"archive too large (" + std::to_string(read.size) + " bytes)",
                            Format(Tr("archive trop grande (%llu octets)"),
                                   static_cast<unsigned long long>(read.size))});
  }
  if (read.error != 0) return read.reason;
  return {};
}

// Opens the bytes of the archive for reading; null with the reason in
// `failure` when they cannot be.
ArchivePtr OpenArchive(const std::string& path, const std::vector<std::uint8_t>& file, bool gzip, Result& failure) {
  ArchivePtr a(archive_read_new());
  if (!a) {
    failure = AboutPath(path, {"cannot start reading the archive", Tr("impossible de commencer à lire l'archive")});
    return nullptr;
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
    failure = AboutPath(path, ArchiveReason(a.get()));
    return nullptr;
  }
  return a;
}

// What to do with the entry just read: skip it, stop looking, read it as the
// image, or fail (with the reason in `failure`).
enum class EntryChoice { kSkip, kStop, kRead, kFail };

EntryChoice ChooseEntry(archive* a, archive_entry* entry, const std::string& path, bool gzip, std::string& name,
                        Result& failure) {
  if (gzip) {
    // Without the filter the raw reader hands over any file as it is.
    if (archive_filter_code(a, 0) != ARCHIVE_FILTER_GZIP) {
      failure = AboutPath(path, {"not a gzip file", Tr("pas un fichier gzip")});
      return EntryChoice::kFail;
    }
    name = BaseName(path.substr(0, path.size() - 3));
    return IsImageName(name) ? EntryChoice::kRead : EntryChoice::kStop;
  }
  const char* entryPath = archive_entry_pathname(entry);
  if (!entryPath || archive_entry_filetype(entry) != AE_IFREG) return EntryChoice::kSkip;
  name = BaseName(entryPath);
  if (!IsImageName(name)) return EntryChoice::kSkip;
  // A size in the header larger than a cartridge is refused unread.
  if (archive_entry_size_is_set(entry) && static_cast<std::uint64_t>(archive_entry_size(entry)) > kImageMaxBytes) {
    failure = AboutPath(path, LargerThanACartridge(name, std::to_string(archive_entry_size(entry))));
    return EntryChoice::kFail;
  }
  return EntryChoice::kRead;
}

}  // namespace

bool IsArchivePath(const std::string& path) {
  return EndsWithNoCase(path, ".zip") || EndsWithNoCase(path, ".7z") || EndsWithNoCase(path, ".gz");
}

Result ReadArchiveImage(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& entryName,
                        std::uint64_t minimum) {
  bytes.clear();
  entryName.clear();
  std::vector<std::uint8_t> file;
  if (Result read = ReadArchiveFile(path, file); !read) return read;
  const bool gzip = EndsWithNoCase(path, ".gz");
  Result failure;
  ArchivePtr a = OpenArchive(path, file, gzip, failure);
  if (!a) return failure;

  archive_entry* entry = nullptr;
  while (true) {
    const int status = archive_read_next_header(a.get(), &entry);
    if (status == ARCHIVE_EOF) break;
    if (status < ARCHIVE_WARN) return AboutPath(path, ArchiveReason(a.get()));
    std::string name;
    const EntryChoice choice = ChooseEntry(a.get(), entry, path, gzip, name, failure);
    if (choice == EntryChoice::kFail) return failure;
    if (choice == EntryChoice::kStop) break;
    if (choice == EntryChoice::kSkip) continue;
    Result read = ReadEntry(a.get(), path, name, bytes, minimum);
    if (read) entryName = name;
    return read;
  }
  return AboutPath(path, {"no .sms, .gg, .sg or .sc image inside", Tr("aucune image .sms, .gg, .sg ou .sc dedans")});
}
