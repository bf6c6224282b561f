#include "monitor/settings.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "monitor/password_scramble.h"
#include "monitor/settings_upgrade.h"
#include "platform/access_lists.h"
#include "platform/guarded_files.h"
#include "platform/host_name.h"
#include "platform/registry.h"
#include "platform/registry_encoding.h"
#include "sampling/installed_product.h"
#include "sampling/keyring.h"

const char kSummariesKey[] = "\\Summaries";
const char kSmtpKey[] = "\\Logs and Alerts\\SMTP";
const char kEventViewerKey[] = "\\Logs and Alerts\\Event Viewer";
const char kOtherAlertsKey[] = "\\Logs and Alerts\\Other";
const char kAudioKey[] = "\\Logs and Alerts\\Audio";
const char kTextLogKey[] = "\\Logs and Alerts\\Text";

namespace {

const char kParameters[] = "";

uint32_t Clamp(uint32_t value, uint32_t low, uint32_t high) { return std::min(std::max(value, low), high); }

std::string TextKey(const char* subkey, const char* name) { return std::string(subkey) + "|" + name; }

// A text value; one too long for its field gives fallback and is noted as not taken.
std::string LoadText(CMonitorSettings* s, const char* subkey, const char* name, const std::string& fallback,
                     size_t maxBytes = 4096) {
  std::string text = ReadRegistryString(subkey, name, fallback, maxBytes);
  if (GetLastError() == ERROR_MORE_DATA) s->untakenTexts[TextKey(subkey, name)] = text;
  return text;
}

// Writes a text, unless it stands in for a stored one the load could not take and is unchanged.
void SaveText(const CMonitorSettings& s, const char* subkey, const char* name, const std::string& text) {
  auto untaken = s.untakenTexts.find(TextKey(subkey, name));
  if (untaken != s.untakenTexts.end() && untaken->second == text) return;
  WriteRegistryString(subkey, name, text);
}

// A directory from the system with one trailing backslash.
std::string SystemDirectory() {
  char path[MAX_PATH] = "";
  GetSystemDirectoryA(path, MAX_PATH);
  return WithTrailingBackslash(path);
}

std::string WindowsDirectory() {
  char path[MAX_PATH] = "";
  GetWindowsDirectoryA(path, MAX_PATH);
  return WithTrailingBackslash(path);
}


// A folder too long to take is replaced by the default in the record only: the stored one stays.
std::string LoadDataFolder(CMonitorSettings* s) {
  const std::string key = TextKey(kParameters, "Data Folder");
  std::string stored = LoadText(s, kParameters, "Data Folder", "", MAX_PATH);
  std::string folder = stored.empty() ? SystemDirectory() + "\\OVMonitorData\\" : stored;
  bool collapsed = false;
  folder = NormaliseFolderText(folder, &collapsed);
  if (s->untakenTexts.count(key))
    s->untakenTexts[key] = folder;
  else if (stored.empty() || collapsed)
    WriteRegistryString(kParameters, "Data Folder", folder);
  CreateGuardedFolder(folder);
  return folder;
}

std::string LoadQueueFolder(CMonitorSettings* s) {
  const std::string key = TextKey(kSmtpKey, "Queue");
  std::string folder = LoadText(s, kSmtpKey, "Queue", "", MAX_PATH);
  if (folder.empty()) folder = WindowsDirectory() + "TLServiceSMTP\\" + kProductTitle + "\\";
  for (char& c : folder)
    if (c == '/') c = '\\';
  folder = WithTrailingBackslash(folder);
  CreateGuardedFolder(folder);
  if (s->untakenTexts.count(key))
    s->untakenTexts[key] = folder;
  else
    WriteRegistryString(kSmtpKey, "Queue", folder);
  return folder;
}

void LoadMailSender(CMonitorSettings* s) {
  Mailbox from = ParseMailbox(LoadText(s, kSmtpKey, "From", ""));
  s->mailSenderAddress = from.address;
  s->mailSenderName = from.name;
  if (!s->mailSenderAddress.empty()) return;
  s->mailSenderAddress = "ovmonitor@" + DefaultSenderDomain(OfficialHostName());
  s->mailSenderName = kProductTitle;
  auto untaken = s->untakenTexts.find(TextKey(kSmtpKey, "From"));
  if (untaken != s->untakenTexts.end()) untaken->second = FormatMailbox(s->mailSenderAddress, s->mailSenderName);
}

std::vector<Mailbox> LoadMailboxList(const char* name) {
  std::vector<std::string> texts;
  ReadRegistryList(kSmtpKey, name, &texts);
  return ParseMailboxList(texts);
}

void LoadChecks(CMonitorSettings* s) {
  const CMonitorSettings d;
  s->dnsLookupsEnabled = ReadRegistryBool(kParameters, "DNS Lookups Enabled", d.dnsLookupsEnabled);
  s->singleTest = ReadRegistryBool(kParameters, "Single Test", d.singleTest);
  s->singleLimit = ReadRegistryDword(kParameters, "Single Limit", d.singleLimit);
  s->totalTest = ReadRegistryBool(kParameters, "Total Test", d.totalTest);
  s->totalLimit = ReadRegistryDword(kParameters, "Total Limit", d.totalLimit);
  s->slaveTest = ReadRegistryBool(kParameters, "Slave Test", d.slaveTest);
  s->slaveLimit = ReadRegistryDword(kParameters, "Slave Limit", d.slaveLimit);
  s->checkFrequency = ReadRegistryDword(kParameters, "Check Frequency (minutes)", d.checkFrequency);
  s->scale = ReadRegistryDword(kParameters, "Scale", d.scale);
  s->summariesEnabled = ReadRegistryBool(kSummariesKey, "Enabled", d.summariesEnabled);
  s->summariesLevel = ReadRegistryDword(kSummariesKey, "Level", d.summariesLevel);
  s->sortByVariance = ReadRegistryBool(kSummariesKey, "Sort by Variance", d.sortByVariance);
  s->summariesFrequency = ReadRegistryDword(kSummariesKey, "Frequency", d.summariesFrequency);
  s->retentionDays = Clamp(ReadRegistryDword(kSummariesKey, "Retention (days)", d.retentionDays), 1, 1825);
  s->retentionRecords = Clamp(ReadRegistryDword(kSummariesKey, "Retention (records)", d.retentionRecords), 1, 9999);
}

void LoadAlerts(CMonitorSettings* s) {
  const CMonitorSettings d;
  s->mailEnabled = ReadRegistryBool(kSmtpKey, "Enabled", d.mailEnabled);
  s->mailHighPriority = ReadRegistryBool(kSmtpKey, "High Priority", d.mailHighPriority);
  s->eventLogEnabled = ReadRegistryBool(kEventViewerKey, "Enabled", d.eventLogEnabled);
  s->eventLogSummaryOnly = ReadRegistryBool(kEventViewerKey, "Summary Only", d.eventLogSummaryOnly);
  s->appletPopup = ReadRegistryBool(kOtherAlertsKey, "CPL Popup", d.appletPopup);
  s->audioEnabled = ReadRegistryBool(kAudioKey, "Enabled", d.audioEnabled);
  s->audioAckRequired = ReadRegistryBool(kAudioKey, "Ack Required", d.audioAckRequired);
  s->audioFileName = LoadText(s, kAudioKey, "Filename", d.audioFileName, MAX_PATH);
  s->audioRepeatInterval =
      Clamp(ReadRegistryDword(kAudioKey, "Repeat Interval (milliseconds)", d.audioRepeatInterval), 1000, 14400000);
}

void LoadMail(CMonitorSettings* s) {
  const CMonitorSettings d;
  s->mailServer = LoadText(s, kSmtpKey, "Server", d.mailServer);
  s->mailPort = static_cast<uint16_t>(ReadRegistryDword(kSmtpKey, "Port", d.mailPort));
  s->mailFormat = std::min<uint32_t>(ReadRegistryDword(kSmtpKey, "Format", d.mailFormat), 2);
  s->mailSecurity = std::min<uint32_t>(ReadRegistryDword(kSmtpKey, "Security", d.mailSecurity), 3);
  s->mailLogLevel = std::min<uint32_t>(ReadRegistryDword(kSmtpKey, "Log Level", d.mailLogLevel), 5);
  s->mailUserName = LoadText(s, kSmtpKey, "Username", d.mailUserName);
  s->mailPassword = ReadScrambledPassword();
}

void LoadLogging(LoggingSettings* l) {
  const LoggingSettings d;
  l->textLogLevel = std::min<uint32_t>(ReadRegistryDword(kTextLogKey, "Log Level", d.textLogLevel), 5);
  l->textMaxSize = ReadRegistryDword(kTextLogKey, "Max Size", d.textMaxSize);
  l->textMaxArchives = Clamp(ReadRegistryDword(kTextLogKey, "Max Archives", d.textMaxArchives), 1, 366);
  l->textRollType = ReadRegistryDword(kTextLogKey, "Roll Type", d.textRollType);
  l->eventLogLevel = ReadRegistryDword(kEventViewerKey, "Log Level", d.eventLogLevel);
}

void SaveChecks(const CMonitorSettings& s) {
  WriteRegistryBool(kParameters, "Single Test", s.singleTest);
  WriteRegistryDword(kParameters, "Single Limit", s.singleLimit);
  WriteRegistryBool(kParameters, "Total Test", s.totalTest);
  WriteRegistryDword(kParameters, "Total Limit", s.totalLimit);
  WriteRegistryBool(kParameters, "Slave Test", s.slaveTest);
  WriteRegistryDword(kParameters, "Slave Limit", s.slaveLimit);
  WriteRegistryDword(kParameters, "Check Frequency (minutes)", s.checkFrequency);
  WriteRegistryDword(kParameters, "Scale", s.scale);
  WriteRegistryBool(kParameters, "DNS Lookups Enabled", s.dnsLookupsEnabled);
}

void SaveAudio(const CMonitorSettings& s) {
  WriteRegistryBool(kAudioKey, "Enabled", s.audioEnabled);
  WriteRegistryBool(kAudioKey, "Ack Required", s.audioAckRequired);
  SaveText(s, kAudioKey, "Filename", s.audioFileName);
  WriteRegistryDword(kAudioKey, "Repeat Interval (milliseconds)", s.audioRepeatInterval);
}

void SaveMail(const CMonitorSettings& s) {
  GuardSecretKey(kSmtpKey);
  WriteRegistryBool(kSmtpKey, "Enabled", s.mailEnabled);
  WriteRegistryBool(kSmtpKey, "High Priority", s.mailHighPriority);
  SaveText(s, kSmtpKey, "From", FormatMailbox(s.mailSenderAddress, s.mailSenderName));
  SaveText(s, kSmtpKey, "Server", s.mailServer);
  WriteRegistryList(kSmtpKey, "To", FormatMailboxList(s.mailTo));
  WriteRegistryList(kSmtpKey, "CC", FormatMailboxList(s.mailCc));
  WriteRegistryList(kSmtpKey, "BCC", FormatMailboxList(s.mailBcc));
  WriteRegistryDword(kSmtpKey, "Port", s.mailPort);
  WriteRegistryDword(kSmtpKey, "Security", s.mailSecurity);
  SaveText(s, kSmtpKey, "Username", s.mailUserName);
  WriteScrambledPassword(s.mailPassword);
  WriteRegistryDword(kSmtpKey, "Log Level", s.mailLogLevel);
  WriteRegistryDword(kSmtpKey, "Format", s.mailFormat);
  SaveText(s, kSmtpKey, "Queue", s.mailQueueFolder);
}

void SaveLogging(const CMonitorSettings& s) {
  WriteRegistryBool(kOtherAlertsKey, "CPL Popup", s.appletPopup);
  WriteRegistryBool(kEventViewerKey, "Enabled", s.eventLogEnabled);
  WriteRegistryBool(kEventViewerKey, "Summary Only", s.eventLogSummaryOnly);
  WriteRegistryDword(kEventViewerKey, "Log Level", s.logging.eventLogLevel);
  WriteRegistryDword(kTextLogKey, "Log Level", s.logging.textLogLevel);
  WriteRegistryDword(kTextLogKey, "Max Size", s.logging.textMaxSize);
  WriteRegistryDword(kTextLogKey, "Max Archives", s.logging.textMaxArchives);
  WriteRegistryDword(kTextLogKey, "Roll Type", s.logging.textRollType);
}

void SaveSummaries(const CMonitorSettings& s) {
  WriteRegistryBool(kSummariesKey, "Enabled", s.summariesEnabled);
  WriteRegistryDword(kSummariesKey, "Level", s.summariesLevel);
  WriteRegistryBool(kSummariesKey, "Sort by Variance", s.sortByVariance);
  WriteRegistryDword(kSummariesKey, "Frequency", s.summariesFrequency);
  WriteRegistryDword(kSummariesKey, "Retention (days)", s.retentionDays);
  WriteRegistryDword(kSummariesKey, "Retention (records)", s.retentionRecords);
}

// The scrambler's seed: a running value plus the tick count, never one of the unusable seeds.
uint32_t NextPasswordSeed() {
  static uint32_t running = 0;
  do {
    running += GetTickCount();
  } while (IsUnusableSeed(running));
  return running;
}

}  // namespace

