// The Control Panel entry point.
#pragma once
#include <windows.h>

// Message by which a caller embeds the applet, passing its own window.
constexpr UINT kCallerWindowMessage = 0x11223348;

extern "C" __declspec(dllexport) LONG APIENTRY CPlApplet(HWND caller, UINT message, LPARAM param1, LPARAM param2);
