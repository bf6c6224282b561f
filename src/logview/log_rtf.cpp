#include "logview/log_rtf.h"

#include <array>

namespace {

const char kHeader[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033\r\n"
    "{\\colortbl ;\\red176\\green23\\blue31;\\red0\\green160\\blue255;\\red132\\green132\\blue132;"
    "\\red50\\green132\\blue46;\\red39\\green64\\blue139;\\red32\\green32\\blue32;\\red3\\green122\\blue3;}\r\n";
const char kTooLargeNote[] =
    "\\cf5 The file is too large to display in its entirety. Open with Notepad to see earlier lines.\\cf0 \\line \\par";
const char* const kColorWords[] = {"\\cf0 ", "\\cf1 ", "\\cf2 ", "\\cf3 ", "\\cf4 ", "\\cf5 ", "\\cf6 ", "\\cf7 "};

// The service's line prefix: "Mon Jan 01 2024 12:34:56 Info:    message".
constexpr size_t kPrefixLength = 35;
constexpr size_t kDateField = 0, kDateLength = 15;
constexpr size_t kTimeField = 16, kTimeLength = 8;
constexpr size_t kLevelField = 25, kLevelLength = 8;
constexpr size_t kMessageField = 34;

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

bool Contains(std::string_view line, std::string_view word) { return line.find(word) != std::string_view::npos; }

// Bytes that a line's text cannot carry as they are: RTF's three special characters, and NUL,
// which would end the document early for the control that takes it as a C string.
enum ByteKind : unsigned char { kPlain, kEscaped, kNul };
constexpr std::array<unsigned char, 256> kByteKinds = [] {
  std::array<unsigned char, 256> kinds{};
  kinds['\\'] = kinds['{'] = kinds['}'] = kEscaped;
  kinds[0] = kNul;
  return kinds;
}();

struct LineScan {
  bool escapes = false;
  bool nul = false;
};

LineScan ScanLine(std::string_view line) {
  LineScan scan;
  for (char c : line) {
    unsigned char kind = kByteKinds[static_cast<unsigned char>(c)];
    scan.escapes |= kind == kEscaped;
    scan.nul |= kind == kNul;
  }
  return scan;
}

// The line with its special characters escaped, cut at the output limit without splitting
// an escape pair.
std::string EscapeLine(std::string_view line) {
  std::string out;
  out.reserve(kEscapedLineLimit);
  for (char c : line) {
    bool escaped = kByteKinds[static_cast<unsigned char>(c)] == kEscaped;
    if (out.size() + (escaped ? 2 : 1) > kEscapedLineLimit) break;
    if (escaped) out += '\\';
    out += c;
  }
  return out;
}

// The text a line contributes: escaped when it must be, NUL bytes shown as spaces.
std::string_view LineText(std::string_view line, std::string* storage) {
  LineScan scan = ScanLine(line);
  if (!scan.escapes && !scan.nul) return line;
  *storage = scan.escapes ? EscapeLine(line) : std::string(line);
  for (char& c : *storage)
    if (c == '\0') c = ' ';
  return *storage;
}

bool HasServicePrefix(std::string_view text) {
  return text.size() >= kPrefixLength && text[3] == ' ' && text[7] == ' ' && text[18] == ':' &&
         text[21] == ':' && text[33] == ' ';
}

void AppendField(std::string* rtf, std::string_view text, size_t at, size_t length) {
  rtf->append(text.substr(at, length));
  *rtf += ' ';
}

void AppendColumns(std::string* rtf, std::string_view text, const LogRtfOptions& options) {
  bool allShown = options.showDate && options.showTime && options.showLevel;
  if (allShown || !HasServicePrefix(text)) {
    rtf->append(text);
    return;
  }
  if (options.showDate) AppendField(rtf, text, kDateField, kDateLength);
  if (options.showTime) AppendField(rtf, text, kTimeField, kTimeLength);
  if (options.showLevel) AppendField(rtf, text, kLevelField, kLevelLength);
  rtf->append(text.substr(kMessageField));
}

void AppendLine(std::string* rtf, std::string_view line, const LogRtfOptions& options) {
  std::string storage;
  std::string_view text = LineText(line, &storage);
  if (options.showColor) *rtf += kColorWords[ClassifyLogLine(line)];
  if (text.front() != '=') AppendColumns(rtf, text, options);
  *rtf += "\\line ";
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

std::string BuildLogRtf(std::string_view bytes, bool truncated, const LogRtfOptions& options) {
  std::string rtf;
  rtf.reserve(2 * bytes.size() + sizeof kHeader + sizeof kTooLargeNote);
  rtf += kHeader;
  size_t at = 0;
  if (truncated) {
    at = FirstWholeLine(bytes);
    rtf += kTooLargeNote;
  }
  while (at < bytes.size()) {
    if (IsLineBreak(bytes[at])) {
      ++at;
      continue;
    }
    size_t end = at;
    while (end < bytes.size() && !IsLineBreak(bytes[end])) ++end;
    AppendLine(&rtf, bytes.substr(at, end - at), options);
    at = end;
  }
  rtf += "\\par }";
  return rtf;
}

std::string BuildLogRtfFailure(std::string_view message) {
  std::string rtf = kHeader;
  rtf += "\\cf1 \\b ";
  rtf.append(message);
  rtf += " \\b0";
  return rtf;
}
