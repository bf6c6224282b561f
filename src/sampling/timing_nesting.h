// Per-thread nesting of timing-critical sections: who saves the thread's priority on the way
// in and who restores it on the way out. No platform calls; the caller holds the lock.
#pragma once
#include <cstdint>
#include <map>

class CTimingNesting {
 public:
  // Counts one entry of thread; true when it is the outermost, whose priority SavePriority keeps.
  bool Enter(uint32_t thread);
  // Keeps the priority the outermost entry of thread found.
  void SavePriority(uint32_t thread, int priority);
  // Counts one leave of thread; true with the saved priority when the outermost entry ends.
  bool Leave(uint32_t thread, int* savedPriority);
  // Entries of thread not yet left.
  int Depth(uint32_t thread) const;

 private:
  struct Entry {
    int count = 0;
    int savedPriority = 0;
  };
  std::map<uint32_t, Entry> threads_;
};
