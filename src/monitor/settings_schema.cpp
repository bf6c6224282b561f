// The settings record's table of registry values, in save order.
#include "monitor/settings_schema.h"

const char kParametersKey[] = "";
const char kSummariesKey[] = "\\Summaries";
const char kSmtpKey[] = "\\Logs and Alerts\\SMTP";
const char kEventViewerKey[] = "\\Logs and Alerts\\Event Viewer";
const char kOtherAlertsKey[] = "\\Logs and Alerts\\Other";
const char kAudioKey[] = "\\Logs and Alerts\\Audio";
const char kTextLogKey[] = "\\Logs and Alerts\\Text";
const char kPasswordValue[] = "Password";

namespace {

const size_t kPathBytes = 260;  // a folder or file name the service can use
const RegistryLimits kPath = {0, UINT32_MAX, kPathBytes};

// A value kept in a plain field of the record.
SettingsValue Plain(const char* subkey, const char* name, RegistryField field, RegistryLimits limits = {}) {
  return {subkey, name, field, limits};
}

std::vector<SettingsValue> ChecksSchema(CMonitorSettings& s) {
  const char* key = kParametersKey;
  return {
      {key, "Data Folder", FolderField{&s.dataFolder, FolderKind::kData}, kPath},
      Plain(key, "Reference Clocks", &s.referenceClocks),
      Plain(key, "Reference Clock Type", &s.referenceClockType),
      Plain(key, "Reference Clock Analyze", &s.referenceClockAnalyze),
      Plain(key, "Single Test", &s.singleTest),
      Plain(key, "Single Limit", &s.singleLimit),
      Plain(key, "Total Test", &s.totalTest),
      Plain(key, "Total Limit", &s.totalLimit),
      Plain(key, "Slave Test", &s.slaveTest),
      Plain(key, "Slave Limit", &s.slaveLimit),
      Plain(key, "Check Frequency (minutes)", &s.checkFrequency),
      Plain(key, "Scale", &s.scale),
      Plain(key, "DNS Lookups Enabled", &s.dnsLookupsEnabled),
      Plain(kAudioKey, "Enabled", &s.audioEnabled),
      Plain(kAudioKey, "Ack Required", &s.audioAckRequired),
      Plain(kAudioKey, "Filename", &s.audioFileName, kPath),
      Plain(kAudioKey, "Repeat Interval (milliseconds)", &s.audioRepeatInterval, {1000, 14400000}),
  };
}

std::vector<SettingsValue> MailSchema(CMonitorSettings& s) {
  const char* key = kSmtpKey;
  return {
      Plain(key, "Enabled", &s.mailEnabled),
      Plain(key, "High Priority", &s.mailHighPriority),
      {key, "From", MailSenderField{&s.mailSenderAddress, &s.mailSenderName}},
      Plain(key, "Server", &s.mailServer),
      {key, "To", &s.mailTo},
      {key, "CC", &s.mailCc},
      {key, "BCC", &s.mailBcc},
      Plain(key, "Port", &s.mailPort),
      Plain(key, "Security", &s.mailSecurity, {0, 3}),
      Plain(key, "Username", &s.mailUserName),
      {key, kPasswordValue, MailPasswordField{&s.mailPassword}},
      Plain(key, "Log Level", &s.mailLogLevel, {0, 5}),
      Plain(key, "Format", &s.mailFormat, {0, 2}),
      {key, "Queue", FolderField{&s.mailQueueFolder, FolderKind::kMailQueue}, kPath},
  };
}

std::vector<SettingsValue> LoggingSchema(CMonitorSettings& s) {
  return {
      Plain(kOtherAlertsKey, "CPL Popup", &s.appletPopup),
      Plain(kEventViewerKey, "Enabled", &s.eventLogEnabled),
      Plain(kEventViewerKey, "Summary Only", &s.eventLogSummaryOnly),
      Plain(kEventViewerKey, "Log Level", &s.logging.eventLogLevel),
      Plain(kTextLogKey, "Log Level", &s.logging.textLogLevel, {0, 5}),
      Plain(kTextLogKey, "Max Size", &s.logging.textMaxSize),
      Plain(kTextLogKey, "Max Archives", &s.logging.textMaxArchives, {1, 366}),
      Plain(kTextLogKey, "Roll Type", &s.logging.textRollType),
      Plain(kSummariesKey, "Enabled", &s.summariesEnabled),
      Plain(kSummariesKey, "Level", &s.summariesLevel),
      Plain(kSummariesKey, "Sort by Variance", &s.sortByVariance),
      Plain(kSummariesKey, "Frequency", &s.summariesFrequency),
      Plain(kSummariesKey, "Retention (days)", &s.retentionDays, {1, 1825}),
      Plain(kSummariesKey, "Retention (records)", &s.retentionRecords, {1, 9999}),
  };
}

// One text for each visited field kind.
struct ValueTexts {
  std::vector<std::string> operator()(const RegistryField& field) const { return RegistryFieldTexts(field); }
  std::vector<std::string> operator()(MailboxesField list) const {
    std::vector<std::string> texts = FormatMailboxList(*list);
    return RegistryFieldTexts(&texts);
  }
  std::vector<std::string> operator()(const MailSenderField& sender) const {
    return {FormatMailbox(*sender.address, *sender.name)};
  }
  std::vector<std::string> operator()(const MailPasswordField& secret) const {
    return {secret.password->empty() ? "(not set)" : "(set)"};
  }
  std::vector<std::string> operator()(const FolderField& folder) const { return {*folder.folder}; }
};

// The member of the record a field stands for.
struct FieldAddress {
  const void* operator()(const RegistryField& field) const {
    return std::visit([](auto* member) -> const void* { return member; }, field);
  }
  const void* operator()(MailboxesField list) const { return list; }
  const void* operator()(const MailSenderField& sender) const { return sender.address; }
  const void* operator()(const MailPasswordField& secret) const { return secret.password; }
  const void* operator()(const FolderField& folder) const { return folder.folder; }
};

}  // namespace

const SettingsValue* FindSettingsValue(const std::vector<SettingsValue>& schema, const void* field) {
  for (const SettingsValue& value : schema)
    if (std::visit(FieldAddress(), value.field) == field) return &value;
  return nullptr;
}

std::vector<SettingsValue> SettingsSchema(CMonitorSettings& s) {
  std::vector<SettingsValue> schema = ChecksSchema(s);
  for (const std::vector<SettingsValue>& part : {MailSchema(s), LoggingSchema(s)})
    schema.insert(schema.end(), part.begin(), part.end());
  return schema;
}

std::vector<std::string> SettingsValueTexts(const SettingsValue& value) { return std::visit(ValueTexts{}, value.field); }
