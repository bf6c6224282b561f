// Counting nested waits and showing the hourglass.
#include "ui/wait_cursor.h"

#include <windows.h>

namespace {

volatile LONG g_waits = 0;

}  // namespace

void BeginWaitCursor() {
  if (InterlockedIncrement(&g_waits) == 1) SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

void EndWaitCursor() {
  LONG left = InterlockedDecrement(&g_waits);
  if (left < 0) {
    InterlockedIncrement(&g_waits);
    return;
  }
  if (left == 0) SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}
