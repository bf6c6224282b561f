// Converting older registry layouts before a settings load.
#include "monitor/settings_upgrade.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "monitor/data_store.h"
#include "monitor/old_settings.h"
#include "monitor/settings.h"
#include "monitor/settings_schema.h"
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

// The block's values written as the record's; the sender and the recipients stay the very texts
// the block held (a reading as mailboxes could change them).
void WriteOldValues(const OldSettings& old) {
  CMonitorSettings s;
  s.singleTest = old.singleTest;
  s.totalTest = old.totalTest;
  s.slaveTest = old.slaveTest;
  s.summariesEnabled = old.summariesEnabled;
  s.eventLogEnabled = old.eventLogEnabled;
  s.appletPopup = old.appletPopup;
  s.summariesFrequency = old.summariesFrequency;
  s.checkFrequency = old.checkFrequency;
  s.singleLimit = old.singleLimit;
  s.totalLimit = old.totalLimit;
  s.slaveLimit = old.slaveLimit;
  s.logging.eventLogLevel = 3;
  s.summariesLevel = old.summariesLevel;
  s.sortByVariance = old.sortByVariance;
  s.mailFormat = old.mailFormat;
  s.mailServer = old.mailServer;
  s.mailEnabled = old.MailEnabled();
  s.referenceClockType = old.referenceClockType;
  s.referenceClocks = old.referenceClocks;
  SaveSettingsFields(s, {&s.singleTest, &s.totalTest, &s.slaveTest, &s.summariesEnabled, &s.eventLogEnabled,
                         &s.appletPopup, &s.summariesFrequency, &s.checkFrequency, &s.singleLimit, &s.totalLimit,
                         &s.slaveLimit, &s.logging.eventLogLevel, &s.summariesLevel, &s.sortByVariance,
                         &s.mailFormat, &s.mailServer, &s.mailEnabled, &s.referenceClockType, &s.referenceClocks});
  std::vector<SettingsValue> schema = SettingsSchema(s);
  const SettingsValue* from = FindSettingsValue(schema, &s.mailSenderAddress);
  const SettingsValue* to = FindSettingsValue(schema, &s.mailTo);
  WriteRegistryString(from->subkey, from->name, old.mailFrom);
  WriteRegistryList(to->subkey, to->name, old.mailTo);
}

// The discovery schema's value of the custom broadcast list.
RegistryValue CustomBroadcastListValue(NetworkDiscoverySettings& discovery) {
  for (const RegistryValue& value : DiscoverySchema(discovery)) {
    auto list = std::get_if<std::vector<std::string>*>(&value.field);
    if (list && *list == &discovery.ipv4BroadcastCustomList) return value;
  }
  return {};
}

// The broadcast list moves to the custom broadcast list, taken from the Manager when it is in use.
void ConvertOldBroadcastList(bool useManagerSettings) {
  NetworkDiscoverySettings discovery;
  RegistryValue custom = CustomBroadcastListValue(discovery);
  WriteRegistryBool("", kUseManagerSettings, useManagerSettings);
  std::vector<std::string>& list = discovery.ipv4BroadcastCustomList;
  list.clear();
  if (useManagerSettings) {
    ReadRegistryList(kManagerParametersKey, "Broadcast Addresses", &list);
    if (list.empty()) ReadRegistryList(kManagerParametersKey, custom.name, &list);
  } else {
    ReadRegistryList("", "Broadcast Addresses", &list);
  }
  if (list.empty()) list.push_back("255.255.255.255");
  SaveRegistryField(custom);
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
