// A check's findings turned into its summary record.
#include "service/check_summary.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "monitor/check_verdicts.h"
#include "service/check_detail_text.h"
#include "service/check_reference.h"

namespace {

const int64_t kMs = 10000;  // 100-nanosecond units in a millisecond
const uint32_t kTime = 1765000000;
const int64_t kReference = 134000000000000000;

MachineResult Machine(const char* name, MachineClass role, int64_t varianceMs, uint8_t lastByte,
                      uint32_t errorCode = 0) {
  MachineResult machine;
  machine.name = name;
  machine.role = role;
  machine.variance = varianceMs * kMs;
  machine.errorCode = errorCode;
  machine.errorText = errorCode ? "timed out" : "";
  if (!errorCode) {
    machine.address.family = 4;
    machine.address.bytes[0] = 127;
    machine.address.bytes[3] = lastByte;
    machine.address.port = 10970;
  }
  return machine;
}

// Two masters, two slaves, an independent server and a client far off, all answering.
std::vector<MachineResult> Answering() {
  return {Machine("m1", kClassMaster, 100, 1),      Machine("m2", kClassMaster, 120, 2),
          Machine("s1", kClassSlave, -200, 3),      Machine("s2", kClassSlave, 300, 4),
          Machine("i1", kClassIndependent, 50, 5),  Machine("c1", kClassClient, 1500, 6)};
}

// The same with a client that never answered.
std::vector<MachineResult> Fleet() {
  std::vector<MachineResult> machines = Answering();
  machines.push_back(Machine("c2", kClassClient, 0, 7, 10060));
  return machines;
}

SummaryRecord Summary(const std::vector<MachineResult>& machines, const CheckPolicy& policy = CheckPolicy(),
                      bool referenceAnswered = true) {
  return ComputeSummary(machines, policy, kTime, kReference, referenceAnswered);
}

uint32_t Ipv4(uint8_t lastByte) { return 127u | uint32_t(lastByte) << 24; }

TEST(CheckSummary, GathersTheMachinesThatAnsweredPerClass) {
  SummaryRecord record = Summary(Fleet());
  EXPECT_EQ(record.time, kTime);
  EXPECT_EQ(record.referenceTime, kReference);
  EXPECT_EQ(record.counts, (std::array<uint32_t, 5>{6, 2, 2, 1, 1}));
  EXPECT_EQ(record.unansweredMachines, 1u);
  // Masters 110, slaves 50, independents 50, clients 1500, total 1870 / 6.
  EXPECT_EQ(record.averages, (std::array<int64_t, 5>{110, 50, 50, 1500, 312}));
  EXPECT_EQ(record.worst, (std::array<int64_t, 4>{120, 300, 50, 1500}));
  EXPECT_EQ(record.slowestClock, kReference - 200 * kMs);
  EXPECT_EQ(record.fastestClock, kReference + 1500 * kMs);
  // The six slots: slowest, fastest, then the worst of each class.
  const uint8_t owners[] = {3, 6, 2, 4, 5, 6};
  for (size_t slot = 0; slot < 6; ++slot) {
    EXPECT_EQ(record.addresses[slot].family, 2) << slot;
    EXPECT_EQ(record.addresses[slot].port, 10970) << slot;
    EXPECT_EQ(record.addresses[slot].ipv4, Ipv4(owners[slot])) << slot;
  }
  EXPECT_EQ(EncodeSummary(record).size(), 328u);
}

TEST(CheckSummary, NoAnswerAtAllLeavesEmptyClassesAndSlotsAndPassesNothing) {
  SummaryRecord record = Summary({Machine("c2", kClassClient, 0, 7, 10060)});
  EXPECT_EQ(record.counts, (std::array<uint32_t, 5>{}));
  EXPECT_EQ(record.averages, (std::array<int64_t, 5>{}));
  EXPECT_EQ(record.slowestClock, 0);
  for (const SummaryAddress& slot : record.addresses) EXPECT_EQ(slot.family, 0);
  EXPECT_EQ(record.status, kCheckUnknown);
}

// A check that could not measure something is never stored as passed: a failed test still makes
// it an alert, anything else unmeasured makes it unknown, and the stored bytes say what.
TEST(CheckSummary, WhatCouldNotBeMeasuredMakesTheCheckUnknownUnlessATestFails) {
  CheckPolicy lenient{true, 5000, true, 5000, true, 5000};
  std::vector<MachineResult> allDown = {Machine("a", kClassMaster, 0, 1, 10060), Machine("b", kClassClient, 0, 2, 11001)};
  struct Case {
    const char* what;
    std::vector<MachineResult> machines;
    CheckPolicy policy;
    bool referenceAnswered;
    uint32_t status, unanswered;
    const char* unmeasured;
  } cases[] = {
      {"everything measured", Answering(), lenient, true, kCheckQuiet, 0, ""},
      {"one of seven did not answer", Fleet(), lenient, true, kCheckUnknown, 1, "1 of 7 machines did not answer"},
      {"one did not answer and a test fails", Fleet(), CheckPolicy(), true, kCheckAlert, 1, "1 of 7 machines did not answer"},
      {"none answered", allDown, lenient, true, kCheckUnknown, 2, "none of the 2 machines answered"},
      {"the only machine did not answer", {allDown[0]}, lenient, true, kCheckUnknown, 1, "the machine did not answer"},
      {"no machine listed", {}, lenient, true, kCheckUnknown, 0, "no machine was checked"},
      {"the reference did not answer", Answering(), lenient, false, kCheckUnknown, 0,
       "the reference clock did not answer"},
      {"neither", allDown, lenient, false, kCheckUnknown, 2,
       "none of the 2 machines answered; the reference clock did not answer"},
  };
  for (const Case& c : cases) {
    SummaryRecord record = Summary(c.machines, c.policy, c.referenceAnswered);
    EXPECT_EQ(record.status, c.status) << c.what;
    EXPECT_EQ(record.unansweredMachines, c.unanswered) << c.what;
    EXPECT_EQ(UnmeasuredText(record), c.unmeasured) << c.what;
    SummaryRecord stored = DecodeSummary(EncodeSummary(record).data());
    EXPECT_EQ(stored.unansweredMachines, c.unanswered) << c.what;
    EXPECT_EQ(stored.checkFlags, c.referenceAnswered ? 0 : kCheckReferenceUnanswered) << c.what;
    EXPECT_EQ(JudgeCheckStatus(stored), c.status) << c.what;
    EXPECT_EQ(CheckRaisesAlert(record), c.status != kCheckQuiet) << c.what;
  }
}

// Variances are judged by their size: machines running behind fail the tests as those running ahead do.
TEST(CheckSummary, MachinesBehindFailTheTestsAsThoseAhead) {
  CheckPolicy policy{true, 1000, true, 750, true, 500};
  struct Case {
    const char* what;
    std::vector<MachineResult> machines;
    uint32_t status;
  } cases[] = {
      {"a slave 600 ms behind", {Machine("m", kClassMaster, 0, 1), Machine("s", kClassSlave, -600, 2)}, kCheckAlert},
      {"a slave 400 ms behind", {Machine("m", kClassMaster, 0, 1), Machine("s", kClassSlave, -400, 2)}, kCheckQuiet},
      {"a master 1500 ms behind", {Machine("m", kClassMaster, 0, 1), Machine("n", kClassMaster, -1500, 2)}, kCheckAlert},
      {"a client 1000 ms behind", {Machine("m", kClassMaster, 0, 1), Machine("c", kClassClient, -1000, 2)}, kCheckAlert},
      {"everything 800 ms behind", {Machine("i", kClassIndependent, -800, 1)}, kCheckAlert},
  };
  for (const Case& c : cases) {
    SummaryRecord record = Summary(c.machines, policy);
    EXPECT_EQ(record.status, c.status) << c.what;
    EXPECT_EQ(record.status == kCheckAlert, CheckFailsATest(record)) << c.what;
  }
}

TEST(CheckSummary, StatusIsAnAlertExactlyWhenAnEnabledTestFails) {
  // The fleet: slaves' average 50, worst magnitude 1500, total average 312.
  struct Case {
    const char* what;
    CheckPolicy policy;
    uint32_t status;
  } cases[] = {
      {"all within", {true, 1501, true, 313, true, 51}, kCheckQuiet},
      {"worst equal to the single limit", {true, 1500, true, 313, true, 51}, kCheckAlert},
      {"single test off", {false, 1, true, 313, true, 51}, kCheckQuiet},
      {"total equal to its limit passes", {true, 1501, true, 312, true, 51}, kCheckQuiet},
      {"total over its limit", {true, 1501, true, 311, true, 51}, kCheckAlert},
      {"total test off", {true, 1501, false, 1, true, 51}, kCheckQuiet},
      {"slaves' average equal to the limit", {true, 1501, true, 313, true, 50}, kCheckAlert},
      {"slave test off", {true, 1501, true, 313, false, 1}, kCheckQuiet},
      {"the defaults: the client is 1500 ms off", CheckPolicy(), kCheckAlert},
  };
  for (const Case& c : cases) {
    SummaryRecord record = Summary(Answering(), c.policy);
    EXPECT_EQ(record.status, c.status) << c.what;
    EXPECT_EQ(record.limitUnit, 0u) << c.what;
    EXPECT_EQ(record.singleLimit, c.policy.singleLimit) << c.what;
    EXPECT_EQ(record.slaveTest, c.policy.slaveTest) << c.what;
  }
}

TEST(CheckSummary, ExtremeVariancesNeitherOverflowNorWrap) {
  std::vector<MachineResult> machines = {Machine("a", kClassMaster, 0, 1), Machine("b", kClassMaster, 0, 2)};
  machines[0].variance = INT64_MAX;
  machines[1].variance = INT64_MIN;
  SummaryRecord record = Summary(machines);
  EXPECT_EQ(record.fastestClock, INT64_MAX);
  EXPECT_EQ(record.slowestClock, kReference + INT64_MIN);
  EXPECT_EQ(record.status, kCheckAlert);
}

TEST(CheckSummary, MillisecondsRoundHalfAwayFromZero) {
  struct Case {
    int64_t in, out;
  } cases[] = {{0, 0}, {4999, 0}, {5000, 1}, {-4999, 0}, {-5000, -1}, {15000, 2}, {INT64_MAX, 922337203685478},
               {INT64_MIN, -922337203685478}};
  for (const Case& c : cases) EXPECT_EQ(RoundToMilliseconds(c.in), c.out) << c.in;
}

TimeSample Sample(int64_t deltaMs, uint32_t errorCode = 0) {
  TimeSample sample;
  sample.delta = deltaMs * kMs;
  sample.errorCode = errorCode;
  return sample;
}

TEST(CheckReference, MeansOfGoodSamplesAndOfSources) {
  struct Case {
    SampleSet samples;
    bool found;
    int64_t mean;
  } runs[] = {
      {{Sample(10), Sample(20), Sample(900, 10060)}, true, 15 * kMs},
      {{Sample(5, 1115)}, false, 0},
      {{}, false, 0},
      {{Sample(0), Sample(0)}, true, 0},
  };
  for (const Case& c : runs) {
    int64_t mean = -1;
    EXPECT_EQ(MeanDelta(c.samples, &mean), c.found) << c.samples.size();
    if (c.found) {
      EXPECT_EQ(mean, c.mean);
    }
  }
  TimeSample huge;
  huge.delta = INT64_MAX;
  int64_t bounded = 0;
  ASSERT_TRUE(MeanDelta({huge, huge}, &bounded));
  EXPECT_EQ(bounded, 10000000LL * 86400 * 36525);

  struct Reference {
    std::vector<int64_t> deltas;
    bool analyze;
    int64_t delta;
  } references[] = {{{}, true, 0}, {{}, false, 0}, {{30, 10}, true, 20}, {{30, 10}, false, 30}, {{7}, true, 7}};
  for (const Reference& r : references) EXPECT_EQ(ReferenceDelta(r.deltas, r.analyze), r.delta) << r.deltas.size();
  struct Type {
    uint32_t type;
    bool sources;
  } types[] = {{0, false}, {1, false}, {2, true}, {3, true}, {4, false}, {6, false}, {99, false}};
  for (const Type& t : types) EXPECT_EQ(ReferenceUsesSources(t.type), t.sources) << t.type;
}

TEST(CheckDetail, OneLinePerMachineWithItsVarianceOrItsFailure) {
  std::vector<MachineResult> machines = Fleet();
  SummaryRecord record = Summary(machines);
  std::string text = FormatCheckDetail("Thu Dec 10 2026 17:01:07", "this machine's clock", machines, record);
  EXPECT_EQ(text.rfind("Orvane Monitor check of Thu Dec 10 2026 17:01:07\r\nReference: this machine's clock\r\n"
                       "ALERT: a variance test failed; 1 of 7 machines did not answer\r\n", 0), 0u);
  EXPECT_EQ(UnansweredReasons(machines), "c2: timed out");
  struct Case {
    const char* name;
    const char* role;
    const char* address;
    const char* result;
  } cases[] = {
      {"m1", "Master", "127.0.0.1:10970", "+100.000 ms"}, {"s1", "Slave", "127.0.0.3:10970", "-200.000 ms"},
      {"i1", "Independent server", "127.0.0.5:10970", "+50.000 ms"},
      {"c2", "Client", "-", "No answer: timed out"},
  };
  for (const Case& c : cases) {
    size_t at = text.find("\r\n" + std::string(c.name) + " ");
    ASSERT_NE(at, std::string::npos) << c.name;
    std::string line = text.substr(at + 2, text.find("\r\n", at + 2) - at - 2);
    EXPECT_EQ(line.substr(33, 20).find(c.role), 0u) << line;
    EXPECT_EQ(line.substr(54, 25).find(c.address), 0u) << line;
    EXPECT_EQ(line.substr(79), c.result) << line;
  }
  struct Variance {
    int64_t value;
    const char* text;
  } variances[] = {{0, "+0.000 ms"}, {-5, "-0.000 ms"}, {12345678, "+1234.567 ms"}, {-10000, "-1.000 ms"},
                   {INT64_MIN, "-922337203685477.580 ms"}};
  for (const Variance& v : variances) EXPECT_EQ(FormatVariance(v.value), v.text) << v.value;
}

}  // namespace

namespace {

TEST(CheckDetail, MailBodiesCarryTheTextNotMarkup) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"plain", "plain"}, {"<b>&x</b>", "&lt;b&gt;&amp;x&lt;/b&gt;"}, {"", ""}};
  for (const Case& c : cases) EXPECT_EQ(EscapeHtml(c.in), c.out) << c.in;
}

}  // namespace
