// CSystemClock and CCriticalTiming on the platform: the three rules of Now with a counters
// block the test publishes, the registry overrides, the clock text, and priority nesting.
#include "sampling/system_clock.h"

#include <gtest/gtest.h>

#include <string>

#include "sampling/critical_timing.h"
#include "support/registry_sandbox.h"

namespace {

const uint64_t kSecond = 10000000;
const uint64_t k2001 = 126227808000000000ull;  // 2001-01-01, far from any real now
const char kParameters[] = "Software\\Tallowin\\Orvane Monitor\\Parameters";

uint64_t PlatformNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

int64_t CounterNow() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

// A counters block published by the test under a name of its own.
class CountersBlockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    name_ = "Local\\ovmon-test-counters-" + std::to_string(GetCurrentProcessId());
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DWORD(kCountersBlockSize),
                                  name_.c_str());
    ASSERT_NE(mapping_, nullptr);
    view_ = static_cast<uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, kCountersBlockSize));
    ASSERT_NE(view_, nullptr);
  }
  void TearDown() override {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
  }
  void Publish(uint32_t valid, uint32_t index, int64_t counter, uint64_t time) {
    uint32_t slot = index < kCountersEntries ? index : 0;
    memcpy(view_ + kCountersCounterOffset + 8 * slot, &counter, 8);
    memcpy(view_ + kCountersTimeOffset + 8 * slot, &time, 8);
    memcpy(view_ + kCountersIndexOffset, &index, 4);
    memcpy(view_ + kCountersValidOffset, &valid, 4);
  }
  ClockOptions Options(bool precise) {
    ClockOptions options;
    options.usePreciseTime = precise;
    options.countersName = name_;
    return options;
  }

  std::string name_;
  HANDLE mapping_ = nullptr;
  uint8_t* view_ = nullptr;
};

TEST_F(CountersBlockTest, PreciseTimeNeverLooksAtTheBlock) {
  Publish(1, 7, CounterNow(), k2001);
  CSystemClock clock(Options(true));
  ASSERT_EQ(clock.Prepare(), 0u);
  ASSERT_TRUE(clock.SharedBlockValid());
  uint64_t now = clock.Now();
  EXPECT_GT(now, PlatformNow() - 60 * kSecond);  // the platform's time, not the block's 2001
}

TEST_F(CountersBlockTest, ValidAndInvalidBlocks) {
  struct Case {
    const char* what;
    uint32_t valid, index;
    int64_t counterOffset;  // from the counter now
    bool fromBlock;
  } cases[] = {
      {"valid", 1, 5, 0, true},
      {"valid, newest entry last", 1, 1023, 0, true},
      {"valid word 0", 0, 5, 0, false},
      {"index past the end", 1, 1024, 0, false},
      {"counter later than now", 1, 5, 1000000000, true},
  };
  for (const Case& c : cases) {
    Publish(c.valid, c.index, CounterNow() + c.counterOffset, k2001);
    CSystemClock clock(Options(false));
    clock.Prepare();
    uint64_t now = clock.Now();
    if (c.fromBlock) {
      EXPECT_GE(now, k2001) << c.what;
      EXPECT_LT(now, k2001 + 60 * kSecond) << c.what;
      if (c.counterOffset > 0) {
        EXPECT_EQ(now, k2001) << c.what;
      }
    } else {
      EXPECT_GT(now, PlatformNow() - 60 * kSecond) << c.what;  // the coarse time
    }
    EXPECT_EQ(CriticalTiming().Depth(), 0) << c.what;  // Now left the critical section it entered
  }
}

TEST(SystemClock, WithoutTheBlockAndWithoutPreciseTime) {
  ClockOptions options;
  options.usePreciseTime = false;
  options.countersName = "Local\\ovmon-test-no-such-counters";
  CSystemClock clock(options);
  EXPECT_EQ(clock.Prepare(), uint32_t(ERROR_FILE_NOT_FOUND));  // the clock goes on without it
  EXPECT_FALSE(clock.SharedBlockValid());
  EXPECT_GT(clock.Now(), PlatformNow() - 60 * kSecond);
  EXPECT_TRUE(clock.CounterUsable());
  EXPECT_GE(clock.CounterOverhead(), 1u);
  EXPECT_GE(clock.CoarseTick(), 1u);
  if (clock.CounterFrequency() == 10000000) {
    EXPECT_EQ(clock.Precision(), -23);
  }
}

