// What the Monitor service reports to Event Viewer: one kind of event per thing an administrator
// filters on, each with its event ID, category and level in the message table of ovmonsvc.exe
// (service_messages.mc, whose texts these are), and the fields that fill the message's inserts.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "monitor/summary_record.h"
#include "service/check_summary.h"
#include "service/log_line.h"

enum class ServiceEventKind : uint8_t {
  kServiceStarted,
  kServiceStopped,
  kSettingsRead,
  kCheckPassed,
  kCheckAlerted,
  kMachinesUnanswered,
  kReferenceUnanswered,
  kMailSent,
  kMailFailed,
  kLogRolled,
  kStoreRefused,
  kMessage,  // a log line that is no event of its own kind
};

// Event Viewer's categories (message IDs 1 to kEventCategoryCount of the table).
constexpr uint16_t kCategoryService = 1;
constexpr uint16_t kCategoryCheck = 2;
constexpr uint16_t kCategoryAlert = 3;
constexpr uint16_t kCategoryStorage = 4;
constexpr uint16_t kEventCategoryCount = 4;

// A kind's entry in the message table.
struct ServiceEventInfo {
  ServiceEventKind kind;
  uint32_t id;          // the event ID Event Viewer shows (severity and facility bits 0)
  uint16_t category;
  LogLevel level;       // error, warning or information in Event Viewer and the text log
  bool statusLine;      // a check's verdict: written as the text log's "Status:" line
  bool summary;         // reported even when the Event Viewer's "Summary Only" is set
  const char* text;     // the message, %1 to %9 standing for the inserts
  uint32_t inserts;     // how many inserts the message takes
};

// One event to report: its kind, the insert strings in order, and its level.
struct ServiceEvent {
  ServiceEventKind kind = ServiceEventKind::kMessage;
  std::vector<std::string> inserts;
  LogLevel level = kLogInfo;
};

// Every kind's entry, in the order of ServiceEventKind.
const std::vector<ServiceEventInfo>& ServiceEventTable();
// The entry of one kind.
const ServiceEventInfo& EventInfo(ServiceEventKind kind);
// The message with its inserts in place, as Event Viewer shows it (without its final line end);
// a missing insert stays empty.
std::string FormatEventText(const ServiceEvent& event);

// The service began its work over that many machines, checking every minutes, storing in dataFolder.
ServiceEvent ServiceStartedEvent(size_t machines, uint32_t minutes, const std::string& dataFolder);
// The service ended after checks since it started, alerts of which raised an alert.
ServiceEvent ServiceStoppedEvent(uint32_t checks, uint32_t alerts);
// "ovmon-cpl-event" made the service read its settings again; what they now say.
ServiceEvent SettingsReadEvent(size_t machines, uint32_t minutes, const std::string& dataFolder);
// A stored check's events: passed, or alerted (naming the failed tests), then the machines that
// did not answer and a reference that did not, each with the check's verdict word ("ALERT" or
// "UNKNOWN"); referenceFailures says why each reference source gave no time.
std::vector<ServiceEvent> CheckEvents(const SummaryRecord& record, const std::vector<MachineResult>& machines,
                                      const std::string& referenceFailures);
// The alert mail of the check at checkTime went through server to that many recipients.
ServiceEvent MailSentEvent(uint32_t checkTime, const std::string& server, size_t recipients);
// The alert mail of the check at checkTime failed; report is the mail engine's.
ServiceEvent MailFailedEvent(uint32_t checkTime, const std::string& server, const std::string& report);
// The text log was rolled into archive; deleted old archives went.
ServiceEvent LogRolledEvent(const std::string& log, const std::string& archive, size_t deleted);
// The service wrote nothing to where (a data folder, a log, a file) for the reason why: it
// refused the place, no key was left, or the write failed.
ServiceEvent StoreRefusedEvent(const std::string& where, const std::string& why);
// A log line of level that is no event of its own kind.
ServiceEvent MessageEvent(LogLevel level, const std::string& text);
