// What one check found and the summary record it becomes: every monitored machine's variance
// against the reference clock, gathered per class into counts, averages and worst variances,
// and the three tests that decide whether the check raises an alert.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "monitor/summary_record.h"
#include "sampling/ip_literal.h"

// The classes of monitored machines, in the order of the record's averages.
enum MachineClass : uint8_t { kClassMaster = 0, kClassSlave = 1, kClassIndependent = 2, kClassClient = 3 };

// One monitored machine after a check.
struct MachineResult {
  std::string name;      // the comment of its time-source line, else its server
  MachineClass role = kClassIndependent;
  IpLiteral address;     // the address that answered (family 0 when none did)
  uint32_t errorCode = 0;  // 0 when it answered
  std::string errorText;   // why it did not answer
  int64_t variance = 0;  // 100 ns: its clock minus the reference clock
};

// The three tests and their limits in milliseconds.
struct CheckPolicy {
  bool singleTest = true;
  uint32_t singleLimit = 1000;
  bool totalTest = true;
  uint32_t totalLimit = 750;
  bool slaveTest = true;
  uint32_t slaveLimit = 500;
};

// The record of a check made at time (seconds since 1970) against referenceTime (100 ns since
// 1601): the machines that answered are counted by class, those that did not in
// unansweredMachines; a reference that did not answer is flagged; the status is judged as every
// reader judges it (JudgeCheckStatus): an alert when an enabled test fails, else unknown when
// anything could not be measured.
SummaryRecord ComputeSummary(const std::vector<MachineResult>& machines, const CheckPolicy& policy, uint32_t time,
                             int64_t referenceTime, bool referenceAnswered);
// How many machines of each class gave no sample, in the order of MachineClass.
std::array<uint32_t, 4> UnansweredPerClass(const std::vector<MachineResult>& machines);
// 100-nanosecond units to whole milliseconds, rounded half away from zero.
int64_t RoundToMilliseconds(int64_t hundredNanoseconds);
