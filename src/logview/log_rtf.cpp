// Rendering log bytes as the viewer's rich text: columns, colours and escaping.
#include "logview/log_rtf.h"

#include <array>

namespace {

const char kHeader[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033\r\n"
    "{\\colortbl ;\\red176\\green23\\blue31;\\red0\\green160\\blue255;\\red132\\green132\\blue132;"
    "\\red50\\green132\\blue46;\\red39\\green64\\blue139;\\red32\\green32\\blue32;\\red3\\green122\\blue3;}\r\n";
const char kTooLargeNote[] =
    "\\cf5 The file is too large to display in its entirety. Open with Notepad to see earlier lines.\\cf0 \\line \\par ";
const char* const kColorWords[] = {"\\cf0 ", "\\cf1 ", "\\cf2 ", "\\cf3 ", "\\cf4 ", "\\cf5 ", "\\cf6 ", "\\cf7 "};

// The service's line prefix: "Mon Jan 01 2024 12:34:56 Info:    message".
constexpr size_t kPrefixLength = 35;
constexpr size_t kDateField = 0, kDateLength = 15;
constexpr size_t kTimeField = 16, kTimeLength = 8;
constexpr size_t kLevelField = 25, kLevelLength = 8;
constexpr size_t kMessageField = 34;

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

bool Contains(std::string_view line, std::string_view word) { return line.find(word) != std::string_view::npos; }

// Bytes that a line's text cannot carry as they are: RTF's three special characters, escaped;
// NUL, which would end the document early for the control that takes it as a C string, and
// VT and FF, which the control takes for line breaks (a log line is one row), shown as spaces.
enum ByteKind : unsigned char { kPlain, kEscaped, kBlank };
constexpr std::array<unsigned char, 256> kByteKinds = [] {
  std::array<unsigned char, 256> kinds{};
  kinds['\\'] = kinds['{'] = kinds['}'] = kEscaped;
  kinds[0] = kinds['\v'] = kinds['\f'] = kBlank;
  return kinds;
}();

ByteKind KindOf(char c) { return static_cast<ByteKind>(kByteKinds[static_cast<unsigned char>(c)]); }

struct LineScan {
  bool escapes = false;
  bool plain = true;  // every byte goes into the text as it is
};

LineScan ScanLine(std::string_view line) {
  LineScan scan;
  for (char c : line) {
    ByteKind kind = KindOf(c);
    scan.escapes |= kind == kEscaped;
    scan.plain &= kind == kPlain;
  }
  return scan;
}

// The part of a line whose escaped copy fits in the output limit, without splitting an escape
// pair; a line with nothing to escape is never cut.
std::string_view CutLine(std::string_view line, const LineScan& scan) {
  if (!scan.escapes) return line;
  size_t out = 0, length = 0;
  for (; length < line.size(); ++length) {
    size_t width = KindOf(line[length]) == kEscaped ? 2 : 1;
    if (out + width > kEscapedLineLimit) break;
    out += width;
  }
  return line.substr(0, length);
}

// A piece of a line as document text: special characters escaped, NUL, VT and FF as spaces.
void AppendText(std::string* rtf, std::string_view piece, bool plain) {
  if (plain) {
    rtf->append(piece);
    return;
  }
  for (char c : piece) {
    ByteKind kind = KindOf(c);
    if (kind == kEscaped) *rtf += '\\';
    *rtf += kind == kBlank ? ' ' : c;
  }
}

bool HasServicePrefix(std::string_view line) {
  return line.size() >= kPrefixLength && line[3] == ' ' && line[7] == ' ' && line[18] == ':' &&
         line[21] == ':' && line[33] == ' ';
}

void AppendField(std::string* rtf, std::string_view line, size_t at, size_t length, bool plain) {
  AppendText(rtf, line.substr(at, length), plain);
  *rtf += ' ';
}

// The columns are cut from the line as the service wrote it, each piece escaped on its own, so
// that no cut can part an escape from its character.
void AppendColumns(std::string* rtf, std::string_view line, const LogRtfOptions& options, bool plain) {
  bool allShown = options.showDate && options.showTime && options.showLevel;
  if (allShown || !HasServicePrefix(line)) return AppendText(rtf, line, plain);
  if (options.showDate) AppendField(rtf, line, kDateField, kDateLength, plain);
  if (options.showTime) AppendField(rtf, line, kTimeField, kTimeLength, plain);
  if (options.showLevel) AppendField(rtf, line, kLevelField, kLevelLength, plain);
  AppendText(rtf, line.substr(kMessageField), plain);
}

// One line, ended by a line break or, when it fills its paragraph, by a paragraph end.
void AppendLine(std::string* rtf, std::string_view line, const LogRtfOptions& options, size_t* openLines) {
  LineScan scan = ScanLine(line);
  std::string_view shown = CutLine(line, scan);
  if (options.showColor) *rtf += kColorWords[ClassifyLogLine(line)];
  if (shown.front() != '=') AppendColumns(rtf, shown, options, scan.plain);
  if (++*openLines < kLinesPerParagraph) {
    *rtf += "\\line ";
  } else {
    *rtf += "\\par ";
    *openLines = 0;
  }
}

// Every line of bytes from at, runs of line breaks counting as one.
void AppendLines(std::string* rtf, std::string_view bytes, size_t at, const LogRtfOptions& options,
                 LogRtfLines* lines) {
  size_t openLines = lines ? lines->openLines : 0;
  while (at < bytes.size()) {
    if (IsLineBreak(bytes[at])) {
      ++at;
      continue;
    }
    size_t end = at;
    while (end < bytes.size() && !IsLineBreak(bytes[end])) ++end;
    if (lines) lines->starts.push_back(at);
    AppendLine(rtf, bytes.substr(at, end - at), options, &openLines);
    at = end;
  }
  if (lines) lines->openLines = openLines;
}

// The start of the first whole line of a tail: the bytes up to the first line break belong to
// a line that began before the tail (none when the tail starts at a break).
size_t FirstWholeLine(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size() && !IsLineBreak(bytes[i])) ++i;
  return i;
}

}  // namespace

