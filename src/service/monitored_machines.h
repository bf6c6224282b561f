// The machines the service checks, read from its own list value "Monitored Machines" under
// the Parameters key: each line a role word (master, slave, independent, client) and then the
// machine's time-source line, e.g. "slave server 10.0.0.7 protocol ov2".
#pragma once
#include <string>

#include "service/check_summary.h"

// One line of the list, split.
struct MachineLine {
  MachineClass role = kClassIndependent;
  std::string source;  // the time-source line
};

// Name of the list value.
extern const char kMonitoredMachinesValue[];

// Splits a line into its role and time-source line; false for an unknown role or no source.
bool ParseMachineLine(const std::string& line, MachineLine* machine);
// The role's display name: "Master", "Slave", "Independent server" or "Client".
const char* MachineClassName(MachineClass role);
