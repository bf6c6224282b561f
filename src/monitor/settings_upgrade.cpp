#include "monitor/settings_upgrade.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "monitor/data_store.h"
#include "monitor/old_settings.h"
#include "monitor/settings.h"
#include "monitor/summary_record.h"
#include "platform/registry.h"
#include "platform/registry_encoding.h"
#include "sampling/network_discovery_settings.h"

namespace {

const char kHistoryKey[] = "History";

// The old "History" subkey's 432-byte records, in value-index order; false without the subkey.
// *whole is cleared when a value could not be taken as a record.
bool ReadOldHistory(std::vector<std::string>* records, bool* whole) {
  HKEY key;
  std::string path = BuildSettingsKeyPath(kHistoryKey);
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  for (DWORD index = 0;; ++index) {
    char name[65];
    BYTE data[kOldSummarySize];
    DWORD nameLength = sizeof name, size = sizeof data;
    LONG result = RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, data, &size);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result == ERROR_SUCCESS && size == kOldSummarySize)
      records->emplace_back(reinterpret_cast<char*>(data), size);
    else
      *whole = false;
  }
  RegCloseKey(key);
  return true;
}

// A time for a record that carries none: now, or the next second whose file is still free.
uint32_t FreeSummaryTime(const CMonitorStore& store, uint32_t* next) {
  *next = std::max(*next, CurrentUnixSeconds());
  while (GetFileAttributesA(store.SummaryPath(*next).c_str()) != INVALID_FILE_ATTRIBUTES && *next < 0xFFFFFFFFu)
    ++*next;
  return (*next)++;
}

// Each old record becomes a summary file of its own; the subkey goes only when all of them
// were written, so that nothing the older version kept is lost.
void ConvertOldHistory(const std::string& dataFolder) {
  std::vector<std::string> records;
  bool whole = true;
  if (!ReadOldHistory(&records, &whole)) return;
  CMonitorStore store(dataFolder);
  uint32_t next = 0;
  for (const std::string& old : records) {
    SummaryRecord record = ConvertOldSummary(reinterpret_cast<const uint8_t*>(old.data()));
    if (record.time <= kEarliestSummaryTime) record.time = FreeSummaryTime(store, &next);
    whole = store.WriteSummary(&record) && whole;
  }
  if (whole) DeleteRegistryKey(kHistoryKey);
}

void WriteOldValues(const OldSettings& s) {
  WriteRegistryBool("", "Single Test", s.singleTest);
  WriteRegistryBool("", "Total Test", s.totalTest);
  WriteRegistryBool("", "Slave Test", s.slaveTest);
  WriteRegistryBool(kSummariesKey, "Enabled", s.summariesEnabled);
  WriteRegistryBool(kEventViewerKey, "Enabled", s.eventLogEnabled);
  WriteRegistryBool(kOtherAlertsKey, "CPL Popup", s.appletPopup);
  WriteRegistryDword(kSummariesKey, "Frequency", s.summariesFrequency);
  WriteRegistryDword("", "Check Frequency (minutes)", s.checkFrequency);
  WriteRegistryDword("", "Single Limit", s.singleLimit);
  WriteRegistryDword("", "Total Limit", s.totalLimit);
  WriteRegistryDword("", "Slave Limit", s.slaveLimit);
  WriteRegistryDword(kEventViewerKey, "Log Level", 3);
  WriteRegistryDword(kSummariesKey, "Level", s.summariesLevel);
  WriteRegistryBool(kSummariesKey, "Sort by Variance", s.sortByVariance);
  WriteRegistryDword(kSmtpKey, "Format", s.mailFormat);
  WriteRegistryString(kSmtpKey, "Server", s.mailServer);
  WriteRegistryString(kSmtpKey, "From", s.mailFrom);
  WriteRegistryList(kSmtpKey, "To", s.mailTo);
  WriteRegistryBool(kSmtpKey, "Enabled", s.MailEnabled());
  WriteRegistryDword("", "Reference Clock Type", s.referenceClockType);
  WriteRegistryList("", "Reference Clocks", s.referenceClocks);
}

// The broadcast list moves to "IPv4 Broadcast Custom List", taken from the Manager when it is in use.
void ConvertOldBroadcastList(bool useManagerSettings) {
  WriteRegistryBool("", "Use Manager Settings", useManagerSettings);
  std::vector<std::string> list;
  if (useManagerSettings) {
    ReadRegistryList(kManagerParametersKey, "Broadcast Addresses", &list);
    if (list.empty()) ReadRegistryList(kManagerParametersKey, "IPv4 Broadcast Custom List", &list);
  } else {
    ReadRegistryList("", "Broadcast Addresses", &list);
  }
  if (list.empty()) list.push_back("255.255.255.255");
  WriteRegistryList("", "IPv4 Broadcast Custom List", list);
  DeleteRegistryValue("", "Broadcast Addresses");
}

}  // namespace

void ConvertOldCheckResults() {
  bool old = false;
  SummaryRecord record = ReadCheckCopy(CheckCopy::kLastCheck, &old);
  if (old) WriteCheckCopy(CheckCopy::kLastCheck, record);
}

void ConvertOldSettingsLayout(const std::string& dataFolder) {
  if (!RegistryValueExists("", "Settings")) return;
  DeleteRegistryValue("", "Include NTP Servers in Scan");
  DeleteRegistryValue("", "Include Windows Time in Scan");
  ConvertOldHistory(dataFolder);
  std::string block;
  ReadRegistryBinary("", "Settings", &block);
  DeleteRegistryValue("", "Settings");
  OldSettings old = DecodeOldSettings(block);
  WriteOldValues(old);
  ConvertOldBroadcastList(old.useManagerSettings);
}
