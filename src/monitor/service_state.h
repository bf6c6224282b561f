// The service's run state in the registry ("Service State" under the Parameters key), written by
// the service after it starts and after every check, read by ovmonctl for the same metrics.
#pragma once
#include "monitor/check_metrics.h"

// Name of the state's subkey of the Parameters key.
extern const char kServiceStateKey[];

// Writes every value of the state; false when one could not be written.
bool WriteServiceRunState(const ServiceRunState& state);
// The state as stored; missing or unreadable values read as 0.
ServiceRunState ReadServiceRunState();
