// Google Benchmark of the portable arithmetic under Now() through a counters block: the
// consistent read of the newest entry and the interpolation (native build).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "sampling/clock_math.h"

namespace {

void SharedBlockReadAndInterpolate(benchmark::State& state) {
  std::vector<uint64_t> block(kCountersBlockSize / 8, 0);
  uint8_t* bytes = reinterpret_cast<uint8_t*>(block.data());
  uint32_t valid = 1, index = 512;
  int64_t counter = 1000;
  uint64_t time = 133000000000000000ull;
  std::memcpy(bytes + kCountersCounterOffset + 8 * index, &counter, 8);
  std::memcpy(bytes + kCountersTimeOffset + 8 * index, &time, 8);
  std::memcpy(bytes + kCountersIndexOffset, &index, 4);
  std::memcpy(bytes + kCountersValidOffset, &valid, 4);
  double divisor = SharedTimeDivisor(156250, 156250, 10000000, 2, true);
  int64_t now = 5000;
  for (auto _ : state) {
    CountersEntry entry;
    ReadNewestEntry(bytes, &entry);
    benchmark::DoNotOptimize(InterpolateSharedTime(entry, now++, divisor));
  }
}
BENCHMARK(SharedBlockReadAndInterpolate);

}  // namespace

BENCHMARK_MAIN();
