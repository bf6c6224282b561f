// The reference and time source editors' rules that need no window.
#include "timesources/source_rules.h"

#include <cctype>
#include <cstdlib>

#include "platform/blank_text.h"
#include "sampling/keyring.h"

const std::array<ReferenceMode, 6> kReferenceModes = {{
    {1, "Use this machine's clock"},
    {2, "Use this machine's list of time sources"},
    {3, "Specify a list of time sources"},
    {4, "Discover OV2 server(s)"},
    {5, "Discover NTP server(s)"},
    {6, "Discover any available server(s)"},
}};

const std::array<TimeProtocol, 4> kEditorProtocols = {kProtocolOv2Udp, kProtocolOv2Tcp, kProtocolOv2Http,
                                                      kProtocolNtp};

namespace {

const char kDisabledPrefix[] = "disabled ";
constexpr size_t kDisabledPrefixLength = sizeof kDisabledPrefix - 1;
const char kKeyEntryPrefix[] = "Symmetric key ";

std::string AuthText(const TimeSourceSpec& spec) {
  switch (spec.authType) {
    case 0: return "None";
    case 1: return "Broadcast";
    case 3: return "Windows";
    default: return "Key " + std::to_string(int32_t(spec.keyId));
  }
}

}  // namespace

std::array<std::string, 5> ReferenceRowTexts(const TimeSourceSpec& spec) {
  return {spec.isDomain ? spec.domain : spec.server, ProtocolName(spec.protocol), AuthText(spec),
          std::to_string(spec.samples), spec.samples == 1 ? "n/a" : std::to_string(spec.delayMs)};
}

bool HasDisabledPrefix(const std::string& line) {
  if (line.size() < kDisabledPrefixLength) return false;
  for (size_t i = 0; i < kDisabledPrefixLength; ++i)
    if (std::tolower(static_cast<unsigned char>(line[i])) != kDisabledPrefix[i]) return false;
  return true;
}

std::string ApplyCheckState(const std::string& line, bool checked) {
  if (checked) return HasDisabledPrefix(line) ? line.substr(kDisabledPrefixLength) : line;
  return HasDisabledPrefix(line) ? line : kDisabledPrefix + line;
}

bool ReferenceListAcceptable(uint32_t mode, const std::vector<std::string>& lines) {
  if (mode != kModeSourceList) return true;
  for (const std::string& line : lines)
    if (!HasDisabledPrefix(line)) return true;
  return false;
}

ReferenceControls ReferenceControlState(uint32_t mode, bool rowSelected) {
  bool list = mode == kModeSourceList;
  return {list, list && rowSelected, mode != kModeThisClock, mode >= 4 && mode <= 6};
}

std::vector<int> MoveUpSwaps(std::vector<bool> selected) {
  std::vector<int> swaps;
  for (size_t i = 1; i < selected.size(); ++i) {
    if (!selected[i] || selected[i - 1]) continue;
    selected[i] = false;
    selected[i - 1] = true;
    swaps.push_back(int(i));
  }
  return swaps;
}

std::vector<int> MoveDownSwaps(std::vector<bool> selected) {
  std::vector<int> swaps;
  for (size_t i = selected.size(); i-- > 1;) {
    if (!selected[i - 1] || selected[i]) continue;
    selected[i - 1] = false;
    selected[i] = true;
    swaps.push_back(int(i - 1));
  }
  return swaps;
}

uint32_t ClampSamples(uint32_t samples) {
  return samples < kMinSamples ? kMinSamples : samples > kMaxSamples ? kMaxSamples : samples;
}

uint32_t ClampDelay(uint32_t delayMs) {
  return delayMs < kMinDelayMs ? kMinDelayMs : delayMs > kMaxDelayMs ? kMaxDelayMs : delayMs;
}

uint16_t GatheredPort(uint32_t typed, TimeProtocol protocol) {
  if (typed == 0) return DefaultPort(protocol);
  return typed > 65535 ? 65535 : uint16_t(typed);
}

std::string KeyEntryText(uint32_t key) { return kKeyEntryPrefix + std::to_string(key); }

uint32_t KeyFromEntryText(const std::string& text) {
  constexpr size_t kPrefixLength = sizeof kKeyEntryPrefix - 1;
  if (text.size() <= kPrefixLength) return 0;
  return uint32_t(std::strtoul(text.c_str() + kPrefixLength, nullptr, 10));
}

bool AuthenticationWorks(TimeProtocol protocol, uint32_t authType) {
  return !(protocol == kProtocolOv2Http && authType == kAuthWindows);
}

bool IsStorableName(const std::string& typed) {
  std::string name = TrimBlanks(typed);
  return !name.empty() && name.find_first_of(" \t\r\n") == std::string::npos;
}

std::string StorableComment(const std::string& typed) {
  std::string comment = typed;
  for (char& c : comment)
    if (c == '"') c = '\'';
  return comment;
}
