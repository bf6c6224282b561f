// Writing and reading the service's run state in the registry.
#include "monitor/service_state.h"

#include "platform/registry.h"

const char kServiceStateKey[] = "Service State";

namespace {

const char* const kUnansweredNames[4] = {"Unanswered Masters", "Unanswered Slaves", "Unanswered Independents",
                                         "Unanswered Clients"};

}  // namespace

bool WriteServiceRunState(const ServiceRunState& state) {
  bool written = WriteRegistryDword(kServiceStateKey, "Started", state.started) &&
                 WriteRegistryDword(kServiceStateKey, "Checks", state.checks) &&
                 WriteRegistryDword(kServiceStateKey, "Alerts", state.alerts) &&
                 WriteRegistryDword(kServiceStateKey, "Last Check", state.lastCheck) &&
                 WriteRegistryDword(kServiceStateKey, "Last Check (ms)", state.lastCheckMs);
  for (size_t i = 0; i < 4 && written; ++i) written = WriteRegistryDword(kServiceStateKey, kUnansweredNames[i], state.unanswered[i]);
  return written;
}

ServiceRunState ReadServiceRunState() {
  ServiceRunState state;
  state.started = ReadRegistryDword(kServiceStateKey, "Started", 0);
  state.checks = ReadRegistryDword(kServiceStateKey, "Checks", 0);
  state.alerts = ReadRegistryDword(kServiceStateKey, "Alerts", 0);
  state.lastCheck = ReadRegistryDword(kServiceStateKey, "Last Check", 0);
  state.lastCheckMs = ReadRegistryDword(kServiceStateKey, "Last Check (ms)", 0);
  for (size_t i = 0; i < 4; ++i) state.unanswered[i] = ReadRegistryDword(kServiceStateKey, kUnansweredNames[i], 0);
  return state;
}
