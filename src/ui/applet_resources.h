// The icons, bitmaps and libraries the sheet uses while it runs.
#pragma once
#include <windows.h>

#include <cstdint>

// The state icon resource for a check state: 1 alert, 2 in progress, 3 passed, else unknown.
int StateIconId(uint32_t state);

class CAppletResources {
 public:
  // Loads the applet icons, riched20.dll, the bitmaps and the state icons; missing ones stay null.
  void Load();
  // Releases everything loaded, in the shut-down order.
  void Release();
  // The applet icon at small-icon size.
  HICON SmallIcon() const { return smallIcon_; }
  // The applet icon at large-icon size.
  HICON LargeIcon() const { return largeIcon_; }
  // The loaded icon for a check state.
  HICON StateIcon(uint32_t state) const;

 private:
  HICON smallIcon_ = nullptr;
  HICON largeIcon_ = nullptr;
  HMODULE richEdit_ = nullptr;
  HBITMAP bitmaps_[3] = {};
  HICON stateIcons_[4] = {};  // 124, 127, 126, 128
};

// The resources of the running sheet.
CAppletResources& AppletResources();
