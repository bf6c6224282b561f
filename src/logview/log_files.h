// How the log viewer names and treats the service's log files: a path's folder and name, the
// patterns of its sibling logs, which files are dated archives or start-up logs, and the line
// a cleared log starts with. Pure text rules.
#pragma once
#include <string>
#include <vector>

// A log's folder (up to and including its last '\' or '/') and its name after the last '\'.
struct LogPath {
  std::string folder;
  std::string fileName;
};

// Splits a full path as the viewer keeps it.
LogPath SplitLogPath(const std::string& path);
// The sibling pattern of a file name: '*' appended and '*' put before its last '.'
// ("orvanem.log" gives "orvanem*.log*").
std::string DefaultLogPattern(const std::string& fileName);
// The ';'-separated patterns of a pattern text, empty ones left out.
std::vector<std::string> SplitLogPatterns(const std::string& patterns);
// Whether two names (of files or fonts) are equal without regard to ASCII case.
bool SameNameNoCase(const std::string& a, const std::string& b);
// Puts path at the front of a recent-files list, dropping an equal entry (any case) and the
// oldest entries beyond max.
void AddRecentFile(std::vector<std::string>* list, const std::string& path, size_t max);
// Whether a file is a dated archive, which clearing offers to delete (".20" in its name).
bool IsDatedLog(const std::string& fileName);
// Whether a file is a start-up log, shown from its first line (".startup." in its name).
bool IsStartupLog(const std::string& fileName);

// A local time as the cleared-by line shows it.
struct LogClock {
  unsigned year, month, dayOfWeek, day, hour, minute, second;  // month 1..12, dayOfWeek 0 = Sunday
};

// The single line a cleared log starts with, in the service's own prefix, naming the user.
std::string ClearedLogLine(const LogClock& time, const std::string& user);
