// Finding a check's reference time and each machine's variance against it.
#include "service/check_reference.h"

namespace {

// A century in 100-nanosecond units: no clock this far off is believed further.
constexpr int64_t kDeltaBound = 10000000LL * 86400 * 36525;

int64_t Bounded(__int128 value) {
  return value > kDeltaBound ? kDeltaBound : value < -kDeltaBound ? -kDeltaBound : int64_t(value);
}

}  // namespace

bool MeanDelta(const SampleSet& samples, int64_t* delta) {
  __int128 sum = 0;
  int64_t count = 0;
  for (const TimeSample& sample : samples) {
    if (sample.errorCode) continue;
    sum += sample.delta;
    ++count;
  }
  if (!count) return false;
  *delta = Bounded(sum / count);
  return true;
}

int64_t ReferenceDelta(const std::vector<int64_t>& sourceDeltas, bool analyze) {
  if (sourceDeltas.empty()) return 0;
  if (!analyze) return sourceDeltas.front();
  __int128 sum = 0;
  for (int64_t delta : sourceDeltas) sum += delta;
  return Bounded(sum / int64_t(sourceDeltas.size()));
}

bool ReferenceUsesSources(uint32_t referenceType) {
  return referenceType == kReferenceOwnList || referenceType == kReferenceListed;
}
