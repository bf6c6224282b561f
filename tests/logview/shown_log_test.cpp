// The shown log: a text kept up to date by adding appended lines must read, row for row, as the
// text a rebuild of the same file gives. The text control is modelled as its rows, decoded from
// the renderer's RTF the way the control takes it (a document's last paragraph end merges with
// the text's own; a fragment's is kept).
#include "logview/shown_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// One row of the text and whether a paragraph ends with it.
struct Row {
  std::string text;
  bool paragraphEnd = false;
};
using Rows = std::vector<Row>;

std::vector<std::string> Texts(const Rows& rows) {
  std::vector<std::string> texts;
  for (const Row& row : rows) texts.push_back(row.text);
  return texts;
}

// The most rows one paragraph holds.
size_t LongestParagraph(const Rows& rows) {
  size_t longest = 0, run = 0;
  for (const Row& row : rows) {
    longest = std::max(longest, ++run);
    if (row.paragraphEnd) run = 0;
  }
  return longest;
}

// The rows of an RTF document or fragment: the text between line breaks and paragraph ends,
// unescaped, colours dropped; the last row is the one the next text would continue.
Rows Decode(const std::string& rtf, bool document) {
  size_t at = rtf.find("}\r\n") + 3;  // the end of the colour table's line
  size_t end = rtf.size() - 1;        // the closing brace
  if (document && rtf.compare(end - 5, 5, "\\par ") == 0) end -= 5;
  Rows rows(1);
  while (at < end) {
    if (rtf[at] != '\\') {
      rows.back().text += rtf[at++];
      continue;
    }
    char next = rtf[at + 1];
    if (next == '\\' || next == '{' || next == '}') {
      rows.back().text += next;
      at += 2;
      continue;
    }
    size_t space = rtf.find(' ', at);
    std::string word = rtf.substr(at + 1, space - at - 1);
    rows.back().paragraphEnd = word == "par";
    if (word == "line" || word == "par") rows.emplace_back();
    at = space + 1;
  }
  return rows;
}

// The text control as rows, changed as the viewer changes it.
class CModelText {
 public:
  void Set(const std::string& rtf) { rows_ = Decode(rtf, true); }
  void Apply(const LogEdit& edit) {
    if (edit.regrow) {
      ASSERT_LT(edit.regrowRow, rows_.size());
      rows_.resize(edit.regrowRow);
      rows_.emplace_back();
    }
    ASSERT_LE(edit.dropRow + edit.dropRows, rows_.size());
    rows_.erase(rows_.begin() + edit.dropRow, rows_.begin() + edit.dropRow + edit.dropRows);
    if (!edit.appended.empty()) Insert(rows_.size() - 1, Decode(edit.appended, false));
    if (edit.addNote) Insert(0, Decode(BuildLogRtfNote(), false));
  }
  const Rows& rows() const { return rows_; }

 private:
  // Fragment rows inserted at the start of row at: its last row runs into that row.
  void Insert(size_t at, Rows fragment) {
    fragment.back().text += rows_[at].text;
    fragment.back().paragraphEnd = rows_[at].paragraphEnd;
    rows_.erase(rows_.begin() + at);
    rows_.insert(rows_.begin() + at, fragment.begin(), fragment.end());
  }
  Rows rows_;
};

// A file as the viewer sees it: an identity and its bytes.
struct File {
  uint64_t identity = 1;
  std::string bytes;
};

class ShownLogTest : public ::testing::Test {
 protected:
  // One refresh of the shown text; true when it rebuilt.
  bool Refresh(const File& file) {
    LogRead read = shown.Plan(file.identity, file.bytes.size());
    std::string_view bytes = std::string_view(file.bytes).substr(read.from, read.to - read.from);
    LogEdit edit;
    if (!read.rebuild && shown.Append(read, bytes, options, &edit)) {
      text.Apply(edit);
      return false;
    }
    if (!read.rebuild) read = shown.Plan(file.identity, file.bytes.size());
    EXPECT_TRUE(read.rebuild);
    text.Set(shown.Rebuild(read, file.identity, std::string_view(file.bytes).substr(read.from), options));
    return true;
  }
  // The rows a rebuild of the file shows.
  Rows Rebuilt(const File& file) const {
    LogTail tail = PlanLogTail(file.bytes.size());
    return Decode(BuildLogRtf(std::string_view(file.bytes).substr(tail.offset), tail.truncated, options), true);
  }

  CShownLog shown;
  CModelText text;
  LogRtfOptions options;
};

std::string Lines(int from, int count, size_t width = 60) {
  std::string bytes;
  for (int n = from; n < from + count; ++n) {
    char line[256];
    snprintf(line, sizeof line, "Mon Jan 01 2024 12:00:00 Info:    {%-*s} line %06d\r\n", static_cast<int>(width), "x", n);
    bytes += line;
  }
  return bytes;
}

