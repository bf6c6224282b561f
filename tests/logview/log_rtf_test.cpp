// The log renderer: bytes of a service log in, the viewer's RTF out.
#include "logview/log_rtf.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kHeader[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033\r\n"
    "{\\colortbl ;\\red176\\green23\\blue31;\\red0\\green160\\blue255;\\red132\\green132\\blue132;"
    "\\red50\\green132\\blue46;\\red39\\green64\\blue139;\\red32\\green32\\blue32;\\red3\\green122\\blue3;}\r\n";
const char kNote[] =
    "\\cf5 The file is too large to display in its entirety. Open with Notepad to see earlier lines.\\cf0 \\line \\par ";
const LogRtfOptions kPlain = {true, true, true, false};

// The document between the header and the closing "\par }".
std::string Body(const std::string& rtf) {
  EXPECT_EQ(rtf.rfind(kHeader, 0), 0u);
  const std::string tail = "\\par }";
  EXPECT_EQ(rtf.compare(rtf.size() - tail.size(), tail.size(), tail), 0) << rtf;
  return rtf.substr(sizeof kHeader - 1, rtf.size() - (sizeof kHeader - 1) - tail.size());
}

std::string Render(const std::string& bytes, const LogRtfOptions& options = kPlain, bool truncated = false) {
  return Body(BuildLogRtf(bytes, truncated, options));
}

TEST(LogLevels, EveryTestInItsOrder) {
  struct Case {
    const char* line;
    LogLevel level;
  } cases[] = {
      {"Mon Jan 01 2024 12:00:00 Info:    Local clock stepped", kLogLocalClock},
      {"Mon Jan 01 2024 12:00:00 Info:    Local clockwork", kLogInfo},  // " Local clock " whole
      {"Local clock stepped, no level", kLogInfo},
      {"Mon Jan 01 2024 12:00:00 Info:    checked 12 clocks", kLogInfo},
      {"Mon Jan 01 2024 12:00:00 ERROR:   no reference", kLogError},
      {"Mon Jan 01 2024 12:00:00 WARNING: slow reply", kLogWarning},
      {"Mon Jan 01 2024 12:00:00 Trace:   sent", kLogTrace},
      {"Mon Jan 01 2024 12:00:00 Debug:   packet", kLogDebug},
      {"Mon Jan 01 2024 12:00:00 Status:  running", kLogStatus},
      {"=====", kLogDebug},
      {"Mon Jan 01 2024 12:00:00 Spew:    bytes", kLogDebug},
      {"plain text", kLogInfo},
      {"", kLogInfo},
      // The order decides: information before errors, errors before warnings, and so on.
      {"Info:   and ERROR:  in one line", kLogInfo},
      {"ERROR:  then WARNING: later", kLogError},
      {"Debug:  WARNING: anywhere", kLogWarning},
      {"Spew:   Trace:  ", kLogTrace},
      {"Status: Debug:  ", kLogDebug},
      {"= Status: ", kLogStatus},
      {"x=== Spew:   ", kLogDebug},
      {"ERROR: one space is no level", kLogInfo},
      {"warning: lower case is no level", kLogInfo},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifyLogLine(c.line), c.level) << c.line;
}

TEST(LogRtf, EachLineGetsItsColourAndALineBreak) {
  std::string log =
      "Mon Jan 01 2024 12:00:00 WARNING: slow reply\r\n"
      "Mon Jan 01 2024 12:00:01 ERROR:   no reference\r\n"
      "free text\n";
  EXPECT_EQ(Render(log, {}),
            "\\cf2 Mon Jan 01 2024 12:00:00 WARNING: slow reply\\line "
            "\\cf1 Mon Jan 01 2024 12:00:01 ERROR:   no reference\\line "
            "\\cf6 free text\\line ");
}

TEST(LogRtf, ColumnsOfPrefixedLinesFollowTheShowFlags) {
  const std::string line = "Mon Jan 01 2024 12:34:56 Info:    checked 12 clocks";
  struct Case {
    bool date, time, level;
    const char* text;
  } cases[] = {
      {true, true, true, "Mon Jan 01 2024 12:34:56 Info:    checked 12 clocks"},
      {false, true, true, "12:34:56 Info:    checked 12 clocks"},
      {true, false, true, "Mon Jan 01 2024 Info:    checked 12 clocks"},
      {true, true, false, "Mon Jan 01 2024 12:34:56 checked 12 clocks"},
      {false, false, true, "Info:    checked 12 clocks"},
      {false, true, false, "12:34:56 checked 12 clocks"},
      {true, false, false, "Mon Jan 01 2024 checked 12 clocks"},
      {false, false, false, "checked 12 clocks"},
  };
  for (const Case& c : cases) {
    LogRtfOptions options = {c.date, c.time, c.level, false};
    EXPECT_EQ(Render(line, options), std::string(c.text) + "\\line ") << c.date << c.time << c.level;
  }
}

