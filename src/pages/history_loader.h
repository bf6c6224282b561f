// CHistoryLoader: lists the data folder on a thread of its own, so that a long history never
// holds the sheet. It scans the folder, reads only the files that are new or changed since the
// page's copy was made, and hands what it found to the page in batches.
#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "pages/history_records.h"

// What a listing found since the page last asked.
struct HistoryBatch {
  std::vector<HistoryEntry> read;  // files read, new or changed
  std::vector<std::string> drop;   // files gone, or no longer readable
  bool done = false;               // the listing has ended
};

class CHistoryLoader {
 public:
  // Announces each batch by posting message to window.
  CHistoryLoader(HWND window, UINT message) : window_(window), message_(message) {}
  // Stops a listing in progress and waits for its thread.
  ~CHistoryLoader();
  CHistoryLoader(const CHistoryLoader&) = delete;
  CHistoryLoader& operator=(const CHistoryLoader&) = delete;

  // Starts listing folder against the files known; nothing while a listing runs.
  void Start(const std::string& folder, KnownSummaryFiles known);
  // Whether a listing runs, or has ended with a batch not yet taken.
  bool Busy() const { return busy_; }
  // Takes what the listing found since the last call.
  HistoryBatch Take();

 private:
  void List(const std::string& folder, const KnownSummaryFiles& known);
  void Hand(std::vector<HistoryEntry>* read, std::vector<std::string>* drop, bool done);

  HWND window_;
  UINT message_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> busy_{false};
  std::mutex lock_;
  HistoryBatch pending_;
  bool announced_ = false;
};
