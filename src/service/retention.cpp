// Choosing a new check's key and the checks retention removes, whatever the clock did.
#include "service/retention.h"

#include <algorithm>

namespace {

void SortByTime(std::vector<StoredCheckKey>* keys) {
  std::sort(keys->begin(), keys->end(),
            [](const StoredCheckKey& a, const StoredCheckKey& b) { return a.time < b.time; });
}

// Where, in keys sorted by time, the checks stranded ahead of the clock begin (keys.size() when
// there are none): among the keys more than an hour ahead of now, the oldest stored after a jump,
// and every key after it. Keys ahead of the clock with no jump before them mean the clock itself
// went back; nothing is stranded then.
size_t StrandedFrom(const std::vector<StoredCheckKey>& keys, uint32_t now) {
  uint64_t ahead = uint64_t(now) + kClockAheadSeconds;
  for (size_t i = 0; i < keys.size(); ++i)
    if (keys[i].time > ahead && keys[i].afterJump) return i;
  return keys.size();
}

}  // namespace

uint32_t ClockJumpSeconds(uint32_t checkPeriodSeconds) {
  return uint32_t(std::max<uint64_t>(kClockAheadSeconds, uint64_t(checkPeriodSeconds) * 2));
}

CheckKey ChooseCheckKey(std::vector<StoredCheckKey> stored, uint32_t now, uint32_t checkPeriodSeconds) {
  SortByTime(&stored);
  uint32_t jump = ClockJumpSeconds(checkPeriodSeconds);
  stored.resize(StrandedFrom(stored, now));
  if (stored.empty()) return {now, false};
  uint32_t newest = stored.back().time;
  if (now > newest) return {now, now - newest > jump};
  return {newest == 0xFFFFFFFF ? 0 : newest + 1, false};
}

std::vector<uint32_t> RecordsToRemove(std::vector<StoredCheckKey> stored, uint32_t now, const RetentionRules& rules) {
  SortByTime(&stored);
  size_t stranded = StrandedFrom(stored, now);
  std::vector<bool> doomed(stored.size(), false);
  // By count: the stranded checks first, then the others oldest first.
  size_t surplus = stored.size() > rules.records ? stored.size() - rules.records : 0;
  for (size_t i = stranded; i < stored.size() && surplus > 0; ++i, --surplus) doomed[i] = true;
  for (size_t i = 0; i < stranded && surplus > 0; ++i, --surplus) doomed[i] = true;
  // By age, walking back from the newest check that agrees with the clock.
  uint64_t maxAge = uint64_t(rules.days) * 86400, unexplained = 0;
  for (size_t i = stranded; i-- > 0;) {
    if (i + 1 < stranded && stored[i + 1].afterJump) unexplained += stored[i + 1].time - stored[i].time;
    uint64_t age = now > stored[i].time ? uint64_t(now - stored[i].time) : 0;
    if (age > unexplained && age - unexplained > maxAge) doomed[i] = true;
  }
  std::vector<uint32_t> removed;
  for (size_t i = 0; i < stored.size(); ++i)
    if (doomed[i]) removed.push_back(stored[i].time);
  return removed;
}
