#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/monitored_machines.h"
#include "service/retention.h"

namespace {

TEST(MonitoredMachines, ARoleWordThenTheTimeSourceLine) {
  struct Case {
    const char* line;
    bool valid;
    MachineClass role;
    const char* source;
  } cases[] = {
      {"master server 127.0.0.1 protocol ov2 port 10970", true, kClassMaster, "server 127.0.0.1 protocol ov2 port 10970"},
      {"  SLAVE\tserver a.example ", true, kClassSlave, "server a.example"},
      {"Independent server b", true, kClassIndependent, "server b"},
      {"client server c", true, kClassClient, "server c"},
      {"clients server c", false, kClassIndependent, ""},
      {"master", false, kClassIndependent, ""},
      {"master    ", false, kClassIndependent, ""},
      {"", false, kClassIndependent, ""},
      {"server 127.0.0.1", false, kClassIndependent, ""},
  };
  for (const Case& c : cases) {
    MachineLine machine;
    EXPECT_EQ(ParseMachineLine(c.line, &machine), c.valid) << c.line;
    if (!c.valid) continue;
    EXPECT_EQ(machine.role, c.role) << c.line;
    EXPECT_EQ(machine.source, c.source) << c.line;
  }
  EXPECT_STREQ(MachineClassName(kClassIndependent), "Independent server");
}

TEST(Retention, ExpiredRecordsGoThenTheOldestBeyondTheCount) {
  const uint32_t day = 86400, now = 1765000000;
  std::vector<uint32_t> stored = {now - 1, now - 40 * day, now - 2 * day, now - 31 * day, now - 30 * day};
  struct Case {
    uint32_t days, records;
    std::vector<uint32_t> removed;
  } cases[] = {
      {30, 50, {now - 40 * day, now - 31 * day}},
      {30, 2, {now - 40 * day, now - 31 * day, now - 30 * day}},
      {1825, 1, {now - 40 * day, now - 31 * day, now - 30 * day, now - 2 * day}},
      {1825, 9999, {}},
      {1, 50, {now - 40 * day, now - 31 * day, now - 30 * day, now - 2 * day}},
  };
  for (const Case& c : cases) EXPECT_EQ(RecordsToRemove(stored, now, c.days, c.records), c.removed) << c.days;
  // A retention longer than the clock has run removes nothing by age.
  EXPECT_EQ(RecordsToRemove({5, 6}, 100, 1825, 9999), std::vector<uint32_t>{});
}

}  // namespace
