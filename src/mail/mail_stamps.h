// The stamps every composed message carries: Date text, Message-ID and X-Mailer.
#pragma once
#include <cstdint>
#include <string>

// A broken-down local time, as the platform reports it.
struct MailLocalTime {
  int year = 1970;
  int month = 1;      // 1..12
  int day = 1;        // 1..31
  int dayOfWeek = 4;  // 0 Sunday .. 6 Saturday
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The platform's time zone: minutes to add to local time to get UTC.
struct MailTimeZone {
  int32_t bias = 0;
  int32_t standardBias = 0;
  int32_t daylightBias = 0;
  bool daylight = false;  // daylight saving time is in effect
};

// "Wed, 15 Nov 2023 03:43:20 +0530": the RFC 5322 date of a local time in its zone.
std::string FormatMailDateText(const MailLocalTime& local, const MailTimeZone& zone);
// "<yyyymmdd.nnnnnnnn@TLServiceSMTP.host>" for message number on the local date.
std::string MakeMessageId(const MailLocalTime& local, uint32_t messageNumber,
                          const std::string& hostName);
// "TLServiceSMTP 0x0501 (built Mmm dd yyyy hh:mm:ss)" with this program's build date and time.
std::string MailerString();