std::string DefaultSenderDomain(const std::string& officialName) {
  size_t firstDot = officialName.find('.');
  if (firstDot == std::string::npos || officialName.find('.', firstDot + 1) == std::string::npos)
    return officialName;
  return officialName.substr(firstDot + 1);
}

void WriteScrambledPassword(const std::string& password) {
  uint32_t seed = NextPasswordSeed();
  uint32_t filler = static_cast<uint32_t>(std::rand()) * static_cast<uint32_t>(std::rand()) *
                    static_cast<uint32_t>(std::rand());
  std::string stored = ScramblePassword(password, seed, filler);
  GuardSecretKey(kSmtpKey);  // the password's key: SYSTEM and Administrators alone may read it
  WriteRegistryValue(kSmtpKey, "Password", REG_BINARY, stored.data(), static_cast<DWORD>(stored.size()));
  SecureZeroMemory(&stored[0], stored.size());
}

std::string ReadScrambledPassword() {
  std::string stored;
  DWORD type = REG_NONE;
  if (!ReadRegistryBinary(kSmtpKey, "Password", &stored, &type)) return std::string();
  std::string password;
  if (type == REG_SZ)
    password = stored.substr(0, stored.find('\0'));
  else if (type == REG_BINARY)
    password = UnscramblePassword(reinterpret_cast<const unsigned char*>(stored.data()), stored.size());
  if (!stored.empty()) SecureZeroMemory(&stored[0], stored.size());
  return password;
}

