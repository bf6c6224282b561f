// The rules of the reference editor and the time source editor that need no window: the
// modes, a list row's columns, the "disabled " prefix of an unchecked row, which controls are
// enabled, moving selected rows, and the clamps and texts of the editor's fields.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sampling/time_source.h"

// "Reference Clock Type" codes.
constexpr uint32_t kModeThisClock = 1;
constexpr uint32_t kModeSourceList = 3;

struct ReferenceMode {
  uint32_t code;
  const char* text;
};
// The six modes in list order.
extern const std::array<ReferenceMode, 6> kReferenceModes;

// The five column texts of a list row: name, protocol, authentication, samples, delay.
std::array<std::string, 5> ReferenceRowTexts(const TimeSourceSpec& spec);

// Whether a time-source line begins with "disabled " in any case.
bool HasDisabledPrefix(const std::string& line);
// The line after its row's check box changed: unchecked puts "disabled " in front unless the
// line has it; checked takes those 9 characters off when it has them.
std::string ApplyCheckState(const std::string& line, bool checked);
// Whether OK may store the list: mode 3 needs a line without the "disabled " prefix.
bool ReferenceListAcceptable(uint32_t mode, const std::vector<std::string>& lines);

// Which controls of the reference editor are enabled or shown.
struct ReferenceControls {
  bool list;        // the list and Add
  bool rowButtons;  // Delete, Edit, Move Up, Move Down
  bool analyze;
  bool note;        // the discovery note is shown
};
// The controls' state for a mode and whether a row is selected.
ReferenceControls ReferenceControlState(uint32_t mode, bool rowSelected);

// Move Up: the rows i, in order, that swap with row i - 1. A selected row moves above an
// unselected one; a selected row under another selected one stays below it, so a selected
// block at the top keeps its order.
std::vector<int> MoveUpSwaps(std::vector<bool> selected);
// Move Down: the rows i, in order, that swap with row i + 1, by the same rule.
std::vector<int> MoveDownSwaps(std::vector<bool> selected);

// The editor's number ranges.
constexpr uint32_t kMinSamples = 1, kMaxSamples = 32;
constexpr uint32_t kMinDelayMs = 16, kMaxDelayMs = 1024;
// Samples clamped to 1..32.
uint32_t ClampSamples(uint32_t samples);
// A delay clamped to 16..1024 ms.
uint32_t ClampDelay(uint32_t delayMs);
// A typed port: 0 becomes the protocol's default, above 65535 becomes 65535.
uint16_t GatheredPort(uint32_t typed, TimeProtocol protocol);

// Whether a source can authenticate as chosen: an OV2-HTTP reply carries no key to check a
// Windows-authenticated body with, so that pair can never succeed.
bool AuthenticationWorks(TimeProtocol protocol, uint32_t authType);

// The protocols the editor offers, in list order.
extern const std::array<TimeProtocol, 4> kEditorProtocols;
// "Symmetric key %u".
std::string KeyEntryText(uint32_t key);
// The key number of a "Symmetric key %u" entry (the number after its first 14 characters).
uint32_t KeyFromEntryText(const std::string& text);

// Whether a typed name can be stored: something besides blanks, and no blank inside.
bool IsStorableName(const std::string& typed);
// A typed comment as it can be stored: a double quote would end it early and let the rest be
// read as keywords, so each becomes a single quote.
std::string StorableComment(const std::string& typed);
