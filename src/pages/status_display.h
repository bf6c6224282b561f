// What the Status page shows of the service and of its last check and last alert, as its
// poll sees the service start and stop checks: the two time lines with their state icons,
// whether the lines can be clicked, and whether "Rescan Now" and "Acknowledge" are offered.
#pragma once
#include <cstdint>
#include <string>

#include "monitor/summary_record.h"

// A shown time that no record has: the next poll shows the records again.
constexpr uint32_t kNothingShown = 0xFFFFFFFF;
// The animation state the page starts with.
constexpr uint32_t kFirstAnimationState = 3;
extern const char kNoHistoryText[];  // the line of a record whose time is 0
extern const char kScanningText[];   // both lines while a check runs

// The icon state that follows state while a check runs: 3, 2, 1, 3, ...; any other gives 1.
uint32_t NextAnimationState(uint32_t state);

enum class ServiceState { kStopped, kIdle, kScanning };

// One time line: its text (UTF-8), the check state whose icon stands beside it, and the note
// under it saying what the check could not measure (empty when it measured everything).
struct StatusLine {
  std::string text;
  uint32_t iconState = 0;
  std::string note;
  bool operator==(const StatusLine& other) const = default;
};

// The state of the page's changing controls.
struct StatusView {
  StatusLine check;
  StatusLine alert;
  bool linksClickable = true;
  bool rescanEnabled = true;
  bool acknowledgeVisible = false;
};

class CStatusDisplay {
 public:
  // Local time text of seconds since 1970.
  using TimeFormatter = std::string (*)(uint32_t seconds);

  // A display that formats times with format; starts as Reset leaves it.
  explicit CStatusDisplay(TimeFormatter format) : format_(format) { Reset(); }

  // A new page: template texts, unknown icons, nothing shown, animation state 3.
  void Reset();
  // The page became active: shows both records and leaves any scanning display.
  void Show(const SummaryRecord& check, const SummaryRecord& alert);
  // One poll: the service's state, whether the audible alert sounds, the stored records.
  void Poll(ServiceState state, bool alertRinging, const SummaryRecord& check, const SummaryRecord& alert);
  // The user acknowledged the audible alert.
  void Acknowledge() { view_.acknowledgeVisible = false; }

  // What the controls should show.
  const StatusView& View() const { return view_; }
  // Time of the last-check record on display, or kNothingShown.
  uint32_t ShownCheckTime() const { return shownCheck_; }
  // Time of the last-alert record on display, or kNothingShown.
  uint32_t ShownAlertTime() const { return shownAlert_; }

 private:
  StatusLine LineOf(const SummaryRecord& record) const;
  void ShowScanning();
  void EndScanning();
  void Forget();
  void ShowChanged(const SummaryRecord& check, const SummaryRecord& alert);

  TimeFormatter format_;
  StatusView view_;
  uint32_t shownCheck_ = kNothingShown;
  uint32_t shownAlert_ = kNothingShown;
  uint32_t animation_ = kFirstAnimationState;
  bool scanning_ = false;
  bool stale_ = true;
};
