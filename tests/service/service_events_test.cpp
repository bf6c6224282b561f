// The service's events: the message table's entries, the events a stored check makes, and their
// texts with the inserts in place.
#include "service/service_events.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using K = ServiceEventKind;

const uint32_t kTime = 1700000000;  // 2023-11-14T22:13:20Z

MachineResult Machine(const char* name, MachineClass role, int64_t varianceMs, uint32_t errorCode = 0) {
  MachineResult machine;
  machine.name = name;
  machine.role = role;
  machine.variance = varianceMs * 10000;
  machine.errorCode = errorCode;
  machine.errorText = errorCode ? "timed out" : "";
  return machine;
}

std::vector<K> Kinds(const std::vector<ServiceEvent>& events) {
  std::vector<K> kinds;
  for (const ServiceEvent& event : events) kinds.push_back(event.kind);
  return kinds;
}

TEST(ServiceEventTable, EveryKindHasItsOwnIdCategoryAndInserts) {
  const std::vector<ServiceEventInfo>& table = ServiceEventTable();
  ASSERT_EQ(table.size(), size_t(K::kMessage) + 1);
  std::set<uint32_t> ids;
  for (size_t i = 0; i < table.size(); ++i) {
    const ServiceEventInfo& info = table[i];
    EXPECT_EQ(size_t(info.kind), i) << info.id;
    EXPECT_TRUE(ids.insert(info.id).second) << "ID " << info.id << " twice";
    EXPECT_GT(info.id, kEventCategoryCount) << "an event ID is no category's";
    EXPECT_LT(info.id, 0x10000u) << "Event Viewer shows 16 bits";
    EXPECT_GE(info.category, 1u);
    EXPECT_LE(info.category, kEventCategoryCount);
    std::string text = info.text;
    for (uint32_t n = 1; n <= 9; ++n)
      EXPECT_EQ(text.find("%" + std::to_string(n)) != std::string::npos, n <= info.inserts) << info.id << " %" << n;
    EXPECT_EQ(text.find('\n'), std::string::npos) << "one line: " << info.id;
    EXPECT_EQ(&EventInfo(info.kind), &info);
  }
  // What an administrator alerts on is an error; an alert mail that failed and a refused store too.
  for (K kind : {K::kCheckAlerted, K::kMachinesUnanswered, K::kReferenceUnanswered, K::kMailFailed, K::kStoreRefused}) {
    EXPECT_EQ(EventInfo(kind).level, kLogError) << EventInfo(kind).id;
    EXPECT_TRUE(EventInfo(kind).summary) << EventInfo(kind).id;
  }
}

TEST(ServiceEventTable, TextsTakeTheirInsertsLiterally) {
  ServiceEvent event = StoreRefusedEvent("C:\\data\\", "a %1 in a name");
  EXPECT_EQ(FormatEventText(event), "The Orvane Monitor service wrote nothing to C:\\data\\: a %1 in a name.");
  event.inserts.pop_back();
  EXPECT_EQ(FormatEventText(event), "The Orvane Monitor service wrote nothing to C:\\data\\: .");
  EXPECT_EQ(FormatEventText(MessageEvent(kLogWarning, "50% done")), "50% done");
  EXPECT_EQ(MessageEvent(kLogWarning, "x").level, kLogWarning);
  EXPECT_EQ(FormatEventText(ServiceStoppedEvent(12, 3)),
            "The Orvane Monitor service stopped after 12 checks since it started, 3 of which raised an alert.");
  EXPECT_EQ(FormatEventText(MailSentEvent(kTime, "mail.example.com:25", 2)),
            "The alert mail of the check at 2023-11-14T22:13:20Z was sent through mail.example.com:25 to 2 recipients.");
}

