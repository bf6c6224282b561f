// The service's text log: the line format the log viewer recognises (day name, month name,
// day, year, time, an eight-character level word, the message) and the level rules.
#pragma once
#include <cstdint>
#include <string>

// Log levels as "Log Level" stores them; 0 turns the log off.
enum LogLevel : uint32_t {
  kLogDisabled = 0,
  kLogError = 1,
  kLogWarning = 2,
  kLogInfo = 3,
  kLogTrace = 4,
  kLogDebug = 5,
};

// A calendar moment in the log's time (local time).
struct LogStamp {
  uint16_t year = 2000;
  uint8_t month = 1;    // 1 to 12
  uint8_t day = 1;      // 1 to 31
  uint8_t weekday = 6;  // 0 Sunday to 6 Saturday
  uint8_t hour = 0, minute = 0, second = 0;
};

// "Thu Dec 10 2026 17:01:07 Info:    message\r\n"; control characters of the message become spaces.
std::string FormatLogLine(const LogStamp& stamp, LogLevel level, const std::string& message);
// The check's own line ("Status: " instead of the level word), logged at the information level.
std::string FormatStatusLine(const LogStamp& stamp, const std::string& message);
// Whether a line of level is written under the configured level (values above 5 count as 5).
bool LogLevelAllows(uint32_t configured, LogLevel level);
