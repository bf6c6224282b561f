// The Setup page's controls record: filled from the settings and stored back.
#include "pages/setup_rules.h"

#include <algorithm>

#include "monitor/settings.h"
#include "platform/text_numbers.h"

const ListChoice kCheckFrequencies[11] = {
    {"Every Five Minutes", 5},    {"Every Ten Minutes", 10},  {"Every Fifteen Minutes", 15},
    {"Every Thirty Minutes", 30}, {"Once Each Hour", 60},     {"Every Two Hours", 120},
    {"Every Six Hours", 360},     {"Every Twelve Hours", 720}, {"Once Each Day", 1440},
    {"Every Other Day", 2880},    {"Once Every Five Days", 7200},
};

const ListChoice kSummarySchedules[11] = {
    {"Every Day", 0},  {"Sundays", 1},   {"Mondays", 2},   {"Tuesdays", 3},
    {"Wednesdays", 4}, {"Thursdays", 5}, {"Fridays", 6},   {"Saturdays", 7},
    {"First and Fifteenth", 8}, {"Monday, Wednesday, Friday", 9}, {"Tuesday, Thursday", 10},
};

int ChoiceIndex(const ListChoice (&choices)[11], uint32_t data) {
  for (int i = 0; i < 11; ++i)
    if (choices[i].data == data) return i;
  return -1;
}

namespace {

uint32_t ChosenData(const ListChoice (&choices)[11], int index, uint32_t kept) {
  return index >= 0 && index < 11 ? choices[index].data : kept;
}

}  // namespace

SetupControls SetupControlsFor(const CMonitorSettings& s, bool mailConfigured) {
  SetupControls c;
  c.frequencyIndex = ChoiceIndex(kCheckFrequencies, s.checkFrequency);
  c.scheduleIndex = ChoiceIndex(kSummarySchedules, s.summariesFrequency);
  c.summaries = s.summariesEnabled && mailConfigured;
  c.level = s.summariesLevel < 2 ? s.summariesLevel : 2;
  c.useManager = s.discovery.useManagerSettings;
  c.dnsLookups = s.dnsLookupsEnabled;
  c.sortByVariance = s.sortByVariance;
  c.days = std::to_string(s.retentionDays);
  c.records = std::to_string(s.retentionRecords);
  return c;
}

void StoreSetupControls(const SetupControls& c, bool mailConfigured, CMonitorSettings* s) {
  s->checkFrequency = ChosenData(kCheckFrequencies, c.frequencyIndex, s->checkFrequency);
  s->summariesFrequency = ChosenData(kSummarySchedules, c.scheduleIndex, s->summariesFrequency);
  s->summariesEnabled = c.summaries && mailConfigured;
  s->summariesLevel = c.level;
  s->discovery.useManagerSettings = c.useManager;
  s->dnsLookupsEnabled = c.dnsLookups;
  s->retentionDays = ClampRetentionDays(StrToUl32(c.days, 10));
  s->retentionRecords = ClampRetentionRecords(StrToUl32(c.records, 10));
  s->sortByVariance = c.sortByVariance;
}

SetupEnablement SetupEnablementFor(bool summariesChecked, bool customizeChecked) {
  return SetupEnablement{summariesChecked, customizeChecked};
}

uint32_t ClampRetentionDays(uint32_t days) { return std::clamp<uint32_t>(days, 1, 1825); }

uint32_t ClampRetentionRecords(uint32_t records) { return std::clamp<uint32_t>(records, 1, 9999); }
