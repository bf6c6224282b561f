// The trace line of each attempt of a sampling run, for the logs of the programs that sample:
// where the sample came from, how it was asked for, its delta and latency and what the server
// said of itself, or why the attempt failed.
#pragma once
#include <cstdint>
#include <string>

#include "sampling/time_sample.h"
#include "sampling/time_source.h"

// The line of a good sample; auth is the run's authentication description, ntpVersion the
// configured NTP version.
std::string SampleTraceLine(const TimeSample& sample, const std::string& auth, uint8_t ntpVersion);
// The line of a failed attempt: the server asked and the address that answered (or was
// tried); a refused redirect's text names the sample's own server when it has one.
std::string FailedSampleTraceLine(const TimeSourceSpec& spec, const TimeSample& sample, const std::string& auth);
