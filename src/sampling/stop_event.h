// The process-wide manual-reset stop event that ends a sampling run at its next pause or
// stream read. Its owner creates it and installs it here; readers only look at it.
#pragma once
#include <windows.h>

// Installs event as the stop event (nullptr: there is none).
void InstallStopEvent(HANDLE event);
// The installed stop event, or nullptr.
HANDLE StopEvent();
// Polls without waiting: true when the event is set or there is none.
bool StopRequested();
