// Counting nested timing-critical sections per thread.
#include "sampling/timing_nesting.h"

bool CTimingNesting::Enter(uint32_t thread) {
  Entry& entry = threads_[thread];
  return ++entry.count == 1;
}

void CTimingNesting::SavePriority(uint32_t thread, int priority) { threads_[thread].savedPriority = priority; }

bool CTimingNesting::Leave(uint32_t thread, int* savedPriority) {
  auto it = threads_.find(thread);
  if (it == threads_.end()) return false;
  if (it->second.count > 1) {
    --it->second.count;
    return false;
  }
  bool outermost = it->second.count == 1;
  *savedPriority = it->second.savedPriority;
  threads_.erase(it);  // a leave without an entry just leaves the count at 0
  return outermost;
}

int CTimingNesting::Depth(uint32_t thread) const {
  auto it = threads_.find(thread);
  return it == threads_.end() ? 0 : it->second.count;
}
