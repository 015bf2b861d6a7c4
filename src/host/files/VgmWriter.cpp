#include "host/files/VgmWriter.h"

#include <cstring>

#include "host/i18n/Translate.h"

namespace {

// The format counts offsets in 32 bits.
constexpr std::uint64_t kMaxFileBytes = 0xFFFFFFFFull;
constexpr std::uint32_t kVersion = 0x171;
constexpr std::uint8_t kPsgWrite = 0x50;
constexpr std::uint8_t kFmWrite = 0x51;
constexpr std::uint8_t kWait = 0x61;        // then 16 bits of samples
constexpr std::uint8_t kWaitFrame = 0x62;   // 735 samples, a 60 Hz frame
constexpr std::uint8_t kWaitPalFrame = 0x63;  // 882 samples, a 50 Hz frame
constexpr std::uint8_t kWaitShort = 0x70;   // + n: n + 1 samples, 1-16
constexpr std::uint8_t kEnd = 0x66;

void Put32(std::uint8_t* at, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) at[k] = static_cast<std::uint8_t>(value >> (8 * k));
}

// UTF-8 to UTF-16 little-endian, ending in a 0 unit; a byte that starts no
// valid sequence becomes U+FFFD.
void AppendUtf16(std::vector<std::uint8_t>& out, const std::string& text) {
  auto unit = [&out](std::uint32_t u) {
    out.push_back(static_cast<std::uint8_t>(u));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  };
  std::size_t i = 0;
  while (i < text.size()) {
    const std::uint8_t lead = static_cast<std::uint8_t>(text[i]);
    const int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    std::uint32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    bool valid = length > 0 && i + length <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      const std::uint8_t next = static_cast<std::uint8_t>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = code << 6 | (next & 0x3F);
    }
    static constexpr std::uint32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (!valid || code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
      unit(0xFFFD);
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      unit(0xD800 + ((code - 0x10000) >> 10));
      unit(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      unit(code);
    }
    i += length;
  }
  unit(0);
}

Reason NoneOpen() { return {"no VGM file is open", Tr("aucun fichier VGM n'est ouvert")}; }

}  // namespace

Result VgmWriter::Open(const std::string& path, std::uint32_t clockHz) {
  clock = clockHz;
  cycles = 0;
  samples = 0;
  dataBytes = 0;
  fmUsed = false;
  pending.clear();
  if (Result opened = file.Open(path); !opened) return opened;
  const std::uint8_t header[kHeaderBytes] = {};
  return file.Write(header, sizeof header);  // filled in by Finish
}

void VgmWriter::WaitUntil(std::uint64_t sample) {
  while (samples < sample) {
    const std::uint64_t left = sample - samples;
    std::uint64_t step;
    if (left == 735) {
      pending.push_back(kWaitFrame);
      step = 735;
    } else if (left == 882) {
      pending.push_back(kWaitPalFrame);
      step = 882;
    } else if (left <= 16) {
      pending.push_back(static_cast<std::uint8_t>(kWaitShort + left - 1));
      step = left;
    } else {
      step = left < 0xFFFF ? left : 0xFFFF;
      pending.push_back(kWait);
      pending.push_back(static_cast<std::uint8_t>(step));
      pending.push_back(static_cast<std::uint8_t>(step >> 8));
    }
    samples += step;
  }
}

Result VgmWriter::AppendFrame(const Console::SoundWrite* writes, int count, std::uint32_t frameCycles) {
  if (!file.IsOpen()) {
    return NoneOpen();
  }
  for (int k = 0; k < count; ++k) {
    const Console::SoundWrite& w = writes[k];
    WaitUntil((cycles + w.cycle) * kSampleRate / clock);
    if (w.chip == 0) {
      pending.push_back(kPsgWrite);
      pending.push_back(w.value);
    } else {
      pending.push_back(kFmWrite);
      pending.push_back(w.reg);
      pending.push_back(w.value);
      fmUsed = true;
    }
  }
  cycles += frameCycles;
  WaitUntil(cycles * kSampleRate / clock);
  return Flush();
}

Result VgmWriter::Flush() {
  // Room is kept for the end mark and a GD3 tag of a few kilobytes.
  if (kHeaderBytes + dataBytes + pending.size() + 0x10000 > kMaxFileBytes) {
    Result full = CannotWrite(file.Target(), {"a VGM file holds at most 4 GB", Tr("un fichier VGM tient au plus 4 Go")});
    Abort();
    return full;
  }
  if (!pending.empty()) {
    if (Result written = file.Write(pending.data(), pending.size()); !written) return written;
  }
  dataBytes += pending.size();
  pending.clear();
  return {};
}

Result VgmWriter::Finish(const std::string& title) {
  if (!file.IsOpen()) {
    return NoneOpen();
  }
  pending.push_back(kEnd);
  if (Result flushed = Flush(); !flushed) return flushed;
  const std::uint64_t gd3At = kHeaderBytes + dataBytes;

  // GD3: track, game, system and author in English and Japanese, date,
  // who made the file, notes.
  std::vector<std::uint8_t> strings;
  const std::string fields[11] = {title, "", title, "", "Sega Master System", "", "", "", "", "Tavrin", ""};
  for (const std::string& field : fields) AppendUtf16(strings, field);
  std::vector<std::uint8_t> gd3(12);
  std::memcpy(gd3.data(), "Gd3 ", 4);
  Put32(gd3.data() + 4, 0x100);
  Put32(gd3.data() + 8, static_cast<std::uint32_t>(strings.size()));
  gd3.insert(gd3.end(), strings.begin(), strings.end());
  if (Result written = file.Write(gd3.data(), gd3.size()); !written) return written;
  const std::uint64_t end = gd3At + gd3.size();

  std::uint8_t header[kHeaderBytes] = {};
  std::memcpy(header, "Vgm ", 4);
  Put32(header + 0x04, static_cast<std::uint32_t>(end - 0x04));
  Put32(header + 0x08, kVersion);
  Put32(header + 0x0C, clock);                 // SN76489 (the PSG)
  Put32(header + 0x10, fmUsed ? clock : 0);    // YM2413
  Put32(header + 0x14, static_cast<std::uint32_t>(gd3At - 0x14));
  Put32(header + 0x18, static_cast<std::uint32_t>(samples));
  Put32(header + 0x24, 60);                    // frames a second, NTSC
  header[0x28] = 0x09;                         // noise feedback: bits 0 and 3, as Sega's chip taps them
  header[0x2A] = 16;                           // shift register width
  Put32(header + 0x34, kHeaderBytes - 0x34);   // data start, from this field
  if (Result written = file.WriteAt(0, header, sizeof header); !written) return written;
  return file.Commit();
}

void VgmWriter::Abort() {
  file.Abort();
  pending.clear();
}
