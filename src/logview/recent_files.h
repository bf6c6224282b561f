// CMRU: the files most recently opened in the log viewer, newest first, kept per user in
// "LogView MRU" (UTF-16 REG_MULTI_SZ) and held in the ANSI code page.
#pragma once
#include <string>
#include <vector>

class CMRU {
 public:
  static constexpr size_t kMaxCount = 10;

  virtual ~CMRU() = default;
  // Appends the stored entries (at most kMaxCount; a missing or malformed value adds none).
  void Load();
  // Writes the entries back.
  void Save() const;
  // Puts path first, dropping an equal entry (any case) and the oldest beyond kMaxCount.
  void Add(const std::string& path);
  // The entries, newest first.
  const std::vector<std::string>& Entries() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};
