#include "host/rewind/RewindHistory.h"

#include <lz4.h>
#include <sys/mman.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kBlockSize = RewindHistory::kBlockSize;
constexpr std::size_t kWordsPerBlock = kBlockSize / 8;
constexpr std::size_t kGroupBlocks = 4;
// A changed block in a record: its index (u32), the mask of its words that
// changed (u8), then those words XORed.
constexpr std::size_t kBlockHeader = 5;
constexpr std::size_t kMostBlockBytes = kBlockHeader + kBlockSize;
// LZ4's speed/size trade-off. On records of changed words 8 packs in well
// under the time 1 takes for records a fifth larger, and the budget holds
// minutes either way: the push cost is what matters.
constexpr int kAcceleration = 8;
// Each record: its size (u32), whether LZ4 packed it (u8), the payload, its
// size again.
constexpr std::size_t kRecordHeader = 5;
constexpr std::size_t kRecordFraming = kRecordHeader + 4;
// Records of fewer bytes are kept as they are: a frame's few hundred bytes of
// changed words shrink by a few per cent in LZ4, not worth its time; a frame
// that rewrites the tiles shrinks by more.
constexpr std::size_t kPackFrom = 1024;

std::uint64_t Load64(const std::uint8_t* at) {
  std::uint64_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void Store64(std::uint8_t* at, std::uint64_t value) { std::memcpy(at, &value, sizeof value); }

std::uint32_t Load32(const std::uint8_t* at) {
  std::uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void Store32(std::uint8_t* at, std::uint32_t value) { std::memcpy(at, &value, sizeof value); }

void FreeStream(LZ4_stream_u* stream) { LZ4_freeStream(stream); }

// The ring is touched a few hundred bytes a frame for its first minutes, a
// page fault every 4 KB; in 2 MB pages where the system lends them (it is
// asked, not forced) the first pass costs a fault every few thousand frames.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::uint8_t* AllocateRing(std::size_t bytes) {
  const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* memory = std::aligned_alloc(kHugePage, rounded);
#ifdef MADV_HUGEPAGE
  if (memory) madvise(memory, rounded, MADV_HUGEPAGE);
#endif
  return static_cast<std::uint8_t*>(memory);
}

}  // namespace

RewindHistory::RewindHistory(std::size_t budgetBytes) : budget(budgetBytes), stream(LZ4_createStream(), &FreeStream) {}

RewindHistory::~RewindHistory() = default;

void RewindHistory::FreeRing::operator()(std::uint8_t* bytes) const { std::free(bytes); }

void RewindHistory::Prepare(std::size_t size) {
  prepared = true;
  fits = false;
  stateSize = size;
  blockCount = (size + kBlockSize - 1) / kBlockSize;

  // Check the whole footprint before allocating anything, so an absurd state
  // size costs nothing.
  std::size_t packedBytes = 0;
  std::size_t overhead = budget + 1;
  if (stream && size <= budget && blockCount <= LZ4_MAX_INPUT_SIZE / kMostBlockBytes) {
    const std::size_t deltaBytes = blockCount * kMostBlockBytes;
    packedBytes = static_cast<std::size_t>(LZ4_compressBound(static_cast<int>(deltaBytes)));
    overhead = blockCount * kBlockSize + deltaBytes + packedBytes + static_cast<std::size_t>(LZ4_sizeofState());
  }
  if (overhead > budget || ringCapacity != budget - overhead) {
    ring.reset();
    ringCapacity = 0;
  }
  if (overhead > budget) {
    std::vector<std::uint8_t>().swap(newest);
    std::vector<std::uint8_t>().swap(delta);
    std::vector<std::uint8_t>().swap(packed);
    return;
  }
  newest.assign(blockCount * kBlockSize, 0);  // the last block's bytes past the state stay zero
  delta.resize(blockCount * kMostBlockBytes);
  packed.resize(packedBytes);
  newest.shrink_to_fit();  // a larger cartridge's buffers would not fit in the budget
  delta.shrink_to_fit();
  packed.shrink_to_fit();
  if (!ring) {
    ringCapacity = budget - overhead;
    // Left uninitialised: the pages are only touched as records reach them.
    ring.reset(AllocateRing(ringCapacity));
    if (!ring) {
      ringCapacity = 0;
      return;
    }
  }
  fits = true;
}

void RewindHistory::Clear() {
  hasNewest = false;
  records = 0;
  ringUsed = 0;
  head = tail = wrapEnd = 0;
  wrapped = false;
}

