// The log viewer's rules over plain values: when the view follows a growing log and when it
// pauses because the user scrolled up, and where the next search starts. The window feeds
// them its vertical position (the first row in view), the file's size and the user's clicks.
#pragma once
#include <cstdint>
#include <string>

// What one tick of the viewer's timer does.
enum class FollowTick {
  kIdle,       // auto-refresh is off: nothing
  kPaused,     // the user scrolled up: show the paused notice
  kCheckSize,  // the view sits where the last refresh left it: hide the notice, compare sizes
};

class CLogFollow {
 public:
  explicit CLogFollow(bool autoRefresh) : autoRefresh_(autoRefresh) {}

  // The tick at the text's vertical position.
  FollowTick OnTick(int position) const;
  // Whether the view at this position sits where the last refresh left it (or further on), or
  // the position is unknown: a refresh then moves it along with the file.
  bool Follows(int position) const { return position >= followPosition_; }
  // Whether a file of this size must be reloaded.
  bool NeedsReload(int64_t size) const { return size != lastSize_; }
  // A refresh read size bytes of file and left the view at followPosition (-1: unknown).
  void Refreshed(int64_t size, int followPosition);
  // Flips auto-refresh; switching it off forgets the position and the size.
  void ToggleAutoRefresh();
  // The paused notice was clicked: follow again, switching auto-refresh on; true when it was off.
  bool ClickNotice();
  // Another file is shown, or the file was cleared: the position is unknown, and the next tick
  // reloads whatever its size.
  void FileChanged();

  // Whether the view reloads by itself.
  bool AutoRefresh() const { return autoRefresh_; }
  // The scroll position the last refresh left (-1: unknown).
  int FollowPosition() const { return followPosition_; }

 private:
  bool autoRefresh_;
  int followPosition_ = -1;
  int64_t lastSize_ = 0;
};

// Find and Find Next: each search continues after the last match until one fails.
class CLogFind {
 public:
  // The character index the search starts at; the caption becomes "Find Next".
  int64_t Begin();
  // The match ended at end: the next search starts there.
  void Found(int64_t end) { next_ = end; }
  // Nothing more was found: back to the start, caption "Find".
  void NotFound();
  // The find text was edited: caption "Find", the next search starts at 0.
  void Edited() { continuing_ = false; }
  // The button's caption.
  const char* Caption() const { return continuing_ ? "Find Next" : "Find"; }
  // Whether the button is enabled for this find text: it holds more than blanks.
  static bool CanFind(const std::string& text);

 private:
  bool continuing_ = false;
  int64_t next_ = 0;
};
