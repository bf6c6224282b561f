// Times as ISO 8601 UTC text, the form scripts, spreadsheets and event collectors read: written
// from seconds since 1970 or 100-nanosecond units since 1601, and read back from what a user types.
#pragma once
#include <cstdint>
#include <string>

// Days since 1970-01-01 of a proleptic Gregorian date (month 1 to 12, day 1 to 31).
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day);
// UTC in ISO 8601 of a time in 100 ns since 1601 ("2026-12-10T16:03:11.123Z"); before 1970 gives the epoch.
std::string IsoTimeFrom100ns(uint64_t time);
// UTC in ISO 8601 of seconds since 1970 ("2026-12-10T16:03:11Z").
std::string IsoTimeFromUnix(uint32_t seconds);
// Seconds since 1970 of "YYYY-MM-DD" (its midnight), "YYYY-MM-DDThh:mm" or "YYYY-MM-DDThh:mm:ss",
// each UTC with an optional "Z" ("T" may be a space); false for any other text, a date that does
// not exist, or a time outside 1970 to 2106.
bool ParseIsoTime(const std::string& text, uint32_t* seconds);
