// The clock's arithmetic: precision, derived figures and overrides, the shared counters
// block, the clock text, and the nesting of timing-critical sections.
#include "sampling/clock_math.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sampling/timing_nesting.h"

namespace {

TEST(ClockPrecision, FromFrequency) {
  struct Case {
    uint64_t frequency;
    int exponent;
    uint64_t ns;
  } cases[] = {
      {10000000, -23, 100},    // 100 ns per tick
      {3000000000ull, -23, 100},  // faster than 100 ns is raised to 100
      {3579545, -22, 279},     // ACPI PM timer
      {3333334, -22, 299},
      {2500000, -21, 400},
      {1000000, -20, 1000},
      {999999, -20, 1000},     // 1000.001 ns counts as 1000
      {999000, -17, 1001},
      {125000, -17, 8000},
      {124000, -10, 8064},
      {1000, -10, 1000000},    // the unusable counter's stand-in
      {0, -10, 0},
  };
  for (const Case& c : cases) {
    CounterPrecision p = PrecisionFromFrequency(c.frequency);
    EXPECT_EQ(p.exponent, c.exponent) << c.frequency;
    EXPECT_EQ(p.nanosecondsPerTick, c.ns) << c.frequency;
  }
}

TEST(ClockFigures, DerivedFromTheTickAndOverridden) {
  ClockFigures figures = DerivedClockFigures(156250);  // 15.625 ms
  EXPECT_EQ(figures.updatesPerSecond, 64);
  EXPECT_EQ(figures.changePerUpdate, 156250u);
  figures = DerivedClockFigures(156001);  // 64.10 per second rounds to 64
  EXPECT_EQ(figures.updatesPerSecond, 64);
  figures = DerivedClockFigures(0);  // a clock that never stepped counts as 100 ns
  EXPECT_EQ(figures.updatesPerSecond, 10000000);
  EXPECT_EQ(figures.changePerUpdate, 1u);

  struct Case {
    double updates;
    uint32_t change, minimum;
    double wantUpdates;
    uint32_t wantChange, wantMinimum;
  } cases[] = {
      {100, 100000, 4, 100, 100000, 4},
      {1, 0, 0, 64, 156250, 1},                // 1 is outside (1, 100000); 0 outside both
      {100000, 10000000, 257, 64, 156250, 1},  // just outside every range
      {99999.5, 9999999, 256, 99999.5, 9999999, 256},
      {1.5, 1, 1, 1.5, 1, 1},
  };
  for (const Case& c : cases) {
    ClockOverrides overrides;
    overrides.hasUpdatesPerSecond = overrides.hasChangePerUpdate = overrides.hasClockOneMinimum = true;
    overrides.updatesPerSecond = c.updates;
    overrides.changePerUpdate = c.change;
    overrides.clockOneMinimum = c.minimum;
    ClockFigures result = ApplyClockOverrides(DerivedClockFigures(156250), overrides);
    EXPECT_EQ(result.updatesPerSecond, c.wantUpdates) << c.updates;
    EXPECT_EQ(result.changePerUpdate, c.wantChange) << c.change;
    EXPECT_EQ(result.clockOneMinimum, c.wantMinimum) << c.minimum;
  }
  // Absent overrides change nothing, whatever their values.
  ClockOverrides absent;
  absent.updatesPerSecond = 100;
  EXPECT_EQ(ApplyClockOverrides(DerivedClockFigures(156250), absent).updatesPerSecond, 64);
}

TEST(ClockFigures, UpdatesPerSecondText) {
  double value = 0;
  EXPECT_TRUE(ParseUpdatesPerSecond("64.5", &value));
  EXPECT_EQ(value, 64.5);
  EXPECT_TRUE(ParseUpdatesPerSecond("1000 ", &value));
  EXPECT_EQ(value, 1000);
  for (const char* bad : {"", "abc", "64x", "nan", "inf", "1e999"}) EXPECT_FALSE(ParseUpdatesPerSecond(bad, &value)) << bad;
}

// A counters block as the time service lays it out.
class CountersBlock {
 public:
  CountersBlock() : words_(kCountersBlockSize / 8, 0) {}
  uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(words_.data()); }
  void Set32(size_t offset, uint32_t v) { std::memcpy(Bytes() + offset, &v, 4); }
  void Set64(size_t offset, uint64_t v) { std::memcpy(Bytes() + offset, &v, 8); }
  void Publish(uint32_t index, int64_t counter, uint64_t time) {
    Set64(kCountersCounterOffset + 8 * index, uint64_t(counter));
    Set64(kCountersTimeOffset + 8 * index, time);
    Set32(kCountersIndexOffset, index);
    Set32(kCountersValidOffset, 1);
  }

 private:
  std::vector<uint64_t> words_;
};