void LoadSettings(CMonitorSettings* s) {
  s->untakenTexts.clear();
  s->dataFolder = LoadDataFolder(s);
  ConvertOldCheckResults();
  ConvertOldSettingsLayout(s->dataFolder);
  LoadChecks(s);
  LoadAlerts(s);
  LoadMail(s);
  LoadLogging(&s->logging);
  LoadMailSender(s);
  s->mailTo = LoadMailboxList("To");
  s->mailCc = LoadMailboxList("CC");
  s->mailBcc = LoadMailboxList("BCC");
  s->mailQueueFolder = LoadQueueFolder(s);
  ReadRegistryList(kParameters, "Reference Clocks", &s->referenceClocks);
  s->referenceClockType = ReadRegistryDword(kParameters, "Reference Clock Type", 2);
  s->referenceClockAnalyze = ReadRegistryBool(kParameters, "Reference Clock Analyze", true);
  LoadNetworkDiscoverySettings(&s->discovery);
  LoadKeyring(GetInstalledProductKey());
}

void SaveSettings(const CMonitorSettings& s) {
  SaveText(s, kParameters, "Data Folder", s.dataFolder);
  WriteRegistryList(kParameters, "Reference Clocks", s.referenceClocks);
  WriteRegistryDword(kParameters, "Reference Clock Type", s.referenceClockType);
  WriteRegistryBool(kParameters, "Reference Clock Analyze", s.referenceClockAnalyze);
  SaveChecks(s);
  SaveAudio(s);
  SaveMail(s);
  SaveLogging(s);
  SaveSummaries(s);
  SaveNetworkDiscoverySettings(s.discovery);
}
