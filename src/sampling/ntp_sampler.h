// The NTP sampler: one client-mode exchange over UDP, optionally keyed or with Windows
// authentication, into one TimeSample.
#pragma once
#include "sampling/time_sampler.h"

class CNTPTimeSampler : public CTimeSampler {
 public:
  using CTimeSampler::CTimeSampler;
  // One NTP exchange over socket into sample; sets and returns its errorCode.
  uint32_t SampleOnce(CClientSocket& socket, const TimeSourceSpec& spec, TimeSample* sample) override;
};
