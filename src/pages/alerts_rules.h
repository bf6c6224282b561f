// What the Alerts page shows of the settings record and what it stores back: the three
// variance tests and their limits, the alert actions, the sound with its repeat interval,
// and which controls are enabled.
#pragma once
#include <cstdint>
#include <string>

struct CMonitorSettings;

// The state of the page's controls.
struct AlertsControls {
  bool slaveTest = false;
  std::string slaveLimit;  // milliseconds, as typed
  bool singleTest = false;
  std::string singleLimit;
  bool totalTest = false;
  std::string totalLimit;
  bool eventLog = false;
  bool eventSummaryOnly = false;
  bool mail = false;
  bool mailHighPriority = false;
  bool appletPopup = false;
  bool audio = false;
  std::string audioFile;
  bool repeat = false;         // "Repeat every": acknowledgement required
  std::string repeatSeconds;   // seconds, as typed

  bool operator==(const AlertsControls&) const = default;
};

// Which controls the page enables.
struct AlertsEnablement {
  bool mailHighPriority = false;
  bool eventSummaryOnly = false;
  bool audioOptions = false;  // file name, Browse, Repeat every, its seconds and their unit text

  bool operator==(const AlertsEnablement&) const = default;
};

// The controls for the record; mail shows checked only while mail is configured, the sound
// only while a file is named.
AlertsControls AlertsControlsFor(const CMonitorSettings& settings, bool mailConfigured);
// Stores the controls into the record with every clamp. Mail stays off while mail is not
// configured, the sound while no file is named; a repeat interval the user left as shown
// keeps its milliseconds.
void StoreAlertsControls(const AlertsControls& controls, bool mailConfigured, CMonitorSettings* settings);
// The enablement for the mail, event log and sound boxes.
AlertsEnablement AlertsEnablementFor(bool mailChecked, bool eventLogChecked, bool audioChecked);

// A limit in milliseconds: 0 becomes 1, above 1,000,000 becomes 1,000,000.
uint32_t ClampAlertLimit(uint32_t milliseconds);
// The repeat interval in milliseconds for seconds typed: 1 to 14,400 seconds.
uint32_t RepeatMilliseconds(uint32_t seconds);
// Whether a sound file name names something: not empty and not only blanks.
bool NamesSoundFile(const std::string& fileName);