TEST(SystemClock, RegistryOverridesOfTheFigures) {
  CRegistrySandbox sandbox;
  struct Case {
    const char* updatesText;  // nullptr: a REG_DWORD of updatesNumber
    DWORD updatesNumber, change, minimum;
    double wantUpdates;
    uint32_t wantChange, wantMinimum;
  } cases[] = {
      {"64.5", 0, 156250, 8, 64.5, 156250, 8},
      {nullptr, 1000, 10000, 256, 1000, 10000, 256},
      {"abc", 0, 0, 257, -1, 0, 1},           // unreadable and out of range: derived figures stay
      {"100000", 0, 10000000, 0, -1, 0, 1},
  };
  for (const Case& c : cases) {
    if (c.updatesText)
      SetStringValue(kParameters, "Critical Timing Override Updates Per Second (float)", c.updatesText);
    else
      SetDwordValue(kParameters, "Critical Timing Override Updates Per Second (float)", c.updatesNumber);
    SetDwordValue(kParameters, "Critical Timing Override Change Per Update (hectos)", c.change);
    SetDwordValue(kParameters, "Critical Timing Override Clock One Minum (ticks)", c.minimum);
    CSystemClock clock;
    clock.Prepare();
    ClockFigures derived = DerivedClockFigures(clock.CoarseTick());
    EXPECT_EQ(clock.Figures().updatesPerSecond, c.wantUpdates < 0 ? derived.updatesPerSecond : c.wantUpdates)
        << c.updatesNumber;
    EXPECT_EQ(clock.Figures().changePerUpdate, c.wantChange ? c.wantChange : derived.changePerUpdate);
    EXPECT_EQ(clock.Figures().clockOneMinimum, c.wantMinimum);
  }
}

TEST(SystemClock, UnixTimeAsLocalText) {
  // The tests run with TZ=UTC and an English locale.
  EXPECT_EQ(FormatUnixTime(0), "Thu Jan 01 1970 00:00:00");
  EXPECT_EQ(FormatUnixTime(1000000000), "Sun Sep 09 2001 01:46:40");
  EXPECT_EQ(FormatUnixTime(0xFFFFFFFF), "Sun Feb 07 2106 06:28:15");
  EXPECT_GT(UptimeSeconds(), 0u);
}

TEST(CriticalTiming, NestedEntriesRestoreThePriorityOnce) {
  CCriticalTiming timing;
  HANDLE thread = GetCurrentThread();
  ASSERT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL));
  timing.Enter();
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_TIME_CRITICAL);
  timing.Enter();
  SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);  // changed inside: the inner Leave keeps it
  timing.Leave();
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_HIGHEST);
  EXPECT_EQ(timing.Depth(), 1);
  timing.Leave();
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_BELOW_NORMAL);
  timing.Leave();  // one Leave too many changes nothing
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_BELOW_NORMAL);
  EXPECT_EQ(timing.Depth(), 0);
  SetThreadPriority(thread, THREAD_PRIORITY_NORMAL);
}

TEST(CriticalTiming, PinnedThreadsGetTheirAffinityBack) {
  CCriticalTiming timing;
  timing.Prepare();
  timing.SetPinning(true);
  HANDLE thread = GetCurrentThread();
  timing.Enter();
  timing.Enter();
  timing.Leave();
  timing.Leave();
  DWORD_PTR process = 0, system = 0;
  ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &process, &system));
  DWORD_PTR previous = SetThreadAffinityMask(thread, process);  // returns what Leave left
  EXPECT_EQ(previous, process);
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_NORMAL);
}

}  // namespace
