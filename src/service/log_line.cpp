// Formatting the service's log lines.
#include "service/log_line.h"

#include <cstdio>

namespace {

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const char* LevelWord(LogLevel level) {
  switch (level) {
    case kLogError: return "ERROR:  ";
    case kLogWarning: return "WARNING:";
    case kLogTrace: return "Trace:  ";
    case kLogDebug: return "Debug:  ";
    default: return "Info:   ";
  }
}

std::string Line(const LogStamp& stamp, const char* word, const std::string& message) {
  char prefix[64];
  std::snprintf(prefix, sizeof prefix, "%s %s %02u %04u %02u:%02u:%02u %s ", kDays[stamp.weekday % 7],
                kMonths[(stamp.month + 11) % 12], unsigned(stamp.day % 100), unsigned(stamp.year % 10000),
                unsigned(stamp.hour % 100), unsigned(stamp.minute % 100), unsigned(stamp.second % 100), word);
  std::string line = prefix;
  for (char c : message) line += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
  return line + "\r\n";
}

}  // namespace

std::string FormatLogLine(const LogStamp& stamp, LogLevel level, const std::string& message) {
  return Line(stamp, LevelWord(level), message);
}

std::string FormatStatusLine(const LogStamp& stamp, const std::string& message) {
  return Line(stamp, "Status: ", message);
}

bool LogLevelAllows(uint32_t configured, LogLevel level) {
  return level != kLogDisabled && level <= (configured > kLogDebug ? kLogDebug : configured);
}
