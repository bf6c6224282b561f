// The keys of stored checks when the clock jumps: which key a new check takes, and which stored
// checks retention removes. A key is a check's time in seconds since 1970 as this machine's clock
// read it, so a clock set wrong, forward or back, must neither reorder the store nor age it: the
// store's own keys say what the clock cannot.
#pragma once
#include <cstdint>
#include <vector>

// A clock more than this ahead of a key, or a key more than this ahead of the clock, has jumped.
constexpr uint32_t kClockAheadSeconds = 3600;

// A stored check as retention sees it.
struct StoredCheckKey {
  uint32_t time = 0;
  bool afterJump = false;  // stored when the clock had jumped far beyond the newest check before it
};

// How far apart two checks may be stored before the gap counts as a jump of the clock: two check
// periods, at least an hour.
uint32_t ClockJumpSeconds(uint32_t checkPeriodSeconds);

// The key of a check made at now.
struct CheckKey {
  uint32_t time = 0;       // 0 when no key is left (the newest key is the last one there is)
  bool afterJump = false;  // now is far beyond the newest check the clock can account for
};
// A new check's key: now, unless a check already stored is at or after now; then the second after
// the newest, so that a clock set back never sorts a new check before an older one or onto it.
// Checks stamped far ahead of the clock by a clock that has since been set right (from the first
// one stored after a jump on) are passed over, so that a short excursion of the clock does not
// leave every later key in the future.
CheckKey ChooseCheckKey(std::vector<StoredCheckKey> stored, uint32_t now, uint32_t checkPeriodSeconds);

// What "Retention (days)" and "Retention (records)" keep, with the check period they are judged by.
struct RetentionRules {
  uint32_t days = 30;
  uint32_t records = 50;
  uint32_t checkPeriodSeconds = 720 * 60;
};
// The keys among stored (any order) to remove at now, oldest key first. A check's age is now
// minus its key, less every jump gap that follows it (a gap ending at a check stored after a jump
// is the clock's, not time's), so no clock jump ever ages the store. By count, checks stranded
// ahead of a clock set right go first, then the oldest.
std::vector<uint32_t> RecordsToRemove(std::vector<StoredCheckKey> stored, uint32_t now, const RetentionRules& rules);
