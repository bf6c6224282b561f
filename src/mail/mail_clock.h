// The platform clock and time zone behind mail stamps (Windows only).
#pragma once
#include <cstdint>
#include <string>

#include "mail/mail_stamps.h"

// Local time of seconds since 1970 UTC; the current local time for 0 or an unconvertible value.
MailLocalTime LocalMailTime(uint32_t seconds);
// The platform's current zone biases and whether daylight saving time is in effect.
MailTimeZone CurrentMailTimeZone();
// The Date header text of seconds since 1970 UTC (0: now) in the current zone.
std::string FormatMailDate(uint32_t seconds);
