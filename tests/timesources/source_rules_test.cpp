// The reference editor's and time source editor's rules without a window: row texts, the
// "disabled " prefix, control states, moving selected rows, and the editor's corrections.
#include "timesources/source_rules.h"

#include <gtest/gtest.h>

#include "sampling/fake_domain.h"

namespace {

TimeSourceSpec Parsed(const char* line) {
  TimeSourceSpec spec;
  EXPECT_TRUE(ParseTimeSource(spec, line, true)) << line << ": " << spec.errorText;
  return spec;
}

TEST(ReferenceRow, ColumnsFromTheParsedLine) {
  CFakeNetlogon netlogon;  // "key windows" fetches this computer's RID
  struct Case {
    const char* line;
    std::array<std::string, 5> texts;
  } cases[] = {
      {"server ntp.example.com protocol ntp", {"ntp.example.com", "NTP", "None", "1", "n/a"}},
      {"server 10.0.0.1 protocol ov2-tcp samples 4 delay 500 key 7", {"10.0.0.1", "OV2-TCP", "Key 7", "4", "500"}},
      {"server h protocol http samples 2 key windows", {"h", "OV2-HTTP", "Windows", "2", "256"}},
      {"disabled domain corp protocol ov2 samples 1 delay 900", {"CORP", "OV2-UDP", "None", "1", "n/a"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReferenceRowTexts(Parsed(c.line)), c.texts) << c.line;
  TimeSourceSpec broadcast = Parsed("server h protocol ntp");
  broadcast.authType = 1;
  EXPECT_EQ(ReferenceRowTexts(broadcast)[2], "Broadcast");
}

TEST(ReferenceRow, CheckBoxPutsOrTakesTheDisabledPrefix) {
  struct Case {
    const char* line;
    bool checked;
    const char* result;
  } cases[] = {
      {"server a protocol ntp", false, "disabled server a protocol ntp"},
      {"disabled server a protocol ntp", false, "disabled server a protocol ntp"},
      {"DISABLED server a protocol ntp", true, "server a protocol ntp"},
      {"Disabled server a protocol ntp", true, "server a protocol ntp"},
      {"server a protocol ntp", true, "server a protocol ntp"},
      {"disabledserver a", true, "disabledserver a"},
      {"disabled", true, "disabled"},
  };
  for (const Case& c : cases) EXPECT_EQ(ApplyCheckState(c.line, c.checked), c.result) << c.line;
}

TEST(ReferenceList, OnlyModeThreeNeedsAnEnabledLine) {
  const std::vector<std::string> allDisabled = {"disabled server a protocol ntp", "DISABLED server b protocol ntp"};
  EXPECT_FALSE(ReferenceListAcceptable(3, allDisabled));
  EXPECT_FALSE(ReferenceListAcceptable(3, {}));
  EXPECT_TRUE(ReferenceListAcceptable(3, {"disabled server a protocol ntp", "server b protocol ntp"}));
  for (uint32_t mode : {1u, 2u, 4u, 5u, 6u}) EXPECT_TRUE(ReferenceListAcceptable(mode, allDisabled)) << mode;
}

TEST(ReferenceControls, ByModeAndSelection) {
  struct Case {
    uint32_t mode;
    bool selected;
    bool list, rowButtons, analyze, note;
  } cases[] = {
      {1, true, false, false, false, false}, {2, true, false, false, true, false}, {3, false, true, false, true, false},
      {3, true, true, true, true, false},    {4, true, false, false, true, true},  {6, false, false, false, true, true},
      {7, true, false, false, true, false},
  };
  for (const Case& c : cases) {
    ReferenceControls state = ReferenceControlState(c.mode, c.selected);
    EXPECT_EQ(state.list, c.list) << c.mode;
    EXPECT_EQ(state.rowButtons, c.rowButtons) << c.mode;
    EXPECT_EQ(state.analyze, c.analyze) << c.mode;
    EXPECT_EQ(state.note, c.note) << c.mode;
  }
}

// Applies the swaps to row names 0..n-1 and returns the new order.
std::vector<int> Moved(const std::vector<bool>& selected, bool up) {
  std::vector<int> order(selected.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
  for (int row : up ? MoveUpSwaps(selected) : MoveDownSwaps(selected)) std::swap(order[row], order[up ? row - 1 : row + 1]);
  return order;
}

TEST(ReferenceMove, SelectedRowsMoveTogetherAndKeepTheirOrder) {
  struct Case {
    std::vector<bool> selected;
    bool up;
    std::vector<int> order;
  } cases[] = {
      {{false, false, true, true, false}, true, {0, 2, 3, 1, 4}},
      {{false, true, true, false, false}, true, {1, 2, 0, 3, 4}},
      {{true, true, false, true}, true, {0, 1, 3, 2}},  // a block at the top stays as it is
      {{true, false, true, false}, true, {0, 2, 1, 3}},
      {{false, true, true, false}, false, {0, 3, 1, 2}},
      {{false, false, true, true}, false, {0, 1, 2, 3}},  // a block at the bottom stays
      {{true}, true, {0}},
      {{true}, false, {0}},
  };
  for (const Case& c : cases) EXPECT_EQ(Moved(c.selected, c.up), c.order);
}

TEST(SourceEditorRules, CorrectionsAndTexts) {
  EXPECT_EQ(ClampSamples(0), 1u);
  EXPECT_EQ(ClampSamples(40), 32u);
  EXPECT_EQ(ClampSamples(7), 7u);
  EXPECT_EQ(ClampDelay(5), 16u);
  EXPECT_EQ(ClampDelay(5000), 1024u);
  EXPECT_EQ(ClampDelay(300), 300u);
  EXPECT_EQ(GatheredPort(0, kProtocolOv2Http), 80);
  EXPECT_EQ(GatheredPort(0, kProtocolOv2Tcp), 9909);
  EXPECT_EQ(GatheredPort(99999, kProtocolOv2Http), 65535) << "not 34463, what 16 bits would keep";
  EXPECT_EQ(GatheredPort(8080, kProtocolOv2Http), 8080);
  EXPECT_EQ(KeyEntryText(7), "Symmetric key 7");
  EXPECT_EQ(KeyFromEntryText("Symmetric key 65535"), 65535u);
  EXPECT_EQ(KeyFromEntryText("None"), 0u);
}

TEST(SourceEditorRules, NamesAndCommentsThatStoreSafely) {
  struct Case {
    const char* name;
    bool storable;
  } names[] = {{"ntp.example.com", true}, {"  host \t", true}, {"", false}, {" \t\r\n", false},
               {"host protocol ov2", false}, {"a\tb", false}};
  for (const Case& c : names) EXPECT_EQ(IsStorableName(c.name), c.storable) << c.name;
  // A quote in a comment would end it and let the rest be read as keywords.
  std::string comment = StorableComment("lab\" server evil.example.com key 5");
  EXPECT_EQ(comment, "lab' server evil.example.com key 5");
  TimeSourceSpec spec = Parsed("server good.example.com protocol ntp");
  spec.comment = comment;
  TimeSourceSpec back = Parsed(FormatTimeSource(spec).c_str());
  EXPECT_EQ(back.server, "good.example.com");
  EXPECT_EQ(back.authType, 0u);
  EXPECT_EQ(back.comment, comment);
}

}  // namespace
