// The Alerts page's controls record: filled from the settings and stored back.
#include "pages/alerts_rules.h"

#include <algorithm>

#include "monitor/settings.h"
#include "platform/text_numbers.h"

namespace {

uint32_t StoredLimit(const std::string& text) { return ClampAlertLimit(StrToUl32(text, 10)); }

uint32_t StoredRepeat(const std::string& text, uint32_t kept) {
  uint32_t seconds = StrToUl32(text, 10);
  return seconds == kept / 1000 ? kept : RepeatMilliseconds(seconds);
}

}  // namespace

AlertsControls AlertsControlsFor(const CMonitorSettings& s, bool mailConfigured) {
  AlertsControls c;
  c.slaveTest = s.slaveTest;
  c.slaveLimit = std::to_string(s.slaveLimit);
  c.singleTest = s.singleTest;
  c.singleLimit = std::to_string(s.singleLimit);
  c.totalTest = s.totalTest;
  c.totalLimit = std::to_string(s.totalLimit);
  c.eventLog = s.eventLogEnabled;
  c.eventSummaryOnly = s.eventLogSummaryOnly;
  c.mail = s.mailEnabled && mailConfigured;
  c.mailHighPriority = s.mailHighPriority;
  c.audioFile = s.audioFileName;
  c.audio = s.audioEnabled && NamesSoundFile(s.audioFileName);
  c.repeat = s.audioAckRequired;
  c.repeatSeconds = std::to_string(s.audioRepeatInterval / 1000);
  c.appletPopup = s.appletPopup;
  return c;
}

void StoreAlertsControls(const AlertsControls& c, bool mailConfigured, CMonitorSettings* s) {
  s->slaveTest = c.slaveTest;
  s->slaveLimit = StoredLimit(c.slaveLimit);
  s->singleTest = c.singleTest;
  s->singleLimit = StoredLimit(c.singleLimit);
  s->totalTest = c.totalTest;
  s->totalLimit = StoredLimit(c.totalLimit);
  s->eventLogEnabled = c.eventLog;
  s->eventLogSummaryOnly = c.eventSummaryOnly;
  s->mailEnabled = c.mail && mailConfigured;
  s->mailHighPriority = c.mailHighPriority;
  s->audioFileName = c.audioFile;
  s->audioEnabled = c.audio && NamesSoundFile(c.audioFile);
  s->audioAckRequired = c.repeat;
  s->audioRepeatInterval = StoredRepeat(c.repeatSeconds, s->audioRepeatInterval);
  s->appletPopup = c.appletPopup;
}

AlertsEnablement AlertsEnablementFor(bool mailChecked, bool eventLogChecked, bool audioChecked) {
  return AlertsEnablement{mailChecked, eventLogChecked, audioChecked};
}

uint32_t ClampAlertLimit(uint32_t milliseconds) { return std::clamp<uint32_t>(milliseconds, 1, 1000000); }

uint32_t RepeatMilliseconds(uint32_t seconds) { return std::clamp<uint32_t>(seconds, 1, 14400) * 1000; }

bool NamesSoundFile(const std::string& fileName) {
  return fileName.find_first_not_of(" \t\r\n") != std::string::npos;
}
