#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "SyntheticConsoleStates.h"
#include "host/rewind/RewindHistory.h"

// Counts heap allocations, to show that pushing and popping in steady state
// allocate nothing.
static std::size_t allocations = 0;

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using State = std::vector<std::uint8_t>;

// A stream of states of `size` bytes. Each step rewrites `changes` random
// bytes (a mix of single bytes and runs); changes == size means a fresh
// random state, and 0 an unchanged one.
class RandomStates {
 public:
  RandomStates(std::size_t size, std::uint32_t seed) : random(seed), state(size) { Fill(); }
  const State& Next(std::size_t changes) {
    if (changes >= state.size()) {
      Fill();
      return state;
    }
    for (std::size_t i = 0; i < changes; ++i) {
      const std::size_t at = random() % state.size();
      const std::size_t run = (random() & 1) ? 1 + random() % 100 : 1;
      for (std::size_t j = at; j < at + run && j < state.size(); ++j) state[j] = static_cast<std::uint8_t>(random());
    }
    return state;
  }

 private:
  void Fill() {
    for (auto& b : state) b = static_cast<std::uint8_t>(random());
  }

  std::mt19937 random;
  State state;
};

// Pops everything and checks it is `pushed`, newest first, then that the
// history is empty.
void ExpectPopsNewestFirst(RewindHistory& history, const std::vector<State>& pushed) {
  State got;
  for (std::size_t i = pushed.size(); i-- > 0;) {
    ASSERT_TRUE(history.Pop(got)) << "state " << i;
    ASSERT_EQ(got, pushed[i]) << "state " << i;
  }
  EXPECT_FALSE(history.Pop(got));
  EXPECT_EQ(history.Count(), 0u);
  EXPECT_EQ(history.BytesUsed(), 0u);
}

TEST(RewindHistoryTest, PopsBackEveryPushedStateExactly) {
  struct Case {
    const char* name;
    std::size_t size;
    std::vector<std::size_t> changes;  // per push, cycled
  };
  const Case cases[] = {
      {"few changes, size not a multiple of the block", 64 * 50 + 13, {1, 3, 0, 8}},
      {"unchanged states", 1000, {0}},
      {"every state fresh", 777, {777}},
      {"mixed", 4096, {0, 2, 4096, 40, 1, 0, 300}},
      {"smaller than a block", 5, {1, 0, 5}},
      {"empty states", 0, {0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RewindHistory history(1 << 20);
    RandomStates states(c.size, 7);
    std::vector<State> pushed;
    for (int i = 0; i < 200; ++i) {
      pushed.push_back(states.Next(c.changes[i % c.changes.size()]));
      history.Push(pushed.back());
    }
    ASSERT_EQ(history.Count(), pushed.size());
    ExpectPopsNewestFirst(history, pushed);
  }

  // A game's states, pushed again after popping half of them.
  RewindHistory history(32u << 20);
  SyntheticConsoleStates game;
  std::vector<State> pushed;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 400; ++i) {
      const auto state = game.Next();
      pushed.emplace_back(state.begin(), state.end());
      history.Push(state);
    }
    State got;
    for (int i = 0; i < 200; ++i) {
      ASSERT_TRUE(history.Pop(got));
      ASSERT_EQ(got, pushed.back()) << "round " << round << " pop " << i;
      pushed.pop_back();
    }
  }
  ExpectPopsNewestFirst(history, pushed);
}

TEST(RewindHistoryTest, BudgetDropsTheOldestAndKeepsTheNewest) {
  struct Case {
    const char* name;
    std::size_t budget;
    std::size_t changes;
  };
  const Case cases[] = {
      {"small changes, ring wraps many times", 40 << 10, 4},
      {"fresh states, ring holds a few", 40 << 10, 4096},
      {"a record larger than the ring", 30 << 10, 4096},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RewindHistory history(c.budget);
    RandomStates states(4096, 3);
    std::vector<State> pushed;
    std::size_t mostKept = 0;
    for (int i = 0; i < 1000; ++i) {
      pushed.push_back(states.Next(i % 50 == 0 ? 4096 : c.changes));
      history.Push(pushed.back());
      ASSERT_LE(history.BytesUsed(), c.budget) << "push " << i;
      ASSERT_GE(history.Count(), 1u);
      mostKept = std::max(mostKept, history.Count());
    }
    EXPECT_LT(mostKept, pushed.size());  // eviction happened
    pushed.erase(pushed.begin(), pushed.end() - static_cast<std::ptrdiff_t>(history.Count()));
    ExpectPopsNewestFirst(history, pushed);
  }
}

TEST(RewindHistoryTest, SizeChangesAndBudgetLimitsClear) {
  struct Case {
    const char* name;
    std::size_t budget;
    std::vector<std::size_t> sizes;  // one push each
    std::size_t count;
  };
  const Case cases[] = {
      {"same size keeps all", 1 << 20, {100, 100, 100}, 3},
      {"new size starts over", 1 << 20, {100, 100, 100, 200, 200}, 2},
      {"back to the old size starts over", 1 << 20, {100, 200, 100}, 1},
      {"state larger than the budget is not kept", 20000, {100, 100, 5000}, 0},
      {"after a state too large, small ones are kept", 20000, {5000, 100, 100}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RewindHistory history(c.budget);
    std::vector<State> pushed;
    for (std::size_t i = 0; i < c.sizes.size(); ++i) {
      pushed.push_back(RandomStates(c.sizes[i], static_cast<std::uint32_t>(i)).Next(0));
      history.Push(pushed.back());
    }
    ASSERT_EQ(history.Count(), c.count);
    pushed.erase(pushed.begin(), pushed.end() - static_cast<std::ptrdiff_t>(c.count));
    ExpectPopsNewestFirst(history, pushed);
  }
}

TEST(RewindHistoryTest, EmptyHistoryPopsNothing) {
  RewindHistory history(1 << 20);
  State got{1, 2, 3};
  EXPECT_FALSE(history.Pop(got));
  history.Push(State(300, 9));
  history.Push(State(300, 8));
  history.Clear();
  EXPECT_FALSE(history.Pop(got));
  EXPECT_EQ(history.Count(), 0u);
  EXPECT_EQ(history.SecondsKept(60), 0.0);
  history.Push(State(300, 7));  // usable again after a clear
  ASSERT_TRUE(history.Pop(got));
  EXPECT_EQ(got, State(300, 7));
}

TEST(RewindHistoryTest, AGameKeepsAMinuteIn32Megabytes) {
  constexpr std::size_t kBudget = 32u << 20;
  constexpr std::size_t kMinute = 3596;  // 60 s at 59.92 frames a second
  RewindHistory history(kBudget);
  SyntheticConsoleStates game;
  for (std::size_t f = 0; f < kMinute; ++f) {
    if (f == 10) allocations = 0;
    history.Push(game.Next());
  }
  EXPECT_EQ(allocations, 0u) << "pushes after the first allocate";
  EXPECT_EQ(history.Count(), kMinute);
  EXPECT_LE(history.BytesUsed(), kBudget);
  State got;
  ASSERT_TRUE(history.Pop(got));
  EXPECT_TRUE(std::equal(got.begin(), got.end(), game.Current().begin(), game.Current().end()));
  allocations = 0;
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(history.Pop(got));
  EXPECT_EQ(allocations, 0u) << "pops into a sized vector allocate";
}

}  // namespace
