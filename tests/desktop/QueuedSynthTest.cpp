#include <gtest/gtest.h>

#include <array>
#include <thread>

#include "host/sdl/QueuedSynth.h"
#include "host/sdl/SpscQueue.h"

namespace {

std::int64_t fakeNow = 0;
std::int64_t FakeClock() { return fakeNow; }

std::array<std::uint8_t, 256> FillOnce(QueuedSynth& synth, std::int64_t aheadNs = 0) {
  std::array<std::uint8_t, 256> samples{};
  synth.Fill(samples, aheadNs);
  return samples;
}

TEST(QueuedSynth, ChangesAreHeardFromTheNextFillInTheOrderWritten) {
  struct Change {
    int channel, frequency, volume;
  };
  struct Case {
    const char* name;
    std::vector<Change> changes;
    std::int32_t freq0, volume0, freq3, volume3;
  };
  const Case cases[] = {
      {"nothing written", {}, 0, 0, 0, 0},
      {"one tone", {{0, 440, 240}}, 440, 240, 0, 0},
      {"later change to a channel wins", {{0, 440, 240}, {0, 880, 100}}, 880, 100, 0, 0},
      {"channels kept apart", {{0, 440, 240}, {3, 1000, 60}}, 440, 240, 1000, 60},
      {"above half the rate is silenced", {{0, 13982, 240}}, 0, 240, 0, 0},
      {"a channel past 3 is ignored", {{4, 500, 200}}, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QueuedSynth synth(22050, FakeClock);
    for (const Change& change : c.changes) synth.ChannelUpdate(change.channel, change.frequency, change.volume);
    // Nothing is applied before the audio side fills.
    EXPECT_EQ(synth.Synth().chanFreq[0], 0);
    FillOnce(synth);
    EXPECT_EQ(synth.Synth().chanFreq[0], c.freq0);
    EXPECT_EQ(synth.Synth().chanVolume[0], c.volume0);
    EXPECT_EQ(synth.Synth().chanFreq[3], c.freq3);
    EXPECT_EQ(synth.Synth().chanVolume[3], c.volume3);
  }
}

TEST(QueuedSynth, SilenceIs128AndAToneSwings) {
  QueuedSynth synth(22050, FakeClock);
  auto silent = FillOnce(synth);
  for (std::uint8_t s : silent) ASSERT_EQ(s, 128);
  synth.ChannelUpdate(0, 1000, 240);
  auto tone = FillOnce(synth);
  int high = 0, low = 0;
  for (std::uint8_t s : tone) {
    high += s == 157;
    low += s == 99;
  }
  EXPECT_GT(high, 50);
  EXPECT_GT(low, 50);
}

TEST(QueuedSynth, AFullQueueKeepsEachChannelsLatestStateForLater) {
  QueuedSynth synth(22050, FakeClock);
  const int fill = static_cast<int>(QueuedSynth::kQueueSlots - 1);
  for (int i = 0; i < fill; ++i) synth.ChannelUpdate(1, 100 + i, 10);
  // The queue is full now: these are held, the last per channel.
  synth.ChannelUpdate(0, 300, 50);
  synth.ChannelUpdate(0, 400, 60);
  synth.ChannelUpdate(2, 500, 70);
  EXPECT_EQ(synth.Delay().queueFull, 2);  // the third replaced a held state
  FillOnce(synth);
  EXPECT_EQ(synth.Synth().chanFreq[1], 100 + fill - 1);
  EXPECT_EQ(synth.Synth().chanFreq[0], 0) << "held back until the next write";
  // The next write sends the held states first, then itself.
  synth.ChannelUpdate(3, 600, 80);
  FillOnce(synth);
  EXPECT_EQ(synth.Synth().chanFreq[0], 400);
  EXPECT_EQ(synth.Synth().chanVolume[0], 60);
  EXPECT_EQ(synth.Synth().chanFreq[2], 500);
  EXPECT_EQ(synth.Synth().chanFreq[3], 600);
}

TEST(QueuedSynth, DelayIsTheWaitInTheQueuePlusTheAudioAhead) {
  struct Case {
    const char* name;
    std::vector<std::int64_t> postedAt;
    std::int64_t filledAt, aheadNs;
    double meanMs, maxMs;
  };
  const Case cases[] = {
      {"none", {}, 0, 0, 0, 0},
      {"one change", {1000000}, 6000000, 11609977, 16.609977, 16.609977},
      {"two changes", {0, 10000000}, 10000000, 0, 5.0, 10.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QueuedSynth synth(22050, FakeClock);
    for (std::int64_t at : c.postedAt) {
      fakeNow = at;
      synth.ChannelUpdate(0, 440, 100);
    }
    fakeNow = c.filledAt;
    FillOnce(synth, c.aheadNs);
    const QueuedSynth::DelayFigures figures = synth.Delay();
    EXPECT_EQ(figures.changes, static_cast<std::int64_t>(c.postedAt.size()));
    EXPECT_NEAR(figures.meanMs, c.meanMs, 1e-6);
    EXPECT_NEAR(figures.maxMs, c.maxMs, 1e-6);
  }
}

TEST(SpscQueue, CarriesEveryItemInOrderBetweenTwoThreads) {
  SpscQueue<std::uint32_t, 64> queue;
  constexpr std::uint32_t kItems = 200000;
  std::thread producer([&] {
    for (std::uint32_t i = 0; i < kItems;) {
      if (queue.Push(i)) {
        ++i;
      } else {
        std::this_thread::yield();
      }
    }
  });
  std::uint32_t expected = 0;
  bool inOrder = true;
  while (expected < kItems) {
    std::uint32_t item;
    if (!queue.Pop(item)) {
      std::this_thread::yield();
      continue;
    }
    inOrder = inOrder && item == expected;
    ++expected;
  }
  producer.join();
  EXPECT_TRUE(inOrder);
  EXPECT_TRUE(queue.Empty());
}

TEST(SpscQueue, HoldsOneLessThanItsSlots) {
  SpscQueue<int, 4> queue;
  EXPECT_EQ(queue.Size(), 3u);
  int item = 0;
  EXPECT_FALSE(queue.Pop(item));
  EXPECT_TRUE(queue.Push(1));
  EXPECT_TRUE(queue.Push(2));
  EXPECT_TRUE(queue.Push(3));
  EXPECT_FALSE(queue.Push(4));
  ASSERT_TRUE(queue.Pop(item));
  EXPECT_EQ(item, 1);
  EXPECT_TRUE(queue.Push(4));  // wraps round
  for (int want : {2, 3, 4}) {
    ASSERT_TRUE(queue.Pop(item));
    EXPECT_EQ(item, want);
  }
  EXPECT_TRUE(queue.Empty());
}

}  // namespace
