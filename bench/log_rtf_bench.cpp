// Google Benchmark of the log viewer's renderer on a realistic service log of the largest size
// it shows (native build): bytes per second through BuildLogRtf, colours on, every column
// shown and with all columns removed.
#include <benchmark/benchmark.h>

#include "bench/sample_log.h"
#include "logview/log_rtf.h"

namespace {

void RenderTail(benchmark::State& state, LogRtfOptions options) {
  std::string log = SampleServiceLog(kLogTailBytes);
  for (auto _ : state) benchmark::DoNotOptimize(BuildLogRtf(log, true, options));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(log.size()));
}

void AllColumns(benchmark::State& state) { RenderTail(state, {}); }
void MessagesOnly(benchmark::State& state) { RenderTail(state, {false, false, false, true}); }
BENCHMARK(AllColumns);
BENCHMARK(MessagesOnly);

}  // namespace

BENCHMARK_MAIN();
