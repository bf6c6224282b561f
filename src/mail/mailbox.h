// E-mail addresses with display names, and their registry text form ("Name <address>").
#pragma once
#include <string>
#include <vector>

struct Mailbox {
  std::string address;  // bare address, without angle brackets
  std::string name;     // display name, may be empty

  bool operator==(const Mailbox&) const = default;
};

// Splits "Name <user@host>" into name and address; text without '<', '@' or '>' gives an empty entry.
Mailbox ParseMailbox(const std::string& text);
// Composes "name <address>", "name", "<address>" or "" from the parts present.
std::string FormatMailbox(const std::string& address, const std::string& name);
// ParseMailbox applied to each text, in order.
std::vector<Mailbox> ParseMailboxList(const std::vector<std::string>& texts);
// FormatMailbox applied to each entry, in order.
std::vector<std::string> FormatMailboxList(const std::vector<Mailbox>& entries);
