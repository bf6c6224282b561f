// The Monitor's settings record, loaded from and saved to the registry it shares with the service.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "mail/mail_setup_rules.h"
#include "mail/mailbox.h"
#include "sampling/network_discovery_settings.h"

// Logging values kept with the record; the service's logging reads the same values.
struct LoggingSettings {
  uint32_t textLogLevel = 3;    // 0..5
  uint32_t textMaxSize = 0;
  uint32_t textMaxArchives = 31;  // 1..366
  uint32_t textRollType = 0;
  uint32_t eventLogLevel = 1;

  bool operator==(const LoggingSettings&) const = default;
};

struct CMonitorSettings {
  bool dnsLookupsEnabled = false;
  bool singleTest = true;
  uint32_t singleLimit = 1000;  // milliseconds
  bool totalTest = true;
  uint32_t totalLimit = 750;
  bool slaveTest = true;
  uint32_t slaveLimit = 500;
  uint32_t checkFrequency = 720;  // minutes
  uint32_t scale = 0;
  bool summariesEnabled = false;
  uint32_t summariesLevel = 2;
  bool sortByVariance = true;
  uint32_t summariesFrequency = 0;
  uint32_t retentionDays = 30;      // 1..1825
  uint32_t retentionRecords = 50;   // 1..9999
  std::string dataFolder;           // always ends with a backslash once loaded
  bool mailEnabled = false;
  bool mailHighPriority = true;
  bool eventLogEnabled = true;
  bool eventLogSummaryOnly = true;
  bool appletPopup = false;
  bool audioEnabled = false;
  bool audioAckRequired = true;
  std::string audioFileName;
  uint32_t audioRepeatInterval = 3000;  // milliseconds, 1000..14400000
  std::string mailServer = "127.0.0.1";
  uint16_t mailPort = 25;
  uint32_t mailFormat = 1;    // 0..2
  uint32_t mailSecurity = 0;  // 0..3
  uint32_t mailLogLevel = 0;  // 0..5
  std::string mailUserName;
  std::string mailPassword;
  std::string mailQueueFolder;
  std::string mailSenderAddress;
  std::string mailSenderName;
  std::vector<Mailbox> mailTo;
  std::vector<Mailbox> mailCc;
  std::vector<Mailbox> mailBcc;
  std::vector<std::string> referenceClocks;
  uint32_t referenceClockType = 2;
  bool referenceClockAnalyze = true;
  LoggingSettings logging;
  NetworkDiscoverySettings discovery;
  // Stored texts too long for their fields, by "subkey|name", with what the record holds in their
  // place: a save leaves such a value as it is stored unless the record's text was changed.
  std::map<std::string, std::string> untakenTexts;

  bool operator==(const CMonitorSettings&) const = default;
};

// True when the record has an SMTP server, a sender address and at least one recipient.
inline bool IsMailConfigured(const CMonitorSettings& s) {
  return IsSetupReady(s.mailTo, s.mailCc, s.mailBcc, s.mailSenderAddress, s.mailServer);
}

// Registry subkeys of the record.
extern const char kSummariesKey[];
extern const char kSmtpKey[];
extern const char kEventViewerKey[];
extern const char kOtherAlertsKey[];
extern const char kAudioKey[];
extern const char kTextLogKey[];

// Fills every field from the registry, converting older layouts first; never fails.
void LoadSettings(CMonitorSettings* settings);
// Writes every field back in the fixed order; registry errors are ignored value by value.
void SaveSettings(const CMonitorSettings& settings);
// Writes only the values of the given fields (members of settings), each as SaveSettings does.
void SaveSettingsFields(CMonitorSettings& settings, const std::vector<const void*>& fields);
// Stores the mail password scrambled (136-byte REG_BINARY "Password").
void WriteScrambledPassword(const std::string& password);
// The mail password from "Password": REG_SZ as it stands, else the scrambled form, else empty.
std::string ReadScrambledPassword();
// The domain for a defaulted sender address: what follows the first dot of a name with two or more dots.
std::string DefaultSenderDomain(const std::string& officialName);