std::size_t RewindHistory::BytesUsed() const { return (hasNewest ? stateSize : 0) + ringUsed; }

double RewindHistory::SecondsKept(double fps) const {
  return fps > 0 ? static_cast<double>(Count()) / fps : 0.0;
}

void RewindHistory::Push(std::span<const std::uint8_t> state) { Add(state, nullptr); }

void RewindHistory::Push(std::span<const std::uint8_t> state, const StateRanges& changed) { Add(state, &changed); }

void RewindHistory::Add(std::span<const std::uint8_t> state, const StateRanges* changed) {
  if (!prepared || state.size() != stateSize) {
    Clear();
    Prepare(state.size());
  }
  if (!fits) return;
  if (!hasNewest) {
    if (stateSize) std::memcpy(newest.data(), state.data(), stateSize);
    hasNewest = true;
    return;
  }
  const std::size_t deltaBytes = Diff(state.data(), changed);  // 0, an empty record, when unchanged
  if (deltaBytes < kPackFrom) {
    Store(delta.data(), deltaBytes, false);
    return;
  }
  // A fast reset drops the previous delta as dictionary without clearing the
  // hash table, so every record decompresses on its own.
  LZ4_resetStream_fast(stream.get());
  const int payloadBytes = LZ4_compress_fast_continue(
      stream.get(), reinterpret_cast<const char*>(delta.data()), reinterpret_cast<char*>(packed.data()),
      static_cast<int>(deltaBytes), static_cast<int>(packed.size()), kAcceleration);
  if (payloadBytes <= 0) {  // cannot happen with a bound-sized output; keep only the newest if it does
    Clear();
    hasNewest = true;
    return;
  }
  Store(packed.data(), static_cast<std::size_t>(payloadBytes), true);
}

std::size_t RewindHistory::Diff(const std::uint8_t* state, const StateRanges* changed) {
  std::uint8_t* out = delta.data();
  bool differs = false;
  if (!changed) {
    differs = DiffBlocks(state, 0, blockCount, out);
  } else {
    std::size_t next = 0;  // blocks before this one were looked at already
    for (std::size_t r = 0; r < changed->count; ++r) {
      const std::size_t end = std::min<std::size_t>(changed->range[r].end, stateSize);
      if (changed->range[r].begin >= end) continue;
      const std::size_t first = std::max(next, changed->range[r].begin / kBlockSize);
      const std::size_t last = (end + kBlockSize - 1) / kBlockSize;
      if (first < last) differs = DiffBlocks(state, first, last, out) || differs;
      next = std::max(next, last);
    }
  }
  return differs ? static_cast<std::size_t>(out - delta.data()) : 0;
}

bool RewindHistory::DiffBlocks(const std::uint8_t* state, std::size_t first, std::size_t last, std::uint8_t*& out) {
  std::uint8_t* old = newest.data();
  bool changed = false;

  // Most of the state is equal: skip four blocks at a time with memcmp (the
  // C library's is vectorised for the machine it runs on), then look at each
  // block of a group that differs.
  const std::size_t fullBlocks = std::min(last, stateSize / kBlockSize);
  for (std::size_t group = first; group < fullBlocks; group += kGroupBlocks) {
    const std::size_t groupEnd = std::min(group + kGroupBlocks, fullBlocks);
    if (groupEnd - group == kGroupBlocks &&
        std::memcmp(old + group * kBlockSize, state + group * kBlockSize, kGroupBlocks * kBlockSize) == 0) {
      continue;
    }
    for (std::size_t b = group; b < groupEnd; ++b) changed = DiffBlock(state + b * kBlockSize, b, out) || changed;
  }
  // The last, shorter block, compared as a whole one padded with zeros like
  // its copy in `newest`.
  const std::size_t tail = stateSize / kBlockSize;
  const std::size_t rest = stateSize % kBlockSize;
  if (rest && last > tail) {
    std::uint8_t padded[kBlockSize] = {};
    std::memcpy(padded, state + tail * kBlockSize, rest);
    changed = DiffBlock(padded, tail, out) || changed;
  }
  return changed;
}

