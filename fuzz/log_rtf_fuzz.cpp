// Log files hold whatever was written into them: the renderer must end, never crash, and give
// a document (or a fragment to add to one) whose groups balance, that holds no NUL byte, and
// whose text after the header carries no control word but those the renderer writes itself:
// a log line must never become RTF of its own (a group, a field, a link).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "logview/log_rtf.h"

namespace {

const char kHeader[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033\r\n"
    "{\\colortbl ;\\red176\\green23\\blue31;\\red0\\green160\\blue255;\\red132\\green132\\blue132;"
    "\\red50\\green132\\blue46;\\red39\\green64\\blue139;\\red32\\green32\\blue32;\\red3\\green122\\blue3;}\r\n";

// Control words and escapes skipped, the braces that remain must open and close in pairs.
bool GroupsBalance(std::string_view rtf) {
  int depth = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\')
      ++i;
    else if (rtf[i] == '{')
      ++depth;
    else if (rtf[i] == '}' && --depth < 0)
      return false;
  }
  return depth == 0;
}

bool IsLetter(char c) { return c >= 'a' && c <= 'z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The words the renderer writes after the header, each ended by a space.
bool IsRendererWord(std::string_view word) {
  if (word == "line" || word == "par") return true;
  return word.size() == 3 && word.substr(0, 2) == "cf" && word[2] >= '0' && word[2] <= '7';
}

// Text after the header: plain bytes, the escapes \\ \{ \}, the renderer's own words, and no
// brace but the closing one at the end.
bool TextIsPlain(std::string_view text) {
  if (text.empty() || text.back() != '}') return false;
  text.remove_suffix(1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '{' || text[i] == '}') return false;
    if (text[i] != '\\') continue;
    if (++i == text.size()) return false;
    if (text[i] == '\\' || text[i] == '{' || text[i] == '}') continue;
    size_t end = i;
    while (end < text.size() && IsLetter(text[end])) ++end;
    while (end < text.size() && IsDigit(text[end])) ++end;  // a parameter belongs to its word
    if (end == text.size() || text[end] != ' ' || !IsRendererWord(text.substr(i, end - i))) return false;
    i = end;
  }
  return true;
}

// The checks every piece of RTF the renderer gives must pass.
void Check(const std::string& rtf) {
  std::string_view header = kHeader;
  if (!GroupsBalance(rtf)) std::abort();
  if (rtf.find('\0') != std::string::npos) std::abort();
  if (rtf.compare(0, header.size(), header) != 0) std::abort();
  if (!TextIsPlain(std::string_view(rtf).substr(header.size()))) std::abort();
}

}  // namespace

// The first byte chooses the columns, colours, a truncated tail and whether the bytes are
// rendered as a whole document or as a fragment continuing an open paragraph; the rest is the log.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  LogRtfOptions options = {(data[0] & 1) != 0, (data[0] & 2) != 0, (data[0] & 4) != 0, (data[0] & 8) != 0};
  bool truncated = (data[0] & 16) != 0;
  std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 32) {
    LogRtfLines lines;
    lines.openLines = (data[0] >> 6) * 5;
    std::string rtf = BuildLogRtfLines(bytes, options, &lines);
    Check(rtf);
    if (lines.openLines >= kLinesPerParagraph) std::abort();
    return 0;
  }
  std::string rtf = BuildLogRtf(bytes, truncated, options);
  Check(rtf);
  if (rtf.size() < 6 || rtf.compare(rtf.size() - 6, 6, "\\par }") != 0) std::abort();
  if (rtf.size() > 8 * bytes.size() + 512) std::abort();  // a colour, a break and escapes per line at most
  return 0;
}
