// CSettingsPage: a page of the sheet that reads and edits the applet's settings record, which
// the sheet's owner hands to every page before the sheet runs.
#pragma once
#include "ui/basic_prop_page.h"

struct CMonitorSettings;

class CSettingsPage : public CBasicPropPage {
 public:
  // The record this page reads and edits from now on.
  void AttachSettings(CMonitorSettings* settings) { settings_ = settings; }

 protected:
  // The attached record.
  CMonitorSettings& Settings() const { return *settings_; }

 private:
  CMonitorSettings* settings_ = nullptr;
};
