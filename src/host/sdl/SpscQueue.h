#pragma once

#include <atomic>
#include <cstddef>

// A fixed-size queue between exactly one producer thread and one consumer
// thread. Neither side ever blocks or takes a lock: the producer owns `tail`,
// the consumer owns `head`, and each only reads the other's index. One slot
// is kept empty to tell a full queue from an empty one.
template <typename T, std::size_t Capacity>
class SpscQueue {
  static_assert(Capacity >= 2, "a queue needs room for one item and the gap");

 public:
  // Producer side. False when the queue is full (the item is not stored).
  bool Push(const T& item) {
    const std::size_t tailNow = tail.load(std::memory_order_relaxed);
    const std::size_t next = (tailNow + 1) % Capacity;
    if (next == head.load(std::memory_order_acquire)) return false;
    slots[tailNow] = item;
    tail.store(next, std::memory_order_release);
    return true;
  }

  // Consumer side. False when nothing is waiting.
  bool Pop(T& item) {
    const std::size_t headNow = head.load(std::memory_order_relaxed);
    if (headNow == tail.load(std::memory_order_acquire)) return false;
    item = slots[headNow];
    head.store((headNow + 1) % Capacity, std::memory_order_release);
    return true;
  }

  // Either side: whether nothing is waiting at this moment.
  bool Empty() const {
    return head.load(std::memory_order_acquire) == tail.load(std::memory_order_acquire);
  }

  static constexpr std::size_t Size() { return Capacity - 1; }

 private:
  T slots[Capacity] = {};
  alignas(64) std::atomic<std::size_t> head{0};
  alignas(64) std::atomic<std::size_t> tail{0};
};