TEST(LogRtf, LinesWithoutTheServicePrefixAreShownWhole) {
  const LogRtfOptions noColumns = {false, false, false, false};
  const char* lines[] = {
      "Mon Jan 01 2024 12:34:56 Info:    x",     // 34 characters: one short of a prefixed line
      "Mon-Jan 01 2024 12:34:56 Info:    text",  // no space at 3
      "Mon Jan-01 2024 12:34:56 Info:    text",  // no space at 7
      "Mon Jan 01 2024 12-34:56 Info:    text",  // no ':' at 18
      "Mon Jan 01 2024 12:34-56 Info:    text",  // no ':' at 21
      "Mon Jan 01 2024 12:34:56 Info:    -text",  // fine: the message may start with anything
      "Mon Jan 01 2024 12:34:56 Infos:   xtext",  // no space at 33
  };
  for (const char* line : lines) {
    std::string shown = Render(line, noColumns);
    bool prefixed = std::string(line).size() >= 35 && line[33] == ' ' && line[18] == ':' && line[21] == ':' &&
                    line[3] == ' ' && line[7] == ' ';
    EXPECT_EQ(shown, (prefixed ? std::string(line).substr(34) : std::string(line)) + "\\line ") << line;
  }
}

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST(LogRtf, SpecialCharactersAreEscapedAndLongEscapedLinesCut) {
  struct Case {
    std::string line, text;
  } cases[] = {
      {"path C:\\Logs\\a.log", "path C:\\\\Logs\\\\a.log"},
      {"unbalanced { brace", "unbalanced \\{ brace"},
      {"}{", "\\}\\{"},
      {std::string(300, '{'), Repeat("\\{", 127)},               // cut at 254 bytes
      {std::string(300, 'x'), std::string(300, 'x')},            // nothing to escape: never cut
      {std::string(253, 'a') + "\\b", std::string(253, 'a')},    // the pair does not fit whole
      {std::string(252, 'a') + "\\b", std::string(252, 'a') + "\\\\"},
      {std::string(251, 'a') + "\\b", std::string(251, 'a') + "\\\\b"},
      {std::string("nul\0byte", 8), "nul byte"},                // NUL would end the control's text
      {std::string("{\0}", 3), "\\{ \\}"},
      {"a\vb\fc", "a b c"},  // the control would break the row at VT and FF
  };
  for (const Case& c : cases) EXPECT_EQ(Render(c.line), c.text + "\\line ") << c.line;
}

// Columns are cut from the line as the service wrote it and each piece is escaped on its own:
// a special character at a column's edge keeps its backslash, and one that moves the prefix
// out of place leaves the line whole.
TEST(LogRtf, ColumnsAreCutBeforeEscaping) {
  const std::string prefix = "Mon Jan 01 2024 12:00:00 Info:    ";
  struct Case {
    std::string line;
    bool date, time, level;
    std::string text;
  } cases[] = {
      {"Mon Jan 01 2024}2:00:00 Info:    x", false, true, true, "Mon Jan 01 2024\\}2:00:00 Info:    x"},
      {"Mon Jan 01 2024\\2:00:00 Info:    x", false, true, true, "Mon Jan 01 2024\\\\2:00:00 Info:    x"},
      {"Mon Jan 01 2024 12:00:0\\ Info:    x", false, true, true, "12:00:0\\\\ Info:    x"},
      {"Mon Jan {1 2024 12:00:00 Info:    x", false, true, true, "12:00:00 Info:    x"},
      {"Mon Jan {1 2024 12:00:00 Info:    x", true, false, true, "Mon Jan \\{1 2024 Info:    x"},
      {"Mon Jan 01 2024 12:00:00 Info:{   {x}", true, true, false, "Mon Jan 01 2024 12:00:00 \\{x\\}"},
      {"Mon Jan 01 2024 12:00:00 Info:{   {x}", false, false, true, "Info:\\{   \\{x\\}"},
      {prefix + std::string(300, '{'), false, true, true, "12:00:00 Info:    " + Repeat("\\{", 110)},  // cut at 254
      {std::string("Mon\0Jan 01 2024 12:00:00 Info:    x", 35), false, false, false,
       std::string("Mon Jan 01 2024 12:00:00 Info:    x")},  // NUL is no space of the prefix
  };
  for (const Case& c : cases) {
    LogRtfOptions options = {c.date, c.time, c.level, false};
    EXPECT_EQ(Render(c.line, options), c.text + "\\line ") << c.line;
  }
}

TEST(LogRtf, AnUnbalancedBraceDoesNotDisturbTheNextLine) {
  std::string rtf = BuildLogRtf("a { b\r\nMon Jan 01 2024 12:00:00 ERROR:   next\r\n", false, {});
  EXPECT_NE(rtf.find("\\cf6 a \\{ b\\line \\cf1 Mon Jan 01 2024 12:00:00 ERROR:   next\\line "), std::string::npos);
  int depth = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\') ++i;  // an escaped character or a control word's first letter
    else if (rtf[i] == '{') ++depth;
    else if (rtf[i] == '}') --depth;
    EXPECT_GE(depth, 0);
  }
  EXPECT_EQ(depth, 0);
}

