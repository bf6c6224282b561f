// The mail's Date header from the system clock and the local time zone.
#include <windows.h>

#include "mail/mail_clock.h"

namespace {
const ULONGLONG kSecondsFrom1601To1970 = 11644473600ULL;

bool ToLocalTime(uint32_t seconds, SYSTEMTIME* local) {
  ULARGE_INTEGER ticks;
  ticks.QuadPart = (seconds + kSecondsFrom1601To1970) * 10000000ULL;
  FILETIME fileTime = {ticks.LowPart, ticks.HighPart};
  SYSTEMTIME utc;
  return FileTimeToSystemTime(&fileTime, &utc) &&
         SystemTimeToTzSpecificLocalTime(nullptr, &utc, local) && local->wYear != 0 &&
         local->wYear != 1900;
}
}  // namespace

MailLocalTime LocalMailTime(uint32_t seconds) {
  SYSTEMTIME local;
  if (seconds == 0 || !ToLocalTime(seconds, &local)) GetLocalTime(&local);
  MailLocalTime result;
  result.year = local.wYear;
  result.month = local.wMonth;
  result.day = local.wDay;
  result.dayOfWeek = local.wDayOfWeek;
  result.hour = local.wHour;
  result.minute = local.wMinute;
  result.second = local.wSecond;
  return result;
}

MailTimeZone CurrentMailTimeZone() {
  TIME_ZONE_INFORMATION info;
  DWORD id = GetTimeZoneInformation(&info);
  MailTimeZone zone;
  if (id == TIME_ZONE_ID_INVALID) return zone;
  zone.bias = info.Bias;
  zone.standardBias = info.StandardBias;
  zone.daylightBias = info.DaylightBias;
  zone.daylight = id == TIME_ZONE_ID_DAYLIGHT;
  return zone;
}

std::string FormatMailDate(uint32_t seconds) {
  return FormatMailDateText(LocalMailTime(seconds), CurrentMailTimeZone());
}