TEST(SharedCounters, NewestEntryOfValidAndInvalidBlocks) {
  CountersBlock block;
  CountersEntry entry;
  EXPECT_FALSE(ReadNewestEntry(block.Bytes(), &entry));  // valid word 0
  EXPECT_FALSE(ReadNewestEntry(nullptr, &entry));
  block.Publish(1023, 5000, 131000000000000000ull);
  ASSERT_TRUE(ReadNewestEntry(block.Bytes(), &entry));
  EXPECT_EQ(entry.index, 1023u);
  EXPECT_EQ(entry.counter, 5000);
  EXPECT_EQ(entry.time, 131000000000000000ull);
  block.Set32(kCountersIndexOffset, 1024);  // would read past the block
  EXPECT_FALSE(ReadNewestEntry(block.Bytes(), &entry));
  block.Set32(kCountersIndexOffset, 0xFFFFFFFF);
  EXPECT_FALSE(ReadNewestEntry(block.Bytes(), &entry));
  block.Publish(0, 1, 2);
  block.Set32(kCountersValidOffset, 0);
  EXPECT_FALSE(ReadNewestEntry(block.Bytes(), &entry));
}

TEST(SharedCounters, Interpolation) {
  CountersEntry entry;
  entry.counter = 1000;
  entry.time = 5000000;
  struct Case {
    int64_t now;
    double divisor;
    uint64_t want;
  } cases[] = {
      {1000, 1e7, 5000000},
      {11000000 + 1000, 1e7, 5000000 + 11000000},  // 1.1 s at 10 MHz
      {1000 + 3579545, 3579545, 5000000 + 10000000},
      {999, 1e7, 5000000},                          // counter earlier than the entry
      {INT64_MIN, 1e7, 5000000},
      {INT64_MAX, 1e-300, UINT64_MAX},              // absurd figures saturate
      {2000, 0, 5000000},
  };
  for (const Case& c : cases) EXPECT_EQ(InterpolateSharedTime(entry, c.now, c.divisor), c.want) << c.now;
  entry.counter = INT64_MIN;  // a garbage entry does not overflow
  EXPECT_GE(InterpolateSharedTime(entry, INT64_MAX, 1e7), entry.time);
}

TEST(SharedCounters, Divisor) {
  EXPECT_EQ(SharedTimeDivisor(156250, 156250, 10000000, 2, true), 10000002.0);
  EXPECT_EQ(SharedTimeDivisor(156260, 156250, 10000000, 0, true), 10000000.0 * 156260 / 156250);
  EXPECT_EQ(SharedTimeDivisor(156260, 156250, 10000000, 0, false), 10000000.0);
  EXPECT_EQ(SharedTimeDivisor(0, 0, 10000000, 3, true), 10000003.0);
}

TEST(ClockText, ComposedAndCut) {
  EXPECT_EQ(ComposeClockText("Thu Jan 01 1970", 0, 0, 0), "Thu Jan 01 1970 00:00:00");
  EXPECT_EQ(ComposeClockText("Mon Dec 31 2029", 23, 59, 7), "Mon Dec 31 2029 23:59:07");
  // 20 three-byte characters: the cut falls inside the 22nd byte group, never inside a character.
  std::string wide;
  for (int i = 0; i < 30; ++i) wide += "\xE6\x97\xA5";
  std::string text = ComposeClockText(wide, 1, 2, 3);
  EXPECT_LE(text.size(), 63u);
  EXPECT_EQ(text.size() % 3, 0u);
  EXPECT_EQ(text, wide.substr(0, 63));
}

TEST(ClockTicks, To100ns) {
  EXPECT_EQ(TicksTo100ns(30000, 10000000), 30000u);
  EXPECT_EQ(TicksTo100ns(3579545, 3579545), 10000000u);
  EXPECT_EQ(TicksTo100ns(UINT64_MAX / 2, 10000000), UINT64_MAX / 2);  // no overflow at 10 MHz
  EXPECT_EQ(TicksTo100ns(5, 0), 0u);
}

TEST(TimingNesting, OutermostEntrySavesAndOutermostLeaveRestores) {
  CTimingNesting nesting;
  int saved = 0;
  EXPECT_FALSE(nesting.Leave(7, &saved));  // a leave without an entry changes nothing
  EXPECT_EQ(nesting.Depth(7), 0);
  ASSERT_TRUE(nesting.Enter(7));
  nesting.SavePriority(7, -1);
  EXPECT_FALSE(nesting.Enter(7));  // the inner entry saves nothing
  EXPECT_TRUE(nesting.Enter(8));   // another thread has its own count
  EXPECT_EQ(nesting.Depth(7), 2);
  EXPECT_FALSE(nesting.Leave(7, &saved));
  EXPECT_TRUE(nesting.Leave(7, &saved));
  EXPECT_EQ(saved, -1);
  EXPECT_FALSE(nesting.Leave(7, &saved));
  EXPECT_EQ(nesting.Depth(7), 0);
  EXPECT_EQ(nesting.Depth(8), 1);
}

}  // namespace