TEST(LogRtf, RuleLinesShowEmptyAndBreakRunsFoldIntoOne) {
  struct Case {
    std::string bytes, body;
  } cases[] = {
      {"=======\r\n", "\\cf3 \\line "},
      {"=== Started ===", "\\cf3 \\line "},
      {"a\r\n\r\n\r\nb", "\\cf6 a\\line \\cf6 b\\line "},
      {"\n\r\n\ra\r\rb\n\n", "\\cf6 a\\line \\cf6 b\\line "},
      {"", ""},
      {"\r\n\r\n", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Render(c.bytes, {}), c.body) << c.bytes;
  EXPECT_EQ(Render("=== x ===", {false, false, false, false}), "\\line ");
}

// A log of size bytes: numbered lines of 100 bytes, the last one cut short.
std::string NumberedLog(size_t size) {
  std::string bytes;
  for (int n = 0; bytes.size() < size; ++n) {
    char line[128];
    snprintf(line, sizeof line, "%07d %-90s\r\n", n, "Mon Jan 01 2024 a line of the service's log");
    bytes += line;
  }
  bytes.resize(size);
  return bytes;
}

TEST(LogRtf, ALogBeyondTheTailLimitLosesItsPartialFirstLineToTheNote) {
  struct Case {
    size_t size;
    uint64_t offset;
    bool truncated;
    const char* firstLine;  // the first line shown
  } cases[] = {
      {1, 0, false, "0"},
      {kLogTailBytes, 0, false, "0000000 "},
      {kLogTailBytes + 1, 1, true, "0000001 "},           // line 0 lost its first byte: dropped
      {600000, 600000 - kLogTailBytes, true, "0000758 "},  // 75713 bytes skipped: line 757 is partial
  };
  for (const Case& c : cases) {
    std::string file = NumberedLog(c.size);
    LogTail tail = PlanLogTail(file.size());
    EXPECT_EQ(tail.offset, c.offset) << c.size;
    EXPECT_EQ(tail.count, c.size - c.offset) << c.size;
    EXPECT_EQ(tail.truncated, c.truncated) << c.size;
    std::string body = Render(file.substr(tail.offset, tail.count), kPlain, tail.truncated);
    std::string shown = c.truncated ? std::string(kNote) + c.firstLine : c.firstLine;
    EXPECT_EQ(body.rfind(shown, 0), 0u) << c.size << ": " << body.substr(0, 200);
  }
  EXPECT_EQ(PlanLogTail(0).count, 0u);
}

// A tail that begins at a line break has no partial line: its first line is whole.
TEST(LogRtf, ATruncatedTailStartingAtALineBreakKeepsItsFirstLine) {
  EXPECT_EQ(Render("\nfirst\nsecond", kPlain, true), std::string(kNote) + "first\\line second\\line ");
  EXPECT_EQ(Render("no break at all", kPlain, true), kNote);
}

// Lines share a paragraph sixteen at a time; a fragment added to a document continues the
// paragraph the document ends with, and says where its lines start.
TEST(LogRtf, LinesShareParagraphsInGroupsThatFragmentsContinue) {
  std::string log, expected;
  for (int i = 0; i < 17; ++i) {
    log += "a" + std::to_string(i) + "\r\n";
    expected += "a" + std::to_string(i) + (i == 15 ? "\\par " : "\\line ");
  }
  LogRtfLines lines;
  EXPECT_EQ(Body(BuildLogRtf(log, false, kPlain, &lines)), expected);
  EXPECT_EQ(lines.openLines, 1u);
  EXPECT_EQ(lines.starts.size(), 17u);
  EXPECT_EQ(lines.starts[10], 4u * 10);  // "a0\r\n" to "a9\r\n"
  struct Case {
    size_t openLines;
    const char* bytes;
    const char* body;
    size_t openAfter;
    std::vector<size_t> starts;
  } cases[] = {
      {0, "x\r\ny", "x\\line y\\line ", 2, {0, 3}},
      {14, "\nx\r\n\r\ny\r\nz", "x\\line y\\par z\\line ", 1, {1, 6, 9}},
      {15, "x", "x\\par ", 0, {0}},
      {3, "\r\n", "", 3, {}},
  };
  for (const Case& c : cases) {
    LogRtfLines continued;
    continued.openLines = c.openLines;
    continued.starts = {99};
    std::string rtf = BuildLogRtfLines(c.bytes, kPlain, &continued);
    EXPECT_EQ(rtf, kHeader + std::string(c.body) + "}") << c.bytes;
    EXPECT_EQ(continued.openLines, c.openAfter) << c.bytes;
    EXPECT_EQ(continued.starts, c.starts) << c.bytes;
  }
  EXPECT_EQ(BuildLogRtfNote(), kHeader + std::string(kNote) + "}");
}

TEST(LogRtf, FailuresShowInTheErrorColour) {
  EXPECT_EQ(BuildLogRtfFailure("Unable to read file data"),
            std::string(kHeader) + "\\cf1 \\b Unable to read file data \\b0");
}

}  // namespace
