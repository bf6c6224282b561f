// The process environment the sheet needs while it runs: the shared objects and the timing
// facts of the service family, started and stopped in one fixed order.
#pragma once
#include "platform/start_options.h"

// Starts every part of the environment in order.
void StartProcessEnvironment();
// Stops them in the reverse order.
void StopProcessEnvironment();
// The boot options read at start.
const StartOptions& BootStartOptions();
