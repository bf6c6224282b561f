// The Date, Message-ID and X-Mailer texts of a message.
#include "mail/mail_stamps.h"

#include <cstdio>

namespace {
const char* const kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int Clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

// UTC = local + offset; the sign shown is that of local - UTC, taken from the whole offset.
std::string FormatZone(const MailTimeZone& zone) {
  int64_t offset =
      static_cast<int64_t>(zone.bias) + (zone.daylight ? zone.daylightBias : zone.standardBias);
  int64_t magnitude = offset < 0 ? -offset : offset;
  char text[32];
  std::snprintf(text, sizeof text, "%c%02d%02d", offset > 0 ? '-' : '+',
                static_cast<int>(magnitude / 60), static_cast<int>(magnitude % 60));
  return text;
}
}  // namespace

std::string FormatMailDateText(const MailLocalTime& local, const MailTimeZone& zone) {
  char text[96];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d ",
                kDayNames[Clamp(local.dayOfWeek, 0, 6)], local.day,
                kMonthNames[Clamp(local.month, 1, 12) - 1], local.year, local.hour, local.minute,
                local.second);
  return text + FormatZone(zone);
}

std::string MakeMessageId(const MailLocalTime& local, uint32_t messageNumber,
                          const std::string& hostName) {
  char text[64];
  std::snprintf(text, sizeof text, "<%04d%02d%02d.%08u@%s.", local.year, local.month, local.day,
                messageNumber, "TLServiceSMTP");
  return text + hostName + ">";
}

std::string MailerString() {
  char text[96];
  std::snprintf(text, sizeof text, "%s 0x%04x (built %s %s)", "TLServiceSMTP", 0x0501, __DATE__,
                __TIME__);
  return text;
}
