// The service's text log at "Service Log Filename", rolled into dated siblings by "Roll Type"
// and "Max Size", and its Event Viewer entries, each at the level the Logging page sets.
#pragma once
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "monitor/settings.h"
#include "service/log_line.h"
#include "service/service_events.h"

// What the log honours of the settings record.
struct ServiceLogSettings {
  std::string path;  // the log file; its folder holds the archives
  LoggingSettings logging;
  bool eventLogEnabled = true;
  bool eventLogSummaryOnly = true;
};

// "Service Log Filename", or the system directory's "orvanem.log" when it is empty.
std::string ServiceLogPath();
// The log settings of a loaded record, with the path above.
ServiceLogSettings ServiceLogSettingsOf(const CMonitorSettings& settings);

// One Event Log entry as ReportEvent is given it.
struct EventLogEntry {
  WORD type = EVENTLOG_INFORMATION_TYPE;
  WORD category = 0;
  DWORD id = 0;
  std::vector<std::string> inserts;
};
// Where Event Log entries go instead of the Event Log (a test's recorder).
using EventLogSink = std::function<void(const EventLogEntry&)>;

class CServiceLog {
 public:
  CServiceLog();
  // Deregisters the event source.
  ~CServiceLog();
  CServiceLog(const CServiceLog&) = delete;
  CServiceLog& operator=(const CServiceLog&) = delete;

  // Takes new settings; the next line follows them. A log path that passes through a link or a
  // folder another account owns, or a log file that is a link, is refused (said in the Event Log)
  // and no text log is written; a missing log folder is created with the guarded access list.
  void Configure(const ServiceLogSettings& settings);
  // Reports an event of its kind: its text log line and its Event Viewer entry (ID, category,
  // inserts), each when its level lets it through, the entry also when "Summary Only" does.
  void Report(const ServiceEvent& event);
  // Reports that the service wrote nothing to where (a data folder, a log, a file) for the reason
  // why: a place refused, no key left for a check, a store that failed.
  void StoreRefused(const std::string& where, const std::string& why);
  // Writes a line of level that is no event of its own kind (Event Viewer ID 1000).
  void Write(LogLevel level, const std::string& message);
  // Writes a result line ("Status: ") that is no event of its own kind; alert makes it an error.
  void Status(const std::string& message, bool alert);
  // Sends the Event Viewer entries to sink instead of the Event Log (Wine's keeps none).
  void SendEventsTo(EventLogSink sink);

 private:
  void Emit(const ServiceEvent& event, bool statusLine, bool summary);
  // The event's Event Log entry alone, as the settings allow; the caller holds lock_ (the log's own
  // refusals of its path report through it).
  void Publish(const ServiceEvent& event, bool summary);
  void Append(const std::string& line);
  void RollIfDue(uint64_t lineBytes);
  void Roll(const SYSTEMTIME& archiveDate);

  std::mutex lock_;
  ServiceLogSettings settings_;
  std::string refusal_;  // why the text log is not written, empty while it is
  HANDLE eventSource_ = nullptr;
  EventLogSink sink_;
};
