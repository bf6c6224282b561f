// Turning what a check found into its summary record.
#include "service/check_summary.h"

#include <cstdint>

#include "monitor/check_verdicts.h"

namespace {

constexpr size_t kTotal = 4;  // the total's place among the averages

// The six values at offset 112 and the machine behind each: slowest, fastest, then the worst of each class.
struct Extremes {
  const MachineResult* machine[6] = {};
};

int64_t Magnitude(int64_t value) { return value >= 0 ? value : value == INT64_MIN ? INT64_MAX : -value; }

int64_t SaturatedSum(int64_t a, int64_t b) {
  __int128 sum = __int128(a) + b;
  return sum > INT64_MAX ? INT64_MAX : sum < INT64_MIN ? INT64_MIN : int64_t(sum);
}

SummaryAddress SlotOf(const MachineResult* machine) {
  SummaryAddress slot;
  if (!machine || machine->address.family != 4) return slot;
  slot.family = 2;
  slot.port = machine->address.port;
  slot.ipv4 = uint32_t(machine->address.bytes[0]) | uint32_t(machine->address.bytes[1]) << 8 |
              uint32_t(machine->address.bytes[2]) << 16 | uint32_t(machine->address.bytes[3]) << 24;
  return slot;
}

void Track(const MachineResult& machine, Extremes* extremes) {
  const MachineResult*& slowest = extremes->machine[0];
  const MachineResult*& fastest = extremes->machine[1];
  const MachineResult*& worst = extremes->machine[2 + machine.role];
  if (!slowest || machine.variance < slowest->variance) slowest = &machine;
  if (!fastest || machine.variance > fastest->variance) fastest = &machine;
  if (!worst || Magnitude(machine.variance) > Magnitude(worst->variance)) worst = &machine;
}

int64_t Average(__int128 sum, uint32_t count) {
  return count ? RoundToMilliseconds(int64_t(sum / count)) : 0;
}

void FillPolicy(const CheckPolicy& policy, SummaryRecord* record) {
  record->limitUnit = 0;
  record->singleTest = policy.singleTest;
  record->singleLimit = policy.singleLimit;
  record->totalTest = policy.totalTest;
  record->totalLimit = policy.totalLimit;
  record->slaveTest = policy.slaveTest;
  record->slaveLimit = policy.slaveLimit;
}

void FillExtremes(const Extremes& extremes, int64_t referenceTime, SummaryRecord* record) {
  if (extremes.machine[0]) record->slowestClock = SaturatedSum(referenceTime, extremes.machine[0]->variance);
  if (extremes.machine[1]) record->fastestClock = SaturatedSum(referenceTime, extremes.machine[1]->variance);
  for (size_t role = 0; role < record->worst.size(); ++role)
    if (extremes.machine[2 + role]) record->worst[role] = RoundToMilliseconds(extremes.machine[2 + role]->variance);
  for (size_t slot = 0; slot < record->addresses.size(); ++slot) record->addresses[slot] = SlotOf(extremes.machine[slot]);
}

}  // namespace

int64_t RoundToMilliseconds(int64_t hundredNanoseconds) {
  int64_t whole = hundredNanoseconds / 10000, rest = hundredNanoseconds % 10000;
  return whole + (rest >= 5000) - (rest <= -5000);
}

SummaryRecord ComputeSummary(const std::vector<MachineResult>& machines, const CheckPolicy& policy, uint32_t time,
                             int64_t referenceTime, bool referenceAnswered) {
  SummaryRecord record;
  record.time = time;
  record.referenceTime = referenceTime;
  FillPolicy(policy, &record);
  __int128 sums[5] = {};
  Extremes extremes;
  for (const MachineResult& machine : machines) {
    if (machine.role > kClassClient) continue;
    if (machine.errorCode) {
      ++record.unansweredMachines;
      continue;
    }
    ++record.counts[0];
    ++record.counts[1 + machine.role];
    sums[machine.role] += machine.variance;
    sums[kTotal] += machine.variance;
    Track(machine, &extremes);
  }
  for (size_t role = 0; role < kTotal; ++role) record.averages[role] = Average(sums[role], record.counts[1 + role]);
  record.averages[kTotal] = Average(sums[kTotal], record.counts[0]);
  FillExtremes(extremes, referenceTime, &record);
  if (!referenceAnswered) record.checkFlags |= kCheckReferenceUnanswered;
  record.status = JudgeCheckStatus(record);
  return record;
}

std::array<uint32_t, 4> UnansweredPerClass(const std::vector<MachineResult>& machines) {
  std::array<uint32_t, 4> unanswered{};
  for (const MachineResult& machine : machines)
    if (machine.errorCode && machine.role < unanswered.size()) ++unanswered[machine.role];
  return unanswered;
}
