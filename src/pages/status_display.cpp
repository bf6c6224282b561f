// The Status page's texts and icons for the service, the last check and the last alert.
#include "pages/status_display.h"

#include <cctype>

#include "monitor/check_verdicts.h"

const char kNoHistoryText[] = "History unavailable";
const char kScanningText[] = "Scanning now; please wait";

namespace {

const char kTemplateText[] = "Last check...";

}  // namespace

uint32_t NextAnimationState(uint32_t state) {
  if (state == 1) return 3;
  if (state == 3) return 2;
  return 1;
}

void CStatusDisplay::Reset() {
  view_ = StatusView{};
  view_.check.text = view_.alert.text = kTemplateText;
  Forget();
  animation_ = kFirstAnimationState;
  scanning_ = false;
}

StatusLine CStatusDisplay::LineOf(const SummaryRecord& record) const {
  if (record.time == 0) return {kNoHistoryText, record.status, ""};
  std::string unmeasured = UnmeasuredText(record);
  if (!unmeasured.empty()) unmeasured[0] = char(std::toupper(static_cast<unsigned char>(unmeasured[0])));
  return {format_(record.time), record.status, unmeasured};
}

void CStatusDisplay::Show(const SummaryRecord& check, const SummaryRecord& alert) {
  EndScanning();
  ShowChanged(check, alert);
}

void CStatusDisplay::Poll(ServiceState state, bool alertRinging, const SummaryRecord& check,
                          const SummaryRecord& alert) {
  if (alertRinging) view_.acknowledgeVisible = true;
  switch (state) {
    case ServiceState::kScanning:
      ShowScanning();
      break;
    case ServiceState::kIdle:
      if (scanning_ || !view_.rescanEnabled) EndScanning();
      view_.rescanEnabled = true;
      ShowChanged(check, alert);
      break;
    case ServiceState::kStopped:
      // A service that stopped during a check leaves no check running: show the stored results.
      view_.rescanEnabled = false;
      if (scanning_) {
        EndScanning();
        ShowChanged(check, alert);
      }
      break;
  }
}

// The lines stop being links while a check runs; the icons cycle on every poll.
void CStatusDisplay::ShowScanning() {
  if (!scanning_) {
    scanning_ = true;
    view_.linksClickable = false;
    view_.rescanEnabled = false;
    view_.check.text = view_.alert.text = kScanningText;
    view_.check.note = view_.alert.note = "";
  }
  animation_ = NextAnimationState(animation_);
  view_.check.iconState = view_.alert.iconState = animation_;
}

void CStatusDisplay::EndScanning() {
  scanning_ = false;
  view_.linksClickable = true;
  Forget();
}

// A record's time may itself be 0xFFFFFFFF: a flag, not the time, says the lines are out of date.
void CStatusDisplay::Forget() {
  shownCheck_ = shownAlert_ = kNothingShown;
  stale_ = true;
}

void CStatusDisplay::ShowChanged(const SummaryRecord& check, const SummaryRecord& alert) {
  if (stale_ || check.time != shownCheck_) {
    shownCheck_ = check.time;
    view_.check = LineOf(check);
  }
  if (stale_ || alert.time != shownAlert_) {
    shownAlert_ = alert.time;
    view_.alert = LineOf(alert);
  }
  stale_ = false;
}
