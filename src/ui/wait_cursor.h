// The applet-wide wait cursor: nested waits count, the first shows the hourglass and the last
// gives the arrow back.
#pragma once

// Counts a wait; the first of nested waits shows IDC_WAIT.
void BeginWaitCursor();
// Counts a wait down; the last restores IDC_ARROW. Never goes below no wait.
void EndWaitCursor();

// One wait for the lifetime of the object.
class CWaitCursor {
 public:
  CWaitCursor() { BeginWaitCursor(); }
  ~CWaitCursor() { EndWaitCursor(); }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
};
