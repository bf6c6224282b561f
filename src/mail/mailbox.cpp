// Parsing and formatting "Name <address>" mailboxes and their lists.
#include "mail/mailbox.h"

namespace {
const char kMailboxTrim[] = " \t\r\n\"<>";

std::string TrimMailboxText(const std::string& text) {
  size_t first = text.find_first_not_of(kMailboxTrim);
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(kMailboxTrim);
  return text.substr(first, last - first + 1);
}
}  // namespace

Mailbox ParseMailbox(const std::string& text) {
  Mailbox result;
  if (text.find_first_of('<') == std::string::npos || text.find('@') == std::string::npos ||
      text.find('>') == std::string::npos)
    return result;
  size_t open = text.rfind('<');
  size_t at = text.find('@', open);
  if (at == std::string::npos) return result;
  size_t start = at;
  while (start > 0 && text[start - 1] != ' ' && text[start - 1] != '<') --start;
  if (start > 0) --start;  // the stretch begins at the space or '<' itself
  size_t close = text.find('>', at);
  size_t end = close == std::string::npos ? text.size() : close + 1;
  result.address = TrimMailboxText(text.substr(start, end - start));
  result.name = TrimMailboxText(text.substr(0, start) + text.substr(end));
  return result;
}

std::string FormatMailbox(const std::string& address, const std::string& name) {
  if (!name.empty() && !address.empty()) return name + " <" + address + ">";
  if (!name.empty()) return name;
  if (!address.empty()) return "<" + address + ">";
  return std::string();
}

std::vector<Mailbox> ParseMailboxList(const std::vector<std::string>& texts) {
  std::vector<Mailbox> entries;
  entries.reserve(texts.size());
  for (const std::string& text : texts) entries.push_back(ParseMailbox(text));
  return entries;
}

std::vector<std::string> FormatMailboxList(const std::vector<Mailbox>& entries) {
  std::vector<std::string> texts;
  texts.reserve(entries.size());
  for (const Mailbox& entry : entries) texts.push_back(FormatMailbox(entry.address, entry.name));
  return texts;
}
