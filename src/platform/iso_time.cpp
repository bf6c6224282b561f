// Writing and reading ISO 8601 UTC times.
#include "platform/iso_time.h"

#include <cstdio>

namespace {

constexpr uint64_t kUnixEpochIn100ns = 116444736000000000ull;

// Year, month and day of a count of days since 1970-01-01 (proleptic Gregorian).
void CivilDate(int64_t days, int64_t* year, unsigned* month, unsigned* day) {
  days += 719468;
  int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  auto dayOfEra = static_cast<unsigned>(days - era * 146097);
  unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  unsigned shifted = (5 * dayOfYear + 2) / 153;
  *day = dayOfYear - (153 * shifted + 2) / 5 + 1;
  *month = shifted < 10 ? shifted + 3 : shifted - 9;
  *year = static_cast<int64_t>(yearOfEra) + era * 400 + (*month <= 2 ? 1 : 0);
}

std::string IsoTime(uint64_t seconds, const std::string& fraction) {
  int64_t year = 0;
  unsigned month = 0, day = 0;
  CivilDate(static_cast<int64_t>(seconds / 86400), &year, &month, &day);
  uint64_t inDay = seconds % 86400;
  char text[40];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02u:%02u:%02u", static_cast<long long>(year), month, day,
                unsigned(inDay / 3600), unsigned(inDay / 60 % 60), unsigned(inDay % 60));
  return text + fraction + "Z";
}

// The decimal number of exactly count digits at text[at]; false when any is not a digit.
bool Digits(const std::string& text, size_t at, size_t count, unsigned* value) {
  if (at + count > text.size()) return false;
  *value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    *value = *value * 10 + unsigned(text[i] - '0');
  }
  return true;
}

bool DateExists(unsigned year, unsigned month, unsigned day) {
  static const unsigned kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  return month >= 1 && month <= 12 && day >= 1 && day <= (month == 2 && !leap ? 28 : kDays[month - 1]);
}

}  // namespace

int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  int64_t era = (year >= 0 ? year : year - 399) / 400;
  int64_t yearOfEra = year - era * 400;
  int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear - 719468;
}

std::string IsoTimeFrom100ns(uint64_t time) {
  uint64_t since1970 = time > kUnixEpochIn100ns ? time - kUnixEpochIn100ns : 0;
  char fraction[8];
  std::snprintf(fraction, sizeof fraction, ".%03u", unsigned(since1970 / 10000 % 1000));
  return IsoTime(since1970 / 10000000, fraction);
}

std::string IsoTimeFromUnix(uint32_t seconds) { return IsoTime(seconds, ""); }

bool ParseIsoTime(const std::string& text, uint32_t* seconds) {
  std::string body = !text.empty() && (text.back() == 'Z' || text.back() == 'z') ? text.substr(0, text.size() - 1) : text;
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (body.size() != 10 && body.size() != 16 && body.size() != 19) return false;
  if (!Digits(body, 0, 4, &year) || body[4] != '-' || !Digits(body, 5, 2, &month) || body[7] != '-' ||
      !Digits(body, 8, 2, &day) || !DateExists(year, month, day))
    return false;
  if (body.size() > 10) {
    bool separated = body[10] == 'T' || body[10] == 't' || body[10] == ' ';
    if (!separated || !Digits(body, 11, 2, &hour) || body[13] != ':' || !Digits(body, 14, 2, &minute) ||
        hour > 23 || minute > 59)
      return false;
    if (body.size() == 19 && (body[16] != ':' || !Digits(body, 17, 2, &second) || second > 59)) return false;
  }
  int64_t total = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  if (total < 0 || total > 0xFFFFFFFFll) return false;
  *seconds = uint32_t(total);
  return true;
}
