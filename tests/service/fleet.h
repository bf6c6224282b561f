// The monitored machines the tests check: the OV2 test server's fleet (scripts/peers.sh), a good
// server on each port from OVMON_OV2_FLEET_PORT up serving this clock moved by the n-th offset of
// OVMON_OV2_FLEET_OFFSETS. The first is the reference; the others get the roles below in turn.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "service/check_summary.h"

struct FleetMachine {
  std::string line;  // "<role> <time-source line>" for "Monitored Machines"
  MachineClass role;
  int64_t offsetMs;  // against the reference
};

// Whether scripts/test started the fleet.
bool FleetRunning();
// "server 127.0.0.1 protocol ov2 port <n>" of the fleet's n-th server.
std::string FleetSource(size_t index);
// The machines after the reference, with their roles and offsets against it.
std::vector<FleetMachine> FleetMachines();
// Writes the reference and the machines into the (sandboxed) registry, with the data folder and log.
void ConfigureFleetCheck(const std::string& dataFolder, const std::string& logPath);