LogTail PlanLogTail(uint64_t fileSize) {
  LogTail tail;
  tail.truncated = fileSize > kLogTailBytes;
  tail.offset = tail.truncated ? fileSize - kLogTailBytes : 0;
  tail.count = static_cast<size_t>(fileSize - tail.offset);
  return tail;
}

LogLevel ClassifyLogLine(std::string_view line) {
  if (Contains(line, "Info:   ")) return Contains(line, " Local clock ") ? kLogLocalClock : kLogInfo;
  if (Contains(line, "ERROR:  ")) return kLogError;
  if (Contains(line, "WARNING:")) return kLogWarning;
  if (Contains(line, "Trace:  ")) return kLogTrace;
  if (Contains(line, "Debug:  ")) return kLogDebug;
  if (Contains(line, "Status: ")) return kLogStatus;
  if (!line.empty() && line.front() == '=') return kLogDebug;
  if (Contains(line, "Spew:   ")) return kLogDebug;
  return kLogInfo;
}

std::string BuildLogRtf(std::string_view bytes, bool truncated, const LogRtfOptions& options,
                        LogRtfLines* lines) {
  std::string rtf;
  rtf.reserve(2 * bytes.size() + sizeof kHeader + sizeof kTooLargeNote);
  rtf += kHeader;
  size_t at = 0;
  if (truncated) {
    at = FirstWholeLine(bytes);
    rtf += kTooLargeNote;
  }
  if (lines) *lines = {};
  AppendLines(&rtf, bytes, at, options, lines);
  rtf += "\\par }";
  return rtf;
}

std::string BuildLogRtfLines(std::string_view bytes, const LogRtfOptions& options, LogRtfLines* lines) {
  std::string rtf;
  rtf.reserve(2 * bytes.size() + sizeof kHeader);
  rtf += kHeader;
  lines->starts.clear();
  AppendLines(&rtf, bytes, 0, options, lines);
  rtf += '}';
  return rtf;
}

std::string BuildLogRtfNote() { return std::string(kHeader) + kTooLargeNote + '}'; }

std::string BuildLogRtfFailure(std::string_view message) {
  std::string rtf = kHeader;
  rtf += "\\cf1 \\b ";
  rtf.append(message);
  rtf += " \\b0";
  return rtf;
}
