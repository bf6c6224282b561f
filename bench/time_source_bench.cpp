// Samples time sources the way the test dialog does and prints every sample: the label given
// with the source, then delta and latency in microseconds. bench/time_sources.sh runs it under
// Wine beside chronyd's own client and compares the medians.
//   time_source_bench.exe <label>=<time-source line> ...
#include <windows.h>

#include <cstdio>
#include <string>

#include "sampling/system_clock.h"
#include "sampling/time_sampler.h"

int main(int argc, char** argv) {
  SystemClock().Prepare();
  SamplerSettings settings;
  settings.recvTimeoutMs = 1000;
  settings.sendTimeoutMs = 500;
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    size_t equals = argument.find('=');
    TimeSourceSpec spec;
    if (equals == std::string::npos || !ParseTimeSource(spec, argument.substr(equals + 1), true)) {
      std::fprintf(stderr, "not a time source: %s %s\n", argv[i], spec.errorText.c_str());
      return 2;
    }
    SampleSet results;
    uint32_t code = RunTimeSource(spec, settings, &results);
    if (code != 0) std::fprintf(stderr, "%s: code %u\n", argument.substr(0, equals).c_str(), code);
    status |= code != 0;
    for (const TimeSample& sample : results)
      std::printf("%s %.1f %.1f %.1f\n", argument.substr(0, equals).c_str(), sample.delta / 10.0,
                  sample.latency / 10.0, sample.receiveCorrection / 10.0);
  }
  return status;
}
