// The monitored machines' list and the retention rules.
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

std::vector<StoredCheckKey> Keys(const std::vector<uint32_t>& times, uint32_t afterJump = 0) {
  std::vector<StoredCheckKey> keys;
  for (uint32_t time : times) keys.push_back({time, time == afterJump});
  return keys;
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
  for (const Case& c : cases)
    EXPECT_EQ(RecordsToRemove(Keys(stored), now, {c.days, c.records, 720 * 60}), c.removed) << c.days;
  // A retention longer than the clock has run removes nothing by age.
  EXPECT_EQ(RecordsToRemove(Keys({5, 6}), 100, {1825, 9999, 60}), std::vector<uint32_t>{});
}

// The clock of a store checked every minute until T jumps by a day or ten years, either way, for one
// check (then is set right) or for good. Keys keep the order checks were made in, nothing is aged
// by a jump, and keys stamped ahead by a clock since set right neither hold later keys in the
// future nor outlive real checks.
const uint32_t kT = 1765000000, kDay = 86400, kTenYears = 3652 * 86400;

TEST(Retention, ANewCheckKeepsTheStoreInOrderWhateverTheClockDid) {
  std::vector<uint32_t> regular = {kT - 180, kT - 120, kT - 60, kT};
  struct Case {
    const char* what;
    std::vector<StoredCheckKey> stored;
    uint32_t now;
    uint32_t key;
    bool afterJump;
  } cases[] = {
      {"a minute on", Keys(regular), kT + 60, kT + 60, false},
      {"the same second", Keys(regular), kT, kT + 1, false},
      {"set back 30 s", Keys(regular), kT - 30, kT + 1, false},
      {"set back a day", Keys(regular), kT - kDay, kT + 1, false},
      {"set back ten years", Keys(regular), kT - kTenYears, kT + 1, false},
      {"on a day", Keys(regular), kT + kDay, kT + kDay, true},
      {"on ten years", Keys(regular), kT + kTenYears, kT + kTenYears, true},
      {"a day ahead for one check, then right", Keys({kT - 60, kT, kT + kDay}, kT + kDay), kT + 60, kT + 60, false},
      {"ten years ahead for two checks, then right", Keys({kT - 60, kT, kT + kTenYears, kT + kTenYears + 60}, kT + kTenYears),
       kT + 60, kT + 60, false},
      {"a day behind for two checks", Keys({kT - 60, kT, kT + 1, kT + 2}), kT - kDay + 120, kT + 3, false},
      {"ten years ahead, set right, then ten years behind", Keys({kT - 60, kT + kTenYears, kT + 60}, kT + kTenYears),
       kT - kTenYears, kT + 61, false},
      {"an empty store", {}, kT, kT, false},
      {"no key left", Keys({0xFFFFFFFF}), kT, 0, false},
  };
  for (const Case& c : cases) {
    CheckKey key = ChooseCheckKey(c.stored, c.now, 60);
    EXPECT_EQ(key.time, c.key) << c.what;
    EXPECT_EQ(key.afterJump, c.afterJump) << c.what;
  }
  // A half-day period: checks half a day apart are no jump, a clock a day behind is no excursion.
  EXPECT_FALSE(ChooseCheckKey(Keys({kT - kDay / 2}), kT, 720 * 60).afterJump);
  EXPECT_EQ(ChooseCheckKey(Keys({kT - kDay, kT - kDay / 2, kT}), kT - kDay, 720 * 60).time, kT + 1);
}

TEST(Retention, NoClockJumpAgesTheStore) {
  // Kept by age: a check 29.5 days old at T; retention 30 days, 50 records, a check a minute.
  const uint32_t old = kT - 29 * kDay - kDay / 2;
  struct Case {
    const char* what;
    std::vector<StoredCheckKey> stored;
    uint32_t now;
    uint32_t records;
    std::vector<uint32_t> removed;
  } cases[] = {
      {"a day on: that check ages a day", Keys({old, kT, kT + kDay}), kT + kDay, 50, {old}},
      {"jumped a day ahead", Keys({old, kT, kT + kDay}, kT + kDay), kT + kDay, 50, {}},
      {"jumped ten years ahead", Keys({old, kT, kT + kTenYears}, kT + kTenYears), kT + kTenYears, 50, {}},
      {"ten years ahead for good", Keys({old, kT, kT + kTenYears, kT + kTenYears + 60}, kT + kTenYears),
       kT + kTenYears + 60, 50, {}},
      {"ten years ahead for good, then a real month", Keys({old, kT, kT + kTenYears, kT + kTenYears + 31 * kDay}, kT + kTenYears),
       kT + kTenYears + 31 * kDay, 50, {old, kT, kT + kTenYears}},
      {"set back a day", Keys({old, kT, kT + 1}), kT - kDay, 50, {}},
      {"set back ten years", Keys({old, kT, kT + 1}), kT - kTenYears, 50, {}},
      {"a day ahead, set right: the stranded check goes first by count", Keys({old, kT, kT + kDay, kT + 60}, kT + kDay),
       kT + 60, 3, {kT + kDay}},
      {"ten years ahead, set right", Keys({old, kT, kT + kTenYears, kT + 60}, kT + kTenYears), kT + 60, 2,
       {old, kT + kTenYears}},
      {"set back ten years: the oldest goes by count", Keys({old, kT, kT + 1}), kT - kTenYears, 2, {old}},
  };
  for (const Case& c : cases) EXPECT_EQ(RecordsToRemove(c.stored, c.now, {30, c.records, 60}), c.removed) << c.what;
}

}  // namespace
