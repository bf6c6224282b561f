// Windows drawn at another DPI under Wine, which takes the DPI from the prefix's LogPixels when a
// process starts: a test program runs its own tests at each DPI in a child process; the parent
// sets LogPixels, starts the child and puts the value back as soon as the child has taken its DPI.
#pragma once
#include <windows.h>

#include <string>

// The DPI this process was started to draw at (0: it is not a child).
int ChildDpi();
// Runs this program's tests that match filter in a child drawing at dpi and waits at most
// limitMs for it; its exit code (0 when they all passed, 2 when it did not start, 3 when it
// was ended for running too long).
DWORD RunChildAt(int dpi, const std::string& filter, DWORD limitMs);
