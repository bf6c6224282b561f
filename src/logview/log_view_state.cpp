// The viewer's follow and pause rules over plain positions and sizes.
#include "logview/log_view_state.h"

FollowTick CLogFollow::OnTick(int position) const {
  if (!autoRefresh_) return FollowTick::kIdle;
  return Follows(position) ? FollowTick::kCheckSize : FollowTick::kPaused;
}

void CLogFollow::Refreshed(int64_t size, int followPosition) {
  lastSize_ = size;
  followPosition_ = followPosition;
}

void CLogFollow::ToggleAutoRefresh() {
  autoRefresh_ = !autoRefresh_;
  if (autoRefresh_) return;
  followPosition_ = -1;
  lastSize_ = 0;
}

bool CLogFollow::ClickNotice() {
  followPosition_ = -1;
  if (autoRefresh_) return false;
  autoRefresh_ = true;
  return true;
}

void CLogFollow::FileChanged() {
  followPosition_ = -1;
  lastSize_ = -1;
}

int64_t CLogFind::Begin() {
  int64_t start = continuing_ ? next_ : 0;
  continuing_ = true;
  return start;
}

void CLogFind::NotFound() {
  continuing_ = false;
  next_ = 0;
}

bool CLogFind::CanFind(const std::string& text) { return text.find_first_not_of(" \t\r\n") != std::string::npos; }
