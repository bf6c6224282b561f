// The older single-block settings layout (REG_BINARY "Settings", up to 928 bytes),
// decoded into the individual values that replace it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t kOldSettingsSize = 928;

struct OldSettings {
  bool singleTest, totalTest, slaveTest;
  bool mailRequested;  // byte 4: mail was switched on
  bool summariesEnabled, eventLogEnabled, appletPopup;
  uint32_t summariesFrequency, checkFrequency, singleLimit, totalLimit, slaveLimit;
  uint32_t summariesLevel;  // 1 or 0
  bool sortByVariance;
  bool useManagerSettings;
  uint32_t mailFormat;  // 2 or 0
  std::string mailServer, mailFrom;
  std::vector<std::string> mailTo;
  uint32_t referenceClockType;
  std::vector<std::string> referenceClocks;

  // Mail ends up enabled only with a server, a sender, recipients and the switch on.
  bool MailEnabled() const { return mailRequested && !mailServer.empty() && !mailFrom.empty() && !mailTo.empty(); }
};

// Decodes a block; a shorter block reads as if padded with zero bytes, a longer one is cut.
OldSettings DecodeOldSettings(const std::string& block);
