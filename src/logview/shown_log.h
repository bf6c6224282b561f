// What the log viewer's text shows of its file, line by line, so that a refresh of a grown log
// adds the appended lines and drops those the 524287-byte window has passed, as a log tail
// does, instead of rendering the whole tail again. Pure: the file's identity, size and bytes
// in; what to read and what to change in the text out.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "logview/log_rtf.h"

// Rows the too-large note takes at the top of the text: the note and the empty row below it.
constexpr size_t kLogNoteRows = 2;

// What a refresh reads of the file: bytes [from, to).
struct LogRead {
  bool rebuild = true;     // the whole text is replaced; otherwise lines are added
  uint64_t from = 0;       // where reading starts
  uint64_t to = 0;         // where it ends (the file's size)
  bool truncated = false;  // the text shows the tail of a larger file
};

// The changes an append makes to the text, in this order. Rows are the text's lines from 0;
// every log line is one row, and the text ends with one empty row.
struct LogEdit {
  size_t regrowRow = 0;     // with regrow: this row and those below go (the last line grew)
  bool regrow = false;
  size_t dropRow = 0;       // then dropRows rows from this one go (the window moved past them)
  size_t dropRows = 0;
  std::string appended;     // then this fragment goes at the end (empty: nothing)
  bool addNote = false;     // then the note fragment goes at the start
};

// Where a row of the text stands after an edit: rows removed above it move it up, the note
// added at the start moves it down.
size_t RowAfterEdit(size_t row, const LogEdit& edit);

class CShownLog {
 public:
  // What to read of a file of this identity (volume and file number) and size: a rebuild
  // unless the text shows this file and the file only grew by less than a quarter window.
  LogRead Plan(uint64_t identity, uint64_t size) const;
  // The document for the bytes a rebuild read (fewer than planned when the file shrank); the
  // text shows it from now on.
  std::string Rebuild(const LogRead& read, uint64_t identity, std::string_view bytes, const LogRtfOptions& options);
  // The edit for the bytes an append read; false, and nothing known any more, when they show
  // that the file was rewritten rather than appended to: the caller rebuilds.
  bool Append(const LogRead& read, std::string_view bytes, const LogRtfOptions& options, LogEdit* edit);
  // The text no longer shows what this knows (another file, other options, a failure): the
  // next refresh rebuilds.
  void Forget() { valid_ = false; }

  // Rows above the first log line.
  size_t NoteRows() const { return truncated_ ? kLogNoteRows : 0; }
  // Log lines shown.
  size_t Lines() const { return starts_.size(); }

 private:
  uint64_t ResumeAt() const { return lastOpen_ && !starts_.empty() ? starts_.back() : size_; }
  void KeepTail(std::string_view bytes);
  size_t DropPassedLines();

  bool valid_ = false;
  uint64_t identity_ = 0;
  uint64_t size_ = 0;             // bytes of the file read so far
  bool truncated_ = false;        // the note is shown
  bool lastOpen_ = false;         // the last line had no line break yet: it may grow
  size_t openLines_ = 0;          // lines of the last, open paragraph
  std::deque<uint64_t> starts_;  // where each shown line starts in the file
  std::string tail_;             // the last bytes read, which an appended file still holds
};
