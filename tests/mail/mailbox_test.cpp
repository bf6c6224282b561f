// Parsing and formatting mailboxes and mailbox lists.
#include "mail/mailbox.h"

#include <gtest/gtest.h>

namespace {

struct ParseCase {
  const char* text;
  const char* address;
  const char* name;
};

TEST(ParseMailbox, Table) {
  const ParseCase cases[] = {
      {"John Smith <john@example.com>", "john@example.com", "John Smith"},
      {"\"John Smith\" <john@example.com>", "john@example.com", "John Smith"},
      {"<john@example.com>", "john@example.com", ""},
      {"john@example.com", "", ""},              // bare address: no brackets, empty entry
      {"", "", ""},
      {"Name <nobody>", "", ""},                 // no '@'
      {"a@b <Name>", "", ""},                    // '@' only before the last '<'
      {"Ops <ops@example.com", "", ""},          // no '>' anywhere
      {"  Ops Team  <ops@example.com>  ", "ops@example.com", "Ops Team"},
      {"<a@b> trailing name", "a@b", "trailing name"},
      {"Name <x y@host>", "y@host", "Name <x"},  // the stretch starts at the nearest space
  };
  for (const ParseCase& c : cases) {
    Mailbox m = ParseMailbox(c.text);
    EXPECT_EQ(m.address, c.address) << c.text;
    EXPECT_EQ(m.name, c.name) << c.text;
  }
}

TEST(FormatMailbox, EachCombination) {
  EXPECT_EQ(FormatMailbox("a@b", "Name"), "Name <a@b>");
  EXPECT_EQ(FormatMailbox("", "Name"), "Name");
  EXPECT_EQ(FormatMailbox("a@b", ""), "<a@b>");
  EXPECT_EQ(FormatMailbox("", ""), "");
}

TEST(MailboxList, RoundTripKeepsOrder) {
  std::vector<std::string> texts = {"A <a@x>", "<b@y>", "C D <c@z>"};
  std::vector<Mailbox> entries = ParseMailboxList(texts);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[2].name, "C D");
  EXPECT_EQ(FormatMailboxList(entries), texts);
}

}  // namespace
