#include "service/retention.h"

#include <algorithm>

std::vector<uint32_t> RecordsToRemove(std::vector<uint32_t> stored, uint32_t now, uint32_t retentionDays,
                                      uint32_t retentionRecords) {
  std::sort(stored.begin(), stored.end());
  uint64_t age = uint64_t(retentionDays) * 86400;
  uint32_t oldestKept = age >= now ? 0 : uint32_t(now - age);
  size_t expired = size_t(std::lower_bound(stored.begin(), stored.end(), oldestKept) - stored.begin());
  size_t surplus = stored.size() > retentionRecords ? stored.size() - retentionRecords : 0;
  stored.resize(std::max(expired, surplus));
  return stored;
}