bool RewindHistory::DiffBlock(const std::uint8_t* now, std::size_t index, std::uint8_t*& out) {
  std::uint8_t* old = newest.data() + index * kBlockSize;
  std::uint8_t* word = out + kBlockHeader;
  unsigned mask = 0;
  std::uint64_t difference[kWordsPerBlock];
  std::uint64_t any = 0;
  for (std::size_t w = 0; w < kWordsPerBlock; ++w) {
    difference[w] = Load64(old + w * 8) ^ Load64(now + w * 8);
    any |= difference[w];
  }
  if (any == 0) return false;
  // Without branches: every word is stored, and the pointer only moves past
  // the ones that differ (a changed word's place in a block is unpredictable).
  for (std::size_t w = 0; w < kWordsPerBlock; ++w) {
    const unsigned differs = difference[w] != 0;
    Store64(word, difference[w]);
    word += 8 * differs;
    mask |= differs << w;
  }
  Store32(out, static_cast<std::uint32_t>(index));
  out[4] = static_cast<std::uint8_t>(mask);
  out = word;
  std::memcpy(old, now, kBlockSize);
  return true;
}

bool RewindHistory::Store(const std::uint8_t* payload, std::size_t bytes, bool lz4) {
  const std::size_t recordBytes = bytes + kRecordFraming;
  if (recordBytes > ringCapacity) {
    // Not even an empty ring holds it: the older states cannot be rebuilt
    // without it, so only the newest remains.
    records = 0;
    ringUsed = 0;
    head = tail = wrapEnd = 0;
    wrapped = false;
    return false;
  }
  std::uint8_t* at = Reserve(recordBytes);
  Store32(at, static_cast<std::uint32_t>(recordBytes));
  at[4] = lz4 ? 1 : 0;
  if (bytes) std::memcpy(at + kRecordHeader, payload, bytes);
  Store32(at + kRecordHeader + bytes, static_cast<std::uint32_t>(recordBytes));
  return true;
}

std::uint8_t* RewindHistory::Reserve(std::size_t recordBytes) {
  for (;;) {
    if (records == 0) {
      head = tail = wrapEnd = 0;
      wrapped = false;
    }
    if (!wrapped) {
      if (ringCapacity - head >= recordBytes) break;
      if (tail >= recordBytes) {  // room before the oldest record: wrap there
        wrapEnd = head;
        head = 0;
        wrapped = true;
        break;
      }
    } else if (tail - head >= recordBytes) {
      break;
    }
    DropOldest();
  }
  std::uint8_t* at = ring.get() + head;
  head += recordBytes;
  ringUsed += recordBytes;
  ++records;
  return at;
}

void RewindHistory::DropOldest() {
  const std::size_t recordBytes = Load32(ring.get() + tail);
  tail += recordBytes;
  ringUsed -= recordBytes;
  --records;
  if (wrapped && tail == wrapEnd) {
    tail = 0;
    wrapped = false;
  }
}

bool RewindHistory::Pop(std::vector<std::uint8_t>& state) {
  if (!hasNewest) return false;
  state.assign(newest.begin(), newest.begin() + static_cast<std::ptrdiff_t>(stateSize));
  if (records == 0) {
    hasNewest = false;
  } else if (!ApplyNewestRecord()) {
    Clear();  // a damaged record: the older states are lost, the one returned is intact
  }
  return true;
}

bool RewindHistory::ApplyNewestRecord() {
  const std::size_t recordBytes = Load32(ring.get() + head - 4);
  const std::size_t start = head - recordBytes;
  const std::size_t payloadBytes = recordBytes - kRecordFraming;
  head = start;
  ringUsed -= recordBytes;
  --records;
  if (wrapped && head == 0) {  // the newest remaining record ends where the ring wrapped
    head = wrapEnd;
    wrapped = false;
  }
  const std::uint8_t* in = ring.get() + start + kRecordHeader;
  const std::uint8_t* end = in + payloadBytes;
  if (ring[start + 4]) {
    const int got = LZ4_decompress_safe(reinterpret_cast<const char*>(in), reinterpret_cast<char*>(delta.data()),
                                        static_cast<int>(payloadBytes), static_cast<int>(delta.size()));
    if (got <= 0) return false;
    in = delta.data();
    end = delta.data() + got;
  }
  while (in != end) {
    if (static_cast<std::size_t>(end - in) < kBlockHeader) return false;
    const std::size_t index = Load32(in);
    const unsigned mask = in[4];
    in += kBlockHeader;
    if (index >= blockCount || static_cast<std::size_t>(end - in) < 8u * static_cast<unsigned>(std::popcount(mask))) {
      return false;
    }
    std::uint8_t* o = newest.data() + index * kBlockSize;
    for (std::size_t w = 0; w < kWordsPerBlock; ++w) {
      if (!((mask >> w) & 1)) continue;
      Store64(o + w * 8, Load64(o + w * 8) ^ Load64(in));
      in += 8;
    }
  }
  return true;
}
