// The mail settings' rules without a window.
#include "mail/mail_setup_rules.h"

#include <gtest/gtest.h>

#include "mail/html_text.h"

namespace {

TEST(MailSetupRules, MailIsConfiguredWithServerSenderAndARecipient) {
  const struct {
    const char* server;
    const char* sender;
    int list;  // which list holds the one recipient: 0 To, 1 CC, 2 BCC, -1 none
    bool configured;
  } cases[] = {
      {"smtp.example.com", "monitor@example.com", 0, true}, {"smtp.example.com", "monitor@example.com", 2, true},
      {"", "monitor@example.com", 1, false},                {"smtp.example.com", "", 0, false},
      {"smtp.example.com", "monitor@example.com", -1, false},
  };
  for (const auto& c : cases) {
    std::vector<Mailbox> lists[3];
    if (c.list >= 0) lists[c.list].push_back({"ops@example.com", "Ops"});
    EXPECT_EQ(IsSetupReady(lists[0], lists[1], lists[2], c.sender, c.server), c.configured)
        << c.server << "|" << c.sender << "|" << c.list;
  }
}

TEST(MailSetupRules, PortsFollowSecurityAndStayInRange) {
  EXPECT_EQ(PortForSecurity(0), 25);
  EXPECT_EQ(PortForSecurity(1), 587);
  EXPECT_EQ(PortForSecurity(2), 587);
  EXPECT_EQ(PortForSecurity(3), 465);
  const struct {
    const char* text;
    uint16_t port;
  } cases[] = {{"0", 25}, {"", 25}, {"587", 587}, {"65535", 65535}, {"99999", 65535}};
  for (const auto& c : cases) EXPECT_EQ(PortFromText(c.text), c.port) << c.text;
  EXPECT_EQ(PortText(0), "25");
  EXPECT_EQ(PortText(2525), "2525");
}

TEST(MailSetupRules, QueueFolderGetsADrive) {
  const struct {
    const char* typed;
    const char* folder;
  } cases[] = {
      {"", "C:\\"},
      {"ab", "C:\\"},
      {"Mail\\Queue", "C:\\Mail\\Queue"},
      {"\\Mail\\Queue", "C:\\Mail\\Queue"},
      {"D:\\Spool\\", "D:\\Spool\\"},
      {"D:Spool", "C:\\D:Spool"},
  };
  for (const auto& c : cases) EXPECT_EQ(QueueFolderWithDrive(c.typed), c.folder) << c.typed;
}

TEST(MailSetupRules, RowsBecomeRecipientsTrimmedAndWithoutEmptyAddresses) {
  std::vector<RecipientRow> rows = {
      {" Ops\t", " ops@example.com\r\n"}, {"Nobody", "  "}, {"", "audit@example.com"}, {"Gone", ""}};
  EXPECT_EQ(RecipientsFromRows(rows),
            (std::vector<Mailbox>{{"ops@example.com", "Ops"}, {"audit@example.com", ""}}));
  EXPECT_LT(CompareCellTexts("alpha", "Bravo"), 0);
  EXPECT_EQ(CompareCellTexts("OPS", "ops"), 0);
  EXPECT_GT(CompareCellTexts("ops2", "ops"), 0);
}

TEST(MailSetupRules, AddressDialogNameRule) {
  const struct {
    const char* name;
    const char* address;
    bool accepted;
    Mailbox entry;
  } cases[] = {
      {"", "bob@example.com", true, {"bob@example.com", "bob"}},
      {"  Robert ", " bob@example.com ", true, {"bob@example.com", "Robert"}},
      {"", "a@b@example.com", true, {"a@b@example.com", "a@b"}},
      {"Bob", "bob.example.com", false, {}},
      {"Bob", "   ", false, {}},
  };
  for (const auto& c : cases) {
    Mailbox entry;
    EXPECT_EQ(AcceptAddress(c.name, c.address, &entry), c.accepted) << c.address;
    if (c.accepted) {
      EXPECT_EQ(entry, c.entry) << c.address;
    }
  }
}

TEST(MailSetupRules, TestMessageNamesEverythingItWasSentWith) {
  TestMailFields fields;
  fields.senderAddress = "monitor@example.com";
  fields.senderName = "Clock Monitor";
  fields.format = 2;
  fields.server = "smtp.example.com";
  fields.portText = "587";
  fields.documentationUrl = "https://help.example/";
  fields.to = {{"ops@example.com", "Ops"}};
  fields.bcc = {{"audit@example.com", ""}};
  CSMTPMessage message = ComposeTestMessage(fields);
  EXPECT_EQ(message.subject, "Test Email from Orvane");
  EXPECT_EQ(message.format, 2u);
  EXPECT_EQ(message.priority, 3);
  EXPECT_EQ(message.to, fields.to);
  EXPECT_TRUE(message.cc.empty());
  EXPECT_EQ(message.bcc, fields.bcc);
  EXPECT_EQ(message.htmlBody.rfind("<p style=\"color:green;font-weight:bold;font-size:18pt;text-align:center;\">"
                                   "Email Test</p>\r\n<p></p>\r\n<div style=",
                                   0),
            0u);
  std::string text = HtmlToText(message.htmlBody);
  for (const char* line : {"This is a test message from Orvane Monitor (https://help.example/). It was sent from "
                           "monitor@example.com using smtp.example.com on port 587 to these recipients:",
                           " *ops@example.com\r\n *audit@example.com", "Authentication: None\r\n",
                           "Formats: Multipart, HTML followed by plain text", "Copyright (c) Tallowin."})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;

  fields.userName = "alice";
  fields.format = 0;
  text = HtmlToText(ComposeTestMessage(fields).htmlBody);
  EXPECT_NE(text.find("Authentication: alice\r\nFormat: Plain text only"), std::string::npos) << text;
}

}  // namespace
