// When the text log rolls, its archives' names and which are removed.
#include "service/log_roll.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "platform/iso_time.h"

namespace {

struct Archive {
  std::string name;
  std::string date;  // "YYYY-MM-DD"
  uint32_t sequence = 1;
};

bool Digits(const std::string& text, size_t from, size_t count) {
  if (from + count > text.size()) return false;
  return std::all_of(text.begin() + from, text.begin() + from + count, [](char c) { return c >= '0' && c <= '9'; });
}

// "<stem>.YYYY-MM-DD[.n]<extension>" of the log name's stem and extension.
bool ParseArchive(const std::string& logName, const std::string& name, Archive* archive) {
  size_t dot = logName.rfind('.');
  std::string stem = logName.substr(0, dot), extension = dot == std::string::npos ? "" : logName.substr(dot);
  size_t at = stem.size();
  if (name.size() < at + 11 + extension.size() || name.compare(0, at, stem) != 0 || name[at] != '.') return false;
  if (name.compare(name.size() - extension.size(), extension.size(), extension) != 0) return false;
  std::string middle = name.substr(at + 1, name.size() - extension.size() - at - 1);
  if (!Digits(middle, 0, 4) || middle[4] != '-' || !Digits(middle, 5, 2) || middle[7] != '-' || !Digits(middle, 8, 2))
    return false;
  archive->name = name;
  archive->date = middle.substr(0, 10);
  if (middle.size() == 10) return true;
  // ".n": one to five digits, so that the number always converts.
  if (middle[10] != '.' || middle.size() < 12 || middle.size() > 16 || !Digits(middle, 11, middle.size() - 11))
    return false;
  archive->sequence = uint32_t(std::stoul(middle.substr(11)));
  return true;
}

}  // namespace

int64_t DayNumber(const LogStamp& stamp) { return DaysFromCivil(stamp.year, stamp.month, stamp.day); }

bool PeriodRollDue(uint32_t rollType, const LogStamp& lastWrite, const LogStamp& now) {
  int64_t then = DayNumber(lastWrite), today = DayNumber(now);
  if (rollType & kRollDaily) return today != then;
  // 1970-01-01 was a Thursday: day + 4 counts from a Sunday.
  if (rollType & kRollWeekly) return (today + 4) / 7 != (then + 4) / 7;
  if (rollType & kRollMonthly) return now.year != lastWrite.year || now.month != lastWrite.month;
  return false;
}

bool SizeRollDue(uint32_t maxSizeKb, uint64_t logBytes, uint64_t lineBytes) {
  return maxSizeKb != 0 && logBytes != 0 && logBytes + lineBytes > uint64_t(maxSizeKb) * 1024;
}

std::string ArchiveName(const std::string& logName, const LogStamp& date, uint32_t sequence) {
  size_t dot = logName.rfind('.');
  std::string stem = logName.substr(0, dot), extension = dot == std::string::npos ? "" : logName.substr(dot);
  char middle[32];
  std::snprintf(middle, sizeof middle, ".%04u-%02u-%02u", unsigned(date.year % 10000), unsigned(date.month % 100),
                unsigned(date.day % 100));
  std::string name = stem + middle;
  if (sequence > 1) name += "." + std::to_string(sequence);
  return name + extension;
}

std::vector<std::string> ArchivesToDelete(const std::string& logName, const std::vector<std::string>& names,
                                          uint32_t rollType, uint32_t maxArchives) {
  std::vector<Archive> archives;
  for (const std::string& name : names) {
    Archive archive;
    if (ParseArchive(logName, name, &archive)) archives.push_back(archive);
  }
  std::sort(archives.begin(), archives.end(), [](const Archive& a, const Archive& b) {
    return std::tie(a.date, a.sequence) > std::tie(b.date, b.sequence);
  });
  size_t keep = (rollType & kRollDeleteOld) ? 0 : std::max<uint32_t>(maxArchives, 1);
  std::vector<std::string> doomed;
  for (size_t i = keep; i < archives.size(); ++i) doomed.push_back(archives[i].name);
  return doomed;
}
