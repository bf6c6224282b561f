// The log viewer's per-user preferences: font, shown columns and colours, auto-refresh and
// the window's placement, kept under the applet's per-user key.
#pragma once
#include <cstdint>
#include <string>

#include "logview/log_rtf.h"

// The applet's per-user key below HKEY_CURRENT_USER, created when a preference is saved.
extern const char kPreferenceKeyPath[];

struct LogViewerPreferences {
  std::string fontFace = "Lucida Console";
  uint32_t fontSize = 9;  // points
  LogRtfOptions show;     // date, time, level and colours
  bool autoRefresh = true;
  int32_t position[4] = {};  // left, top, width, height of the window

  // Whether a placement was recorded (all four numbers non-zero).
  bool HasPosition() const { return position[0] && position[1] && position[2] && position[3]; }
};

// The stored preferences; each missing or malformed value keeps its default.
LogViewerPreferences LoadLogViewerPreferences();
// Stores every preference (the placement only when one was recorded).
void SaveLogViewerPreferences(const LogViewerPreferences& preferences);
