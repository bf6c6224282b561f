// The line-by-line account of what the viewer's text shows of its file.
#include "logview/shown_log.h"

#include <algorithm>

namespace {

// Bytes kept from the end of each read: an appended file still holds them where they were.
constexpr size_t kTailCheckBytes = 64;
// Growth beyond this is cheaper to show by rebuilding than by adding and dropping lines.
constexpr uint64_t kMaxAppend = kLogTailBytes / 4;

bool EndsLine(std::string_view bytes) { return !bytes.empty() && (bytes.back() == '\r' || bytes.back() == '\n'); }

// The first byte of the window a file of this size shows (0 for a file shown whole).
uint64_t WindowStart(uint64_t size) { return size > kLogTailBytes ? size - kLogTailBytes : 0; }

}  // namespace

size_t RowAfterEdit(size_t row, const LogEdit& edit) {
  if (row >= edit.dropRow + edit.dropRows)
    row -= edit.dropRows;
  else if (row > edit.dropRow)
    row = edit.dropRow;
  return row + (edit.addNote ? kLogNoteRows : 0);
}

LogRead CShownLog::Plan(uint64_t identity, uint64_t size) const {
  uint64_t resume = ResumeAt();
  bool appendable = valid_ && identity == identity_ && size >= size_ && size - resume <= kMaxAppend &&
                    (!lastOpen_ || resume > WindowStart(size));
  if (!appendable) {
    LogTail tail = PlanLogTail(size);
    return {true, tail.offset, tail.offset + tail.count, tail.truncated};
  }
  return {false, std::min<uint64_t>(resume, size_ - tail_.size()), size, size > kLogTailBytes};
}

std::string CShownLog::Rebuild(const LogRead& read, uint64_t identity, std::string_view bytes,
                               const LogRtfOptions& options) {
  LogRtfLines lines;
  std::string rtf = BuildLogRtf(bytes, read.truncated, options, &lines);
  identity_ = identity;
  size_ = read.from + bytes.size();
  truncated_ = read.truncated;
  starts_.clear();
  for (size_t start : lines.starts) starts_.push_back(read.from + start);
  openLines_ = lines.openLines;
  lastOpen_ = !starts_.empty() && !EndsLine(bytes);
  KeepTail(bytes);
  // A tail inside one long line has no line to continue from: it is rebuilt as it grows.
  valid_ = !read.truncated || !starts_.empty() || EndsLine(bytes);
  return rtf;
}

bool CShownLog::Append(const LogRead& read, std::string_view bytes, const LogRtfOptions& options, LogEdit* edit) {
  *edit = {};
  uint64_t end = read.from + bytes.size();
  if (!valid_ || read.from + tail_.size() > size_ || end < size_ ||
      bytes.substr(size_ - tail_.size() - read.from, tail_.size()) != tail_) {
    valid_ = false;
    return false;
  }
  if (end == size_) return true;
  uint64_t resume = ResumeAt();
  if (lastOpen_) {
    edit->regrow = true;
    edit->regrowRow = NoteRows() + starts_.size() - 1;
    starts_.pop_back();
    openLines_ = (openLines_ == 0 ? kLinesPerParagraph : openLines_) - 1;
  }
  LogRtfLines lines;
  lines.openLines = std::min(openLines_, starts_.size());
  std::string_view added = bytes.substr(resume - read.from);
  edit->appended = BuildLogRtfLines(added, options, &lines);
  for (size_t start : lines.starts) starts_.push_back(resume + start);
  openLines_ = lines.openLines;
  lastOpen_ = !lines.starts.empty() && !EndsLine(added);
  size_ = end;
  KeepTail(bytes);
  edit->dropRow = NoteRows();
  edit->dropRows = DropPassedLines();
  edit->addNote = end > kLogTailBytes && !truncated_;
  truncated_ = truncated_ || edit->addNote;
  return true;
}

void CShownLog::KeepTail(std::string_view bytes) {
  tail_.assign(bytes.substr(bytes.size() - std::min(bytes.size(), kTailCheckBytes)));
}

// Lines that begin at or before the window's first byte are gone from a rebuilt tail too (the
// one at that byte may have begun earlier): they go.
size_t CShownLog::DropPassedLines() {
  if (size_ <= kLogTailBytes) return 0;
  uint64_t window = WindowStart(size_);
  size_t drop = 0;
  while (drop < starts_.size() && starts_[drop] <= window) ++drop;
  starts_.erase(starts_.begin(), starts_.begin() + static_cast<std::ptrdiff_t>(drop));
  openLines_ = std::min(openLines_, starts_.size());
  return drop;
}
