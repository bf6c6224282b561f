// The fleet of monitored machines the service tests check.
#include "service/fleet.h"

#include <windows.h>

#include <cstdlib>
#include <sstream>

#include "platform/registry.h"
#include "service/monitored_machines.h"
#include "support/test_io.h"

namespace {

std::vector<int64_t> Offsets() {
  std::vector<int64_t> offsets;
  std::stringstream list(Env("OVMON_OV2_FLEET_OFFSETS"));
  for (std::string item; std::getline(list, item, ',');) offsets.push_back(std::atoll(item.c_str()));
  return offsets;
}

}  // namespace

bool FleetRunning() { return !Env("OVMON_OV2_FLEET_PORT").empty() && Offsets().size() >= 2; }

std::string FleetSource(size_t index) {
  return "server 127.0.0.1 protocol ov2 port " + std::to_string(std::atoi(Env("OVMON_OV2_FLEET_PORT").c_str()) + index);
}

std::vector<FleetMachine> FleetMachines() {
  static const MachineClass kRoles[] = {kClassMaster, kClassMaster, kClassSlave, kClassSlave,
                                        kClassIndependent, kClassClient, kClassClient};
  std::vector<int64_t> offsets = Offsets();
  std::vector<FleetMachine> machines;
  for (size_t i = 1; i < offsets.size(); ++i) {
    MachineClass role = kRoles[(i - 1) % 7];
    std::string word = role == kClassIndependent ? "independent" : MachineClassName(role);
    for (char& c : word) c = char(tolower(c));
    machines.push_back({word + " " + FleetSource(i) + " comment m" + std::to_string(i), role, offsets[i] - offsets[0]});
  }
  return machines;
}

void ConfigureFleetCheck(const std::string& dataFolder, const std::string& logPath) {
  WriteRegistryString("", "Data Folder", dataFolder);
  WriteRegistryString("", "Service Log Filename", logPath);
  WriteRegistryDword("", "Reference Clock Type", 3);
  WriteRegistryList("", "Reference Clocks", {FleetSource(0)});
  std::vector<std::string> lines;
  for (const FleetMachine& machine : FleetMachines()) lines.push_back(machine.line);
  WriteRegistryList("", kMonitoredMachinesValue, lines);
}
