// What the Setup page shows of the settings record and what it stores back: the two schedule
// lists, the summaries and their detail level, the network choices and the retention edits
// with their clamps, and which controls are enabled.
#pragma once
#include <cstdint>
#include <string>

struct CMonitorSettings;

// One entry of a drop-down list: its text and its item data.
struct ListChoice {
  const char* text;
  uint32_t data;
};

// "Monitor should check the network": entries in order, data in minutes.
extern const ListChoice kCheckFrequencies[11];
// "Send email summaries" schedule: entries in order, data the stored "Frequency" code.
extern const ListChoice kSummarySchedules[11];
// The position of the entry whose data is data, or -1 when none has it.
int ChoiceIndex(const ListChoice (&choices)[11], uint32_t data);

// The state of the page's controls.
struct SetupControls {
  int frequencyIndex = -1;  // selected entry of kCheckFrequencies, -1 for none
  int scheduleIndex = -1;   // selected entry of kSummarySchedules, -1 for none
  bool summaries = false;
  uint32_t level = 2;  // the checked detail button: 2 all, 1 errors only, 0 none
  bool useManager = false;
  bool dnsLookups = false;
  bool sortByVariance = true;
  std::string days;     // text of "for up to ... days"
  std::string records;  // text of "Save up to ... histories"

  bool operator==(const SetupControls&) const = default;
};

// Which controls the page enables.
struct SetupEnablement {
  bool summaryOptions = false;     // the detail buttons and the schedule list
  bool discoverySettings = false;  // "Settings..."

  bool operator==(const SetupEnablement&) const = default;
};

// The controls for the record; summaries show checked only while mail is configured.
SetupControls SetupControlsFor(const CMonitorSettings& settings, bool mailConfigured);
// Stores the controls into the record with every clamp; a list without a selection keeps the
// record's value, summaries stay off while mail is not configured.
void StoreSetupControls(const SetupControls& controls, bool mailConfigured, CMonitorSettings* settings);
// The enablement for the summaries box and the "Customize" button.
SetupEnablement SetupEnablementFor(bool summariesChecked, bool customizeChecked);

// Days kept: 0 becomes 1, above 1825 becomes 1825.
uint32_t ClampRetentionDays(uint32_t days);
// Histories kept: 0 becomes 1, above 9999 becomes 9999.
uint32_t ClampRetentionRecords(uint32_t records);
