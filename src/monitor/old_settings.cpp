// Reading the older single-block settings layout into its fields.
#include "monitor/old_settings.h"

namespace {

// A zero-terminated text inside [offset, end) of the block.
std::string TextAt(const std::string& block, size_t offset, size_t end) {
  std::string slot = block.substr(offset, end - offset);
  return slot.substr(0, slot.find('\0'));
}

uint32_t WordAt(const std::string& block, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<uint8_t>(block[offset + i])) << (8 * i);
  return value;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    if (end > start) lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

uint32_t ReferenceType(uint8_t code, bool hasText) {
  if (code == 0) return 4;
  if (code == 2 || code == 3) return hasText ? 3 : 2;
  return 1;
}

}  // namespace

OldSettings DecodeOldSettings(const std::string& raw) {
  std::string block = raw.substr(0, kOldSettingsSize);
  block.resize(kOldSettingsSize, '\0');
  auto byte = [&](size_t offset) { return static_cast<uint8_t>(block[offset]); };
  OldSettings s;
  s.singleTest = byte(1) != 0;
  s.totalTest = byte(2) != 0;
  s.slaveTest = byte(3) != 0;
  s.mailRequested = byte(4) != 0;
  s.summariesEnabled = byte(5) != 0;
  s.eventLogEnabled = byte(6) != 0;
  s.appletPopup = byte(7) != 0;
  s.summariesFrequency = WordAt(block, 8);
  s.checkFrequency = WordAt(block, 12);
  s.singleLimit = WordAt(block, 16);
  s.totalLimit = WordAt(block, 20);
  s.slaveLimit = WordAt(block, 24);
  s.mailServer = TextAt(block, 28, 156);
  s.mailFrom = TextAt(block, 156, 284);
  s.mailTo = SplitLines(TextAt(block, 284, 412));
  s.summariesLevel = byte(412) != 0 ? 1 : 0;
  s.sortByVariance = byte(414) != 0;
  s.useManagerSettings = byte(415) != 0;
  s.mailFormat = byte(416) != 0 ? 2 : 0;
  std::string reference = TextAt(block, 546, kOldSettingsSize);
  uint8_t referenceCode = byte(545);
  s.referenceClockType = ReferenceType(referenceCode, !reference.empty());
  if (s.referenceClockType == 3) s.referenceClocks.push_back(reference);
  return s;
}
