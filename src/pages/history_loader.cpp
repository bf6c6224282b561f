// CHistoryLoader: the listing thread and the batches it hands to the page.
#include "pages/history_loader.h"

#include "monitor/data_store.h"

namespace {

// A batch is handed over after this many records or this many milliseconds of reading.
const size_t kBatchRecords = 256;
const ULONGLONG kBatchMilliseconds = 50;

}  // namespace

CHistoryLoader::~CHistoryLoader() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void CHistoryLoader::Start(const std::string& folder, KnownSummaryFiles known) {
  if (busy_) return;
  if (thread_.joinable()) thread_.join();
  busy_ = true;
  thread_ = std::thread([this, folder, known = std::move(known)] { List(folder, known); });
}

HistoryBatch CHistoryLoader::Take() {
  std::lock_guard<std::mutex> guard(lock_);
  HistoryBatch batch = std::move(pending_);
  pending_ = HistoryBatch();
  announced_ = false;
  if (batch.done) busy_ = false;
  return batch;
}

void CHistoryLoader::List(const std::string& folder, const KnownSummaryFiles& known) {
  CMonitorStore store(folder);
  HistoryRefreshPlan plan = PlanHistoryRefresh(known, store.ScanSummaryFiles());
  std::vector<HistoryEntry> read;
  ULONGLONG handed = GetTickCount64();
  for (const SummaryFile& file : plan.read) {
    if (stop_) return;
    HistoryEntry entry{file, SummaryRecord()};
    if (store.ReadSummaryFile(file.name, &entry.record))
      read.push_back(std::move(entry));
    else
      plan.drop.push_back(file.name);
    if (read.size() >= kBatchRecords || GetTickCount64() - handed >= kBatchMilliseconds) {
      Hand(&read, &plan.drop, false);
      handed = GetTickCount64();
    }
  }
  Hand(&read, &plan.drop, true);
}

// Moves what was found into the pending batch and tells the page once until it takes it.
void CHistoryLoader::Hand(std::vector<HistoryEntry>* read, std::vector<std::string>* drop, bool done) {
  std::lock_guard<std::mutex> guard(lock_);
  for (HistoryEntry& entry : *read) pending_.read.push_back(std::move(entry));
  for (std::string& name : *drop) pending_.drop.push_back(std::move(name));
  read->clear();
  drop->clear();
  pending_.done = done;
  if (!announced_) announced_ = PostMessageA(window_, message_, 0, 0) != 0;
}
