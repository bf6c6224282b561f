// The module that holds the applet's code and resources (the .cpl, or a test program).
#pragma once
#include <windows.h>

// Instance handle of the module this code is linked into.
HINSTANCE AppletModule();
