// The service's log file names: split paths, patterns, recent files, dated and start-up logs.
#include "logview/log_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

const char* const kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// A name from a table, "???" for an index the table has not.
const char* TableName(const char* const* names, unsigned count, unsigned index) {
  return index < count ? names[index] : "???";
}

}  // namespace

LogPath SplitLogPath(const std::string& path) {
  size_t folderEnd = path.find_last_of("\\/");
  size_t nameStart = path.rfind('\\');
  LogPath split;
  split.folder = folderEnd == std::string::npos ? "" : path.substr(0, folderEnd + 1);
  split.fileName = nameStart == std::string::npos ? path : path.substr(nameStart + 1);
  return split;
}

std::string DefaultLogPattern(const std::string& fileName) {
  std::string pattern = fileName + "*";
  size_t dot = pattern.rfind('.');
  if (dot != std::string::npos) pattern.insert(dot, "*");
  return pattern;
}

std::vector<std::string> SplitLogPatterns(const std::string& patterns) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= patterns.size()) {
    size_t end = patterns.find(';', start);
    if (end == std::string::npos) end = patterns.size();
    if (end > start) parts.push_back(patterns.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool SameNameNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

void AddRecentFile(std::vector<std::string>* list, const std::string& path, size_t max) {
  std::erase_if(*list, [&](const std::string& entry) { return SameNameNoCase(entry, path); });
  list->insert(list->begin(), path);
  if (list->size() > max) list->resize(max);
}

bool IsDatedLog(const std::string& fileName) { return fileName.find(".20") != std::string::npos; }

bool IsStartupLog(const std::string& fileName) { return fileName.find(".startup.") != std::string::npos; }

std::string ClearedLogLine(const LogClock& time, const std::string& user) {
  char prefix[96];
  std::snprintf(prefix, sizeof prefix, "%s %s %02u %04u %02u:%02u:%02u Info:    Log cleared from Control Panel by ",
                TableName(kDayNames, 7, time.dayOfWeek), TableName(kMonthNames, 12, time.month - 1), time.day,
                time.year, time.hour, time.minute, time.second);
  return prefix + user + ".\r\n";
}
