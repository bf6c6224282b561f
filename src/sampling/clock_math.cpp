// The system clock's arithmetic: precision, tick figures, shared-time interpolation, clock texts.
#include "sampling/clock_math.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

CounterPrecision PrecisionFromFrequency(uint64_t frequency) {
  CounterPrecision precision;
  if (frequency == 0) return precision;
  uint64_t ns = 1000000000ull / frequency;
  precision.nanosecondsPerTick = ns;
  if (ns <= 100) {
    precision.exponent = -23;
    precision.nanosecondsPerTick = 100;
  } else if (ns <= 300) {
    precision.exponent = -22;
  } else if (ns <= 500) {
    precision.exponent = -21;
  } else if (ns <= 1000) {
    precision.exponent = -20;
  } else if (ns <= 8000) {
    precision.exponent = -17;
  }
  return precision;
}

ClockFigures DerivedClockFigures(uint64_t tick) {
  ClockFigures figures;
  if (tick == 0) tick = 1;
  figures.updatesPerSecond = std::floor(1e7 / double(tick) + 0.5);
  figures.changePerUpdate = uint32_t(1e7 / figures.updatesPerSecond);
  return figures;
}

ClockFigures ApplyClockOverrides(ClockFigures figures, const ClockOverrides& overrides) {
  if (overrides.hasUpdatesPerSecond && overrides.updatesPerSecond > 1 && overrides.updatesPerSecond < 100000)
    figures.updatesPerSecond = overrides.updatesPerSecond;
  if (overrides.hasChangePerUpdate && overrides.changePerUpdate >= 1 && overrides.changePerUpdate <= 9999999)
    figures.changePerUpdate = overrides.changePerUpdate;
  if (overrides.hasClockOneMinimum && overrides.clockOneMinimum >= 1 && overrides.clockOneMinimum <= 256)
    figures.clockOneMinimum = overrides.clockOneMinimum;
  return figures;
}

bool ParseUpdatesPerSecond(const std::string& text, double* value) {
  if (text.empty() || text.size() > 64) return false;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  while (end && (*end == ' ' || *end == '\t')) ++end;
  if (!end || *end != '\0' || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

namespace {

uint32_t Load32(const volatile uint8_t* block, size_t offset) {
  return *reinterpret_cast<const volatile uint32_t*>(block + offset);
}

uint64_t Load64(const volatile uint8_t* block, size_t offset) {
  return *reinterpret_cast<const volatile uint64_t*>(block + offset);
}

// One round of the three reads; false when the index is out of range.
bool ReadEntryOnce(const volatile uint8_t* block, CountersEntry* entry) {
  entry->index = Load32(block, kCountersIndexOffset);
  if (entry->index >= kCountersEntries) return false;
  entry->counter = int64_t(Load64(block, kCountersCounterOffset + 8 * size_t(entry->index)));
  entry->time = Load64(block, kCountersTimeOffset + 8 * size_t(entry->index));
  return true;
}

// Rounds a writer may take to publish one entry before the block counts as unusable.
const int kMaxReadRounds = 64;

}  // namespace

bool ReadNewestEntry(const volatile uint8_t* block, CountersEntry* entry) {
  if (!block || Load32(block, kCountersValidOffset) == 0) return false;
  CountersEntry first;
  if (!ReadEntryOnce(block, &first)) return false;
  for (int round = 0; round < kMaxReadRounds; ++round) {
    CountersEntry second;
    if (!ReadEntryOnce(block, &second)) return false;
    if (second.index == first.index && second.counter == first.counter && second.time == first.time) {
      *entry = second;
      return true;
    }
    first = second;
  }
  return false;
}

double SharedTimeDivisor(uint64_t adjustment, uint64_t increment, uint64_t frequency, uint64_t overhead,
                         bool scaled) {
  double plain = double(frequency + overhead);
  if (!scaled || adjustment == 0 || increment == 0) return plain;
  return double(adjustment) / double(increment) * plain;
}

uint64_t InterpolateSharedTime(const CountersEntry& entry, int64_t counterNow, double divisor) {
  if (counterNow < entry.counter || !(divisor > 0)) return entry.time;
  uint64_t ticks = uint64_t(counterNow) - uint64_t(entry.counter);
  double elapsed = double(ticks) * 1e7 / divisor;
  if (elapsed >= double(UINT64_MAX - entry.time)) return UINT64_MAX;
  return entry.time + uint64_t(elapsed);
}

uint64_t TicksTo100ns(uint64_t ticks, uint64_t frequency) {
  if (frequency == 0) return 0;
  // Whole seconds and the remainder apart, so large tick counts do not overflow.
  return ticks / frequency * 10000000ull + ticks % frequency * 10000000ull / frequency;
}

std::string ComposeClockText(const std::string& date, int hour, int minute, int second) {
  char time[32];
  std::snprintf(time, sizeof time, " %02d:%02d:%02d", hour, minute, second);
  std::string text = date + time;
  const size_t kMaxBytes = 63;
  if (text.size() > kMaxBytes) {
    size_t cut = kMaxBytes;
    while (cut > 0 && (uint8_t(text[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
    text.resize(cut);
  }
  return text;
}
