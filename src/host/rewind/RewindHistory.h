#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "console/SaveState.h"

union LZ4_stream_u;

// The rewind history: the host saves the console's state every frame and
// pushes it here; holding the rewind key pops the states back, newest first.
//
// The newest state is kept in full. Every older state is kept as a record of
// how it differs from the state pushed after it: the state is cut into 64-byte
// blocks of eight 8-byte words; for each block that changed the record holds
// its index, a mask of the words that changed and those words XORed with
// their newer contents (so the bytes that did not change become zeros); a
// record of 1 KB or more is compressed with LZ4. Popping (decompresses and)
// XORs the newest record back into the full state, which gives the exact
// bytes of the state before it.
//
// Records live one after another in a ring of bytes allocated once, so a push
// in steady state neither allocates nor copies more than the changed blocks;
// when the ring is full the oldest records are dropped. Everything the
// history allocates (the full state, working buffers and the ring) stays
// within the budget given at construction.
class RewindHistory {
 public:
  static constexpr std::size_t kBlockSize = 64;

  explicit RewindHistory(std::size_t budgetBytes);
  ~RewindHistory();
  RewindHistory(const RewindHistory&) = delete;
  RewindHistory& operator=(const RewindHistory&) = delete;

  // Adds a state as the newest. A state of another size than the ones held
  // (another cartridge) clears the history first. A state too large for the
  // budget is not kept and leaves the history empty.
  void Push(std::span<const std::uint8_t> state);
  // The same, for a state known to equal the last one pushed outside the
  // `changed` ranges (RefreshState): only those blocks are compared.
  void Push(std::span<const std::uint8_t> state, const StateRanges& changed);
  // Writes the newest state into `state` and removes it; false when empty.
  bool Pop(std::vector<std::uint8_t>& state);

  // States that Pop can still return, the newest included.
  std::size_t Count() const { return records + (hasNewest ? 1 : 0); }
  // Bytes holding states: the newest in full plus the records in the ring.
  std::size_t BytesUsed() const;
  // How long the history lasts when states were pushed `fps` times a second.
  double SecondsKept(double fps) const;
  // Forgets every state; the buffers are kept for the next push.
  void Clear();

 private:
  // Allocates the buffers for states of `size` bytes within the budget.
  void Prepare(std::size_t size);
  // Builds the difference between `newest` and `state` into `delta`, copies
  // the changed blocks into `newest`; returns the delta's size, 0 when equal.
  std::size_t Diff(const std::uint8_t* state, const StateRanges* changed);
  // Diffs blocks [first, last) into `out`; true when one differed.
  bool DiffBlocks(const std::uint8_t* state, std::size_t first, std::size_t last, std::uint8_t*& out);
  // Diffs the block `index` against its new bytes `now` (a whole block).
  bool DiffBlock(const std::uint8_t* now, std::size_t index, std::uint8_t*& out);
  void Add(std::span<const std::uint8_t> state, const StateRanges* changed);
  // Stores a record holding `bytes` of payload (compressed when `lz4`),
  // dropping the oldest records as needed; false when even an empty ring
  // cannot hold it.
  bool Store(const std::uint8_t* payload, std::size_t bytes, bool lz4);
  std::uint8_t* Reserve(std::size_t recordBytes);
  void DropOldest();
  // Undoes the newest record on `newest`; false if the record is damaged.
  bool ApplyNewestRecord();

  std::size_t budget;
  bool prepared = false;  // the buffers are sized for stateSize
  bool fits = false;      // states of stateSize fit in the budget
  std::size_t stateSize = 0;
  std::size_t blockCount = 0;
  bool hasNewest = false;
  std::vector<std::uint8_t> newest;  // whole blocks: zeros past the state's end
  std::vector<std::uint8_t> delta;   // the changed blocks' indices, masks and XORed words
  std::vector<std::uint8_t> packed;  // the delta compressed
  std::unique_ptr<LZ4_stream_u, void (*)(LZ4_stream_u*)> stream;

  // The ring: records of [u32 size][u8 compressed][payload][u32 size], never
  // split. Without wrap they fill [tail, head); after a wrap they fill
  // [tail, wrapEnd) and then [0, head).
  struct FreeRing {
    void operator()(std::uint8_t* bytes) const;
  };
  std::unique_ptr<std::uint8_t[], FreeRing> ring;
  std::size_t ringCapacity = 0;
  std::size_t head = 0;
  std::size_t tail = 0;
  std::size_t wrapEnd = 0;
  bool wrapped = false;
  std::size_t records = 0;
  std::size_t ringUsed = 0;
};
