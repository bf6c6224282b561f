// The service's text log at "Service Log Filename", rolled into dated siblings by "Roll Type"
// and "Max Size", and its Event Viewer entries, each at the level the Logging page sets.
#pragma once
#include <windows.h>

#include <mutex>
#include <string>

#include "monitor/settings.h"
#include "service/log_line.h"

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
  // Writes a line of level when the text log's or the Event Viewer's level lets it through.
  void Write(LogLevel level, const std::string& message);
  // Writes a check's result line ("Status: "); alert raises it to an error in the Event Viewer.
  void Status(const std::string& message, bool alert);

 private:
  void Append(const std::string& line);
  void RollIfDue(uint64_t lineBytes);
  void Roll(const SYSTEMTIME& archiveDate);
  void Report(WORD type, const std::string& message);

  std::mutex lock_;
  ServiceLogSettings settings_;
  std::string refusal_;  // why the text log is not written, empty while it is
  HANDLE eventSource_ = nullptr;
};
