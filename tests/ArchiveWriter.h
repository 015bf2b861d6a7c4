#pragma once

#include <archive.h>
#include <archive_entry.h>

#include <cstdint>
#include <string>
#include <vector>

// Archives made in memory with libarchive's writer, so the tests need no
// archiving tool.
struct ArchiveEntry {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

enum class ArchiveKind { kZip, kSevenZip, kGzip };

inline std::vector<std::uint8_t> MakeArchive(ArchiveKind kind, const std::vector<ArchiveEntry>& entries) {
  archive* a = archive_write_new();
  switch (kind) {
    case ArchiveKind::kZip: archive_write_set_format_zip(a); break;
    case ArchiveKind::kSevenZip: archive_write_set_format_7zip(a); break;
    case ArchiveKind::kGzip:
      archive_write_set_format_raw(a);
      archive_write_add_filter_gzip(a);
      break;
  }
  std::vector<std::uint8_t> out(64u << 20);
  std::size_t used = 0;
  archive_write_set_bytes_in_last_block(a, 1);
  archive_write_open_memory(a, out.data(), out.size(), &used);
  for (const ArchiveEntry& e : entries) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, e.name.c_str());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, static_cast<la_int64_t>(e.bytes.size()));
    archive_write_header(a, entry);
    archive_write_data(a, e.bytes.data(), e.bytes.size());
    archive_entry_free(entry);
  }
  archive_write_close(a);
  archive_write_free(a);
  out.resize(used);
  return out;
}
