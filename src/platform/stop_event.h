// The process-wide manual-reset stop event that ends a sampling run at its next pause or
// stream read. The program makes one when it loads; a test may install its own.
#pragma once
#include <windows.h>

// Installs event as the stop event (nullptr: there is none).
void InstallStopEvent(HANDLE event);
// The installed stop event, or nullptr.
HANDLE StopEvent();
// Polls without waiting: true when the event is set or there is none.
bool StopRequested();
