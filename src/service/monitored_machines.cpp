// Reading the service's list of monitored machines.
#include "service/monitored_machines.h"

#include <cctype>

#include "platform/blank_text.h"
#include "sampling/time_source.h"

const char kMonitoredMachinesValue[] = "Monitored Machines";

namespace {

bool SameWord(const std::string& word, const char* name) {
  size_t i = 0;
  for (; name[i]; ++i)
    if (i >= word.size() || std::tolower(static_cast<unsigned char>(word[i])) != name[i]) return false;
  return i == word.size();
}

}  // namespace

bool ParseMachineLine(const std::string& line, MachineLine* machine) {
  std::string text = TrimBlanks(line);
  size_t space = text.find_first_of(" \t");
  if (space == std::string::npos) return false;
  std::string word = text.substr(0, space);
  static const struct {
    const char* word;
    MachineClass role;
  } kRoles[] = {{"master", kClassMaster}, {"slave", kClassSlave}, {"independent", kClassIndependent},
                {"client", kClassClient}};
  for (const auto& known : kRoles) {
    if (!SameWord(word, known.word)) continue;
    machine->role = known.role;
    machine->source = TrimBlanks(text.substr(space));
    return !machine->source.empty();
  }
  return false;
}

const char* MachineClassName(MachineClass role) {
  static const char* const kNames[] = {"Master", "Slave", "Independent server", "Client"};
  return role <= kClassClient ? kNames[role] : "Unknown";
}
