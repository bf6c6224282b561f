// The arithmetic of the system clock, free of platform calls: the precision exponent of a
// counter, the derived clock figures and their overrides, the shared counters block of the
// time service and the text of a Unix time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Precision exponent and the counter's nanoseconds per tick it was taken from.
struct CounterPrecision {
  int exponent = -10;
  uint64_t nanosecondsPerTick = 0;  // raised to 100 for the fastest counters
};

// From 10^9 / frequency: up to 100 ns -23, 300 -22, 500 -21, 1000 -20, 8000 -17, else -10.
CounterPrecision PrecisionFromFrequency(uint64_t frequency);

// The coarse clock's figures the time service disciplines with.
struct ClockFigures {
  double updatesPerSecond = 0;
  uint32_t changePerUpdate = 0;  // 100 ns
  uint32_t clockOneMinimum = 1;  // counter ticks
};

// Figures of a coarse clock that steps by tick (100 ns units, at least 1).
ClockFigures DerivedClockFigures(uint64_t tick);

// Registry overrides of the figures; each applies only when present and in range.
struct ClockOverrides {
  bool hasUpdatesPerSecond = false;
  double updatesPerSecond = 0;  // accepted when 1 < value < 100000
  bool hasChangePerUpdate = false;
  uint32_t changePerUpdate = 0;  // accepted from 1 to 9999999
  bool hasClockOneMinimum = false;
  uint32_t clockOneMinimum = 0;  // accepted from 1 to 256
};

// figures with the acceptable overrides applied.
ClockFigures ApplyClockOverrides(ClockFigures figures, const ClockOverrides& overrides);

// "Updates per second" stored as text: a decimal number, nothing else; false otherwise.
bool ParseUpdatesPerSecond(const std::string& text, double* value);

// Layout of the shared counters block written by the time service.
constexpr size_t kCountersBlockSize = 16432;
constexpr size_t kCountersValidOffset = 8;
constexpr size_t kCountersIndexOffset = 28;
constexpr size_t kCountersCounterOffset = 48;
constexpr size_t kCountersTimeOffset = 8240;
constexpr uint32_t kCountersEntries = 1024;

// The newest (counter, time) pair of the block.
struct CountersEntry {
  uint32_t index = 0;
  int64_t counter = 0;
  uint64_t time = 0;  // 100 ns since 1601
};

// Reads the newest entry of a block (8-byte aligned, kCountersBlockSize bytes), repeating the
// reads until two rounds agree. False when the block is not valid, its index is out of range
// or the writer never holds still.
bool ReadNewestEntry(const volatile uint8_t* block, CountersEntry* entry);

// Counter ticks per second of true time: (adjustment / increment) x (frequency + overhead)
// when scaled, else frequency + overhead.
double SharedTimeDivisor(uint64_t adjustment, uint64_t increment, uint64_t frequency, uint64_t overhead,
                         bool scaled);

// The entry's time moved on by the counter ticks since it was taken; the entry's own time when
// the counter reads earlier than the entry.
uint64_t InterpolateSharedTime(const CountersEntry& entry, int64_t counterNow, double divisor);

// Counter ticks as 100 ns units at the given frequency.
uint64_t TicksTo100ns(uint64_t ticks, uint64_t frequency);

// date + " hh:mm:ss", cut to at most 63 bytes without splitting a UTF-8 character.
std::string ComposeClockText(const std::string& date, int hour, int minute, int second);
