// The log viewer's renderer: the bytes of a service log become the rich text (RTF) the viewer
// shows, one colour per level, optionally without the date, time or level columns. Pure: bytes
// in, RTF out; the viewer window only reads the file and hands the result to its text control,
// as a whole document or as lines added to the end of the one it shows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// At most this many bytes of a log, its tail, are read and shown.
constexpr size_t kLogTailBytes = 524287;
// A line copied with escapes is cut at this many output bytes.
constexpr size_t kEscapedLineLimit = 254;
// Lines share a paragraph in groups of this many, so that the text control edits a short
// paragraph when lines are added or removed, not the whole log.
constexpr size_t kLinesPerParagraph = 16;

// The bytes of a file that the viewer reads.
struct LogTail {
  uint64_t offset = 0;     // where reading starts
  size_t count = 0;        // how many bytes are read
  bool truncated = false;  // the file holds more than is read
};

// The whole of a file below 524288 bytes, else its last 524287 bytes.
LogTail PlanLogTail(uint64_t fileSize);

// The level of a line, which is also its colour's index in the document's colour table.
enum LogLevel : int {
  kLogError = 1,       // red
  kLogWarning = 2,     // light blue
  kLogDebug = 3,       // grey (also '=' rules and spew)
  kLogLocalClock = 4,  // green: information about the local clock
  kLogTrace = 5,       // dark blue
  kLogInfo = 6,        // near black (also any unclassified line)
  kLogStatus = 7,      // dark green
};

// Which columns of the service's prefixed lines are shown, and whether lines are coloured.
struct LogRtfOptions {
  bool showDate = true;
  bool showTime = true;
  bool showLevel = true;
  bool showColor = true;
};

// Where the rendered lines stand in the text: how many the last, open paragraph holds, and
// where in the rendered bytes each line starts.
struct LogRtfLines {
  size_t openLines = 0;       // lines of the last paragraph, below kLinesPerParagraph
  std::vector<size_t> starts;  // offset of each rendered line in its bytes, in order
};

// The level of one line: the first of the viewer's tests it passes, in their fixed order.
LogLevel ClassifyLogLine(std::string_view line);
// The document for bytes read from a log; truncated when they are the tail of a larger file,
// whose first partial line is then dropped in favour of a note. lines (when given) learns
// where the shown lines start.
std::string BuildLogRtf(std::string_view bytes, bool truncated, const LogRtfOptions& options,
                        LogRtfLines* lines = nullptr);
// A fragment to add to the end of a document: the lines of bytes, continuing the paragraph
// of lines->openLines lines the document ends with; lines learns where they start.
std::string BuildLogRtfLines(std::string_view bytes, const LogRtfOptions& options, LogRtfLines* lines);
// A fragment to put at the start of a document that has become the tail of a larger file:
// the too-large note.
std::string BuildLogRtfNote();
// The document that reports a failure (the file could not be held in memory or read) in the
// error colour instead of the log.
std::string BuildLogRtfFailure(std::string_view message);