// Each step appends to the file (or rewrites it); the text must read as a rebuild's, and only
// the steps marked rebuild may rebuild.
TEST_F(ShownLogTest, AGrowingLogReadsAsARebuildAfterEveryStep) {
  const std::string big = Lines(0, 5200);  // about 100 bytes a line: just below the window
  struct Step {
    const char* what;
    std::string append;
    bool rewrite;
    bool rebuild;
  } steps[] = {
      {"first read", Lines(0, 3), true, true},
      {"three more lines", Lines(3, 3), false, false},
      {"nothing new", "", false, false},
      {"a line without its break", "Mon Jan 01 2024 12:00:00 WARNING: half", false, false},
      {"the line grows", " a line", false, false},
      {"and ends, CR first", "\r", false, false},
      {"LF of the same break, a line", "\nnext\r\n", false, false},
      {"paragraphs close across steps", Lines(6, 40), false, false},
      {"near the window", big, false, true},  // more than a quarter window at once
      {"past the window: the note comes", Lines(5200, 100), false, false},
      {"further: more lines go", Lines(5300, 250), false, false},
      {"an open line past the window", "open", false, false},
      {"it grows", " still\r\n", false, false},
      {"shrunk", Lines(0, 4), true, true},
      {"rewritten, longer", Lines(100, 6), true, true},
  };
  File file;
  for (const Step& step : steps) {
    if (step.rewrite) file.bytes.clear();
    file.bytes += step.append;
    EXPECT_EQ(Refresh(file), step.rebuild) << step.what;
    ASSERT_EQ(Texts(text.rows()), Texts(Rebuilt(file))) << step.what;
    EXPECT_EQ(text.rows().size(), shown.NoteRows() + shown.Lines() + 1) << step.what;
    EXPECT_LE(LongestParagraph(text.rows()), kLinesPerParagraph + 1) << step.what;  // with the empty last row
  }
}

// A line that begins exactly at the window's first byte may have begun before it: a rebuild
// drops it, and so does an append that moves the window there.
TEST_F(ShownLogTest, TheLineAtTheWindowsFirstByteGoes) {
  File file{1, Lines(0, 5300)};
  Refresh(file);
  size_t window = file.bytes.size() - kLogTailBytes;
  size_t target = file.bytes.find("\r\n", window + 300) + 2;  // a line start a few lines on
  std::string line = "Mon Jan 01 2024 12:00:00 ERROR:   ";
  line.resize(target - window - 2, 'e');
  file.bytes += line + "\r\n";
  ASSERT_EQ(file.bytes.size() - kLogTailBytes, target);
  EXPECT_FALSE(Refresh(file));
  EXPECT_EQ(Texts(text.rows()), Texts(Rebuilt(file)));
}

TEST_F(ShownLogTest, AReplacedFileOrOtherViewIsRebuilt) {
  File file{1, Lines(0, 20)};
  Refresh(file);
  file.bytes += Lines(20, 1);
  File replaced{2, file.bytes};
  EXPECT_TRUE(Refresh(replaced));  // another file under the same name
  replaced.bytes += Lines(21, 1);
  EXPECT_FALSE(Refresh(replaced));
  shown.Forget();  // other columns or colours
  EXPECT_TRUE(Refresh(replaced));
  EXPECT_EQ(Texts(text.rows()), Texts(Rebuilt(replaced)));
}

// A tail that lies inside one long line shows nothing; the line is rebuilt as it grows, and
// the text is right once it ends.
TEST_F(ShownLogTest, ATailInsideOneLongLineIsRebuiltUntilTheLineEnds) {
  File file{1, std::string(kLogTailBytes + 10, 'x')};
  EXPECT_TRUE(Refresh(file));
  EXPECT_EQ(shown.Lines(), 0u);
  file.bytes += "yy";
  EXPECT_TRUE(Refresh(file));
  file.bytes += "\r\nnext\r\n";
  EXPECT_TRUE(Refresh(file));
  EXPECT_EQ(Texts(text.rows()), Texts(Rebuilt(file)));
  file.bytes += "more\r\n";
  EXPECT_FALSE(Refresh(file));
  EXPECT_EQ(Texts(text.rows()), Texts(Rebuilt(file)));
}

TEST(RowAfterEdit, RowsAboveGoOrComeAndTheReaderStaysOnHisLine) {
  struct Case {
    size_t row, dropRow, dropRows;
    bool addNote;
    size_t after;
  } cases[] = {
      {10, 2, 5, false, 5},  // five rows above it went
      {4, 2, 5, false, 2},   // its own row went: the first row after the gap
      {2, 2, 5, false, 2},
      {1, 2, 5, false, 1},   // in the note, above the gap
      {10, 0, 0, true, 12},  // the note came
      {10, 0, 3, true, 9},
  };
  for (const Case& c : cases) {
    LogEdit edit;
    edit.dropRow = c.dropRow;
    edit.dropRows = c.dropRows;
    edit.addNote = c.addNote;
    EXPECT_EQ(RowAfterEdit(c.row, edit), c.after) << c.row;
  }
}

}  // namespace
