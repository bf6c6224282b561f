// The service's text log: writing, rolling and refusing unsafe files.
#include "service/service_log.h"

#include "platform/folder_files.h"
#include "platform/guarded_files.h"
#include "platform/path_trust.h"
#include "platform/registry.h"
#include "service/log_roll.h"

namespace {

LogStamp StampOf(const SYSTEMTIME& time) {
  return {time.wYear, uint8_t(time.wMonth), uint8_t(time.wDay), uint8_t(time.wDayOfWeek),
          uint8_t(time.wHour), uint8_t(time.wMinute), uint8_t(time.wSecond)};
}

LogStamp Now() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return StampOf(now);
}

struct LogFileFacts {
  bool exists = false;
  uint64_t size = 0;
  SYSTEMTIME lastWrite{};  // local time
};

LogFileFacts FactsOf(const std::string& path) {
  LogFileFacts facts;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return facts;
  FILETIME local;
  facts.exists = FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) && FileTimeToSystemTime(&local, &facts.lastWrite);
  facts.size = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return facts;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of("\\/") + 1); }
std::string NameOf(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

// An insert's length in Event Viewer, well within the Event Log's limit for one string.
constexpr size_t kInsertBytes = 4096;

WORD EventType(LogLevel level) {
  if (level == kLogError) return EVENTLOG_ERROR_TYPE;
  return level == kLogWarning ? EVENTLOG_WARNING_TYPE : EVENTLOG_INFORMATION_TYPE;
}

}  // namespace

std::string ServiceLogPath() {
  std::string path = ReadRegistryString("", "Service Log Filename", "", MAX_PATH);
  if (!path.empty()) return path;
  char directory[MAX_PATH] = "";
  GetSystemDirectoryA(directory, MAX_PATH);
  return std::string(directory) + "\\orvanem.log";
}

ServiceLogSettings ServiceLogSettingsOf(const CMonitorSettings& settings) {
  return {ServiceLogPath(), settings.logging, settings.eventLogEnabled, settings.eventLogSummaryOnly};
}

CServiceLog::CServiceLog() : eventSource_(RegisterEventSourceA(nullptr, "Orvane Monitor")) {}

CServiceLog::~CServiceLog() {
  if (eventSource_) DeregisterEventSource(eventSource_);
}

void CServiceLog::Configure(const ServiceLogSettings& settings) {
  std::lock_guard<std::mutex> hold(lock_);
  settings_ = settings;
  std::string folder = FolderOf(settings_.path);
  refusal_ = FolderRefusal(folder);
  if (refusal_.empty() && !IsPlainFileName(NameOf(settings_.path))) refusal_ = "it names no file";
  if (refusal_.empty() && !CreateGuardedFolder(folder)) refusal_ = "its folder cannot be created";
  if (!refusal_.empty()) Publish(StoreRefusedEvent(settings_.path, refusal_ + "; no text log is written"), true);
}

void CServiceLog::Report(const ServiceEvent& event) {
  const ServiceEventInfo& info = EventInfo(event.kind);
  Emit(event, info.statusLine, info.summary);
}

void CServiceLog::StoreRefused(const std::string& where, const std::string& why) {
  Report(StoreRefusedEvent(where, why));
}

void CServiceLog::Write(LogLevel level, const std::string& message) { Report(MessageEvent(level, message)); }

void CServiceLog::Status(const std::string& message, bool alert) {
  Emit(MessageEvent(alert ? kLogError : kLogInfo, message), true, true);
}

void CServiceLog::SendEventsTo(EventLogSink sink) {
  std::lock_guard<std::mutex> hold(lock_);
  sink_ = std::move(sink);
}

void CServiceLog::Emit(const ServiceEvent& event, bool statusLine, bool summary) {
  std::string text = FormatEventText(event);
  std::lock_guard<std::mutex> hold(lock_);
  if (LogLevelAllows(settings_.logging.textLogLevel, event.level))
    Append(statusLine ? FormatStatusLine(Now(), text) : FormatLogLine(Now(), event.level, text));
  Publish(event, summary);
}

void CServiceLog::Publish(const ServiceEvent& event, bool summary) {
  if (!settings_.eventLogEnabled || (!summary && settings_.eventLogSummaryOnly) ||
      !LogLevelAllows(settings_.logging.eventLogLevel, event.level))
    return;
  const ServiceEventInfo& info = EventInfo(event.kind);
  EventLogEntry entry{EventType(event.level), info.category, info.id, {}};
  for (const std::string& insert : event.inserts) entry.inserts.push_back(insert.substr(0, kInsertBytes));
  if (sink_) return sink_(entry);
  if (!eventSource_) return;
  std::vector<const char*> strings;
  for (const std::string& insert : entry.inserts) strings.push_back(insert.c_str());
  ReportEventA(eventSource_, entry.type, entry.category, entry.id, nullptr, WORD(strings.size()), 0, strings.data(),
               nullptr);
}

void CServiceLog::Append(const std::string& line) {
  if (!refusal_.empty()) return;
  RollIfDue(line.size());
  HANDLE file = OpenGuardedFile(FolderOf(settings_.path), NameOf(settings_.path), FILE_APPEND_DATA, OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_CANT_ACCESS_FILE) {
      refusal_ = "it is a link or has another name (a hard link)";
      Publish(StoreRefusedEvent(settings_.path, refusal_ + "; no text log is written"), true);
    }
    return;
  }
  DWORD written = 0;
  WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
  CloseHandle(file);
}

void CServiceLog::RollIfDue(uint64_t lineBytes) {
  LogFileFacts facts = FactsOf(settings_.path);
  if (!facts.exists || facts.size == 0) return;
  const LoggingSettings& logging = settings_.logging;
  if (PeriodRollDue(logging.textRollType, StampOf(facts.lastWrite), Now())) return Roll(facts.lastWrite);
  if (!SizeRollDue(logging.textMaxSize, facts.size, lineBytes)) return;
  SYSTEMTIME today;
  GetLocalTime(&today);
  Roll(today);
}

void CServiceLog::Roll(const SYSTEMTIME& archiveDate) {
  std::string folder = FolderOf(settings_.path), name = NameOf(settings_.path), archive;
  HANDLE log = OpenGuardedFile(folder, name, DELETE, OPEN_EXISTING);
  if (log == INVALID_HANDLE_VALUE) return;
  for (uint32_t sequence = 1; archive.empty() && sequence < 10000; ++sequence) {
    std::string candidate = ArchiveName(name, StampOf(archiveDate), sequence);
    if (RenameOpenFile(log, folder, candidate)) archive = folder + candidate;
    else if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  CloseHandle(log);
  std::vector<std::string> doomed =
      ArchivesToDelete(name, FilesMatching(folder, "*"), settings_.logging.textRollType, settings_.logging.textMaxArchives);
  for (const std::string& old : doomed) DeleteFolderFile(folder, old);
  if (!archive.empty())
    Publish(LogRolledEvent(settings_.path, archive, doomed.size()), EventInfo(ServiceEventKind::kLogRolled).summary);
}
