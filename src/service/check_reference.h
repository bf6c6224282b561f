// The reference clock of a check and each machine's variance against it, from the deltas of
// sampling runs (each delta a server's clock minus this machine's).
#pragma once
#include <cstdint>
#include <vector>

#include "sampling/time_sample.h"

// "Reference Clock Type" codes.
constexpr uint32_t kReferenceThisClock = 1;
constexpr uint32_t kReferenceOwnList = 2;
constexpr uint32_t kReferenceListed = 3;

// The mean delta of a run's good samples, bounded to a century either way; false when none was good.
bool MeanDelta(const SampleSet& samples, int64_t* delta);
// The reference's delta from the reference sources' mean deltas (in list order, only those that
// answered): their mean (bounded) when analyze is set, else the first; 0 (this machine's clock) when none.
int64_t ReferenceDelta(const std::vector<int64_t>& sourceDeltas, bool analyze);
// Whether the type samples the "Reference Clocks" list; other types use this machine's clock.
bool ReferenceUsesSources(uint32_t referenceType);