TEST(ServiceEventTable, AStoredCheckSaysWhatItFoundInItsOwnEvents) {
  CheckPolicy strict;  // a client 1500 ms off fails the single-machine limit of 1000 ms
  CheckPolicy loose;
  loose.singleLimit = 5000;
  loose.totalLimit = 5000;
  std::vector<MachineResult> answering = {Machine("m1", kClassMaster, 100), Machine("c1", kClassClient, 1500)};
  std::vector<MachineResult> silent = answering;
  silent.push_back(Machine("c2", kClassClient, 0, 10060));
  std::vector<MachineResult> none = {Machine("m1", kClassMaster, 0, 10060)};
  const struct {
    const char* what;
    std::vector<MachineResult> machines;
    CheckPolicy policy;
    bool referenceAnswered;
    std::vector<K> kinds;
    std::string first;  // the first event's text
  } cases[] = {
      {"all answered, tests passed", answering, loose, true, {K::kCheckPassed},
       "Check of 2 machines at 2023-11-14T22:13:20Z: 2 answered, average variance 800 ms, worst variance 1500 ms; "
       "all enabled variance tests passed."},
      {"a test failed", answering, strict, true, {K::kCheckAlerted},
       "Check of 2 machines at 2023-11-14T22:13:20Z: 2 answered, average variance 800 ms, worst variance 1500 ms; "
       "ALERT: At least one machine's variance exceeds 1000 ms; Total system variance exceeds 750 ms."},
      {"a test failed and a machine was silent", silent, strict, false,
       {K::kCheckAlerted, K::kMachinesUnanswered, K::kReferenceUnanswered}, ""},
      {"a machine was silent", silent, loose, true, {K::kMachinesUnanswered},
       "Check at 2023-11-14T22:13:20Z: UNKNOWN: 1 of 3 machines did not answer (c2: timed out)."},
      {"the reference was silent", answering, loose, false, {K::kReferenceUnanswered},
       "Check at 2023-11-14T22:13:20Z: UNKNOWN: the reference clock did not answer (ref1: timed out); the variances "
       "were taken against this machine's clock."},
      {"nothing answered", none, loose, false, {K::kMachinesUnanswered, K::kReferenceUnanswered},
       "Check at 2023-11-14T22:13:20Z: UNKNOWN: the machine did not answer (m1: timed out)."},
      {"no machine listed", {}, loose, true, {K::kMachinesUnanswered},
       "Check at 2023-11-14T22:13:20Z: UNKNOWN: no machine was checked (\"Monitored Machines\" lists no machine)."},
  };
  for (const auto& c : cases) {
    SummaryRecord record = ComputeSummary(c.machines, c.policy, kTime, 0, c.referenceAnswered);
    std::vector<ServiceEvent> events = CheckEvents(record, c.machines, "ref1: timed out");
    EXPECT_EQ(Kinds(events), c.kinds) << c.what;
    if (!c.first.empty() && !events.empty()) {
      EXPECT_EQ(FormatEventText(events[0]), c.first) << c.what;
    }
    for (const ServiceEvent& event : events) {
      EXPECT_EQ(event.level, EventInfo(event.kind).level) << c.what;
      EXPECT_EQ(event.inserts.size(), EventInfo(event.kind).inserts) << c.what;
    }
  }
  // An alert's gaps carry the alert's word.
  SummaryRecord alert = ComputeSummary(silent, strict, kTime, 0, false);
  std::vector<ServiceEvent> events = CheckEvents(alert, silent, "ref1: timed out");
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(FormatEventText(events[1]), "Check at 2023-11-14T22:13:20Z: ALERT: 1 of 3 machines did not answer (c2: timed out).");
  EXPECT_EQ(events[2].inserts[1], "ALERT");
}

TEST(ServiceEventTable, UnansweredMachinesAreCountedByRole) {
  std::vector<MachineResult> machines = {Machine("m1", kClassMaster, 0, 10060), Machine("m2", kClassMaster, 5),
                                         Machine("c1", kClassClient, 0, 10060), Machine("c2", kClassClient, 0, 1460),
                                         Machine("i1", kClassIndependent, 0, 87)};
  EXPECT_EQ(UnansweredPerClass(machines), (std::array<uint32_t, 4>{1, 0, 1, 2}));
  EXPECT_EQ(UnansweredPerClass({}), (std::array<uint32_t, 4>{}));
}

}  // namespace
