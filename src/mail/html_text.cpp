// Turning an HTML mail body into its plain-text alternative.
#include "mail/html_text.h"

#include <cstddef>

namespace {
struct Replacement {
  const char* find;
  const char* replace;
};

const char kRule[] = "\r\n--------------------------------------\r\n";  // 38 dashes

const Replacement kReplacements[] = {
    {"&copy;", "(c)"},     {"&reg;", "(r)"},      {"&nbsp;", " "},       {"&bull;", "* "},
    {"&hellip;", "..."},   {"&quot;", "\""},      {"&ldquo;", "\""},     {"&rdquo;", "\""},
    {"&amp;", "&"},        {"&tilde;", "~"},      {"</h1>", "\r\n\r\n"}, {"</h2>", "\r\n\r\n"},
    {"</h3>", "\r\n\r\n"}, {"</h4>", "\r\n\r\n"}, {"<br>", "\r\n"},      {"<p>", "\r\n\r\n"},
    {"</p>", "\r\n\r\n"},  {"<li>", "\r\n *"},    {"<hr>", kRule},
};

// Replaces find until none is left, as if each pass started again from the beginning:
// after a replacement only text overlapping it can form a new occurrence.
void ReplaceRepeatedly(std::string* text, const std::string& find, const std::string& replace) {
  size_t pos = 0;
  while ((pos = text->find(find, pos)) != std::string::npos) {
    text->replace(pos, find.size(), replace);
    pos = pos >= find.size() - 1 ? pos - (find.size() - 1) : 0;
  }
}

// "<a href=\"mailto:x\">..</a>" becomes the bare address x (query and entities cut off).
void ReplaceMailLinks(std::string* text) {
  static const std::string kStart = "<a href=\"mailto:";
  size_t pos = 0;
  while ((pos = text->find(kStart, pos)) != std::string::npos) {
    size_t from = pos + kStart.size();
    size_t to = text->find_first_of(">?&\"", from);
    if (to == std::string::npos) return;
    size_t close = text->find("</a>", to);
    if (close == std::string::npos) return;
    text->replace(pos, close + 4 - pos, text->substr(from, to - from));
    ++pos;
  }
}

// "<a href=\"url\">text</a>" becomes "text (url)".
void ReplaceOtherLinks(std::string* text) {
  static const std::string kStart = "<a href=\"";
  size_t pos = 0;
  while ((pos = text->find(kStart, pos)) != std::string::npos) {
    size_t from = pos + kStart.size();
    size_t to = text->find_first_of(">\"", from);
    if (to == std::string::npos) return;
    size_t textStart = text->find('>', to);
    if (textStart == std::string::npos) return;
    ++textStart;
    size_t close = text->find("</a>", textStart);
    if (close == std::string::npos) return;
    std::string shown =
        text->substr(textStart, close - textStart) + " (" + text->substr(from, to - from) + ")";
    text->replace(pos, close + 4 - pos, shown);
    ++pos;
  }
}

// Removes every tag: each '<' through the next '>' (or through the end of the text).
std::string RemoveTags(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    size_t open = text.find('<', pos);
    if (open == std::string::npos) open = text.size();
    out.append(text, pos, open - pos);
    if (open == text.size()) break;
    size_t close = text.find('>', open);
    pos = close == std::string::npos ? text.size() : close + 1;
  }
  return out;
}

std::string Trim(const std::string& text) {
  static const char kSpace[] = " \t\r\n";
  size_t first = text.find_first_not_of(kSpace);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}
}  // namespace

std::string HtmlToText(const std::string& html) {
  std::string text = html;
  for (const Replacement& r : kReplacements) ReplaceRepeatedly(&text, r.find, r.replace);
  ReplaceMailLinks(&text);
  ReplaceOtherLinks(&text);
  text = RemoveTags(text);
  ReplaceRepeatedly(&text, "\r\n\r\n\r\n", "\r\n\r\n");
  return Trim(text);
}
