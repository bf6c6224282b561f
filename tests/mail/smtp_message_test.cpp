// Filling in a message and checking its addresses.
#include "mail/smtp_message.h"

#include <functional>

#include <gtest/gtest.h>

#include "mail/content_type.h"

namespace {

CSMTPMessage Sendable() {
  CSMTPMessage m;
  m.senderAddress = "monitor@example.com";
  m.senderName = "Monitor";
  m.to = {{"ops@example.com", "Ops"}};
  m.subject = "Alert";
  return m;
}

struct ValidateCase {
  const char* what;
  std::function<void(CSMTPMessage*)> change;
  const char* error;
};

TEST(ValidateAddresses, FirstFailingRuleWins) {
  const ValidateCase cases[] = {
      {"sendable", [](CSMTPMessage*) {}, ""},
      {"empty sender", [](CSMTPMessage* m) { m->senderAddress.clear(); },
       "error 87; invalid sender address"},
      {"sender without @", [](CSMTPMessage* m) { m->senderAddress = "monitor"; },
       "error 87; invalid sender address"},
      {"bad sender and no recipients",
       [](CSMTPMessage* m) {
         m->senderAddress = "x";
         m->to.clear();
       },
       "error 87; invalid sender address"},
      {"no recipients", [](CSMTPMessage* m) { m->to.clear(); },
       "error 87; no recipients specified"},
      {"bcc only",
       [](CSMTPMessage* m) {
         m->to.clear();
         m->bcc = {{"b@x", ""}};
       },
       ""},
      {"cc only",
       [](CSMTPMessage* m) {
         m->to.clear();
         m->cc = {{"c@x", ""}};
       },
       ""},
      {"to without @",
       [](CSMTPMessage* m) {
         m->to.push_back({"nobody", "N"});
       },
       "error 86; invalid TO recipient"},
      {"to empty",
       [](CSMTPMessage* m) {
         m->to.push_back({"", "Name only"});
       },
       "error 86; invalid TO recipient"},
      {"cc without @",
       [](CSMTPMessage* m) {
         m->cc = {{"c@x", ""}, {"c", ""}};
       },
       "error 85; invalid CC recipient"},
      {"bcc without @",
       [](CSMTPMessage* m) {
         m->bcc = {{"b", ""}};
       },
       "error 84; invalid BCC recipient"},
      {"to before cc",
       [](CSMTPMessage* m) {
         m->to = {{"t", ""}};
         m->cc = {{"c", ""}};
       },
       "error 86; invalid TO recipient"},
  };
  for (const ValidateCase& c : cases) {
    CSMTPMessage m = Sendable();
    c.change(&m);
    EXPECT_EQ(m.ValidateAddresses(), c.error) << c.what;
  }
}

// A CR or LF in any text that reaches a header or the SMTP envelope would start a new
// header or command ("a@b\r\nRCPT TO:<x@y>"): such a message is refused.
TEST(ValidateAddresses, RefusesLineBreaksInHeaderTexts) {
  const ValidateCase cases[] = {
      {"sender address", [](CSMTPMessage* m) { m->senderAddress = "a@b\r\nRCPT TO:<x@y>"; },
       "error 87; line break in sender address"},
      {"sender name", [](CSMTPMessage* m) { m->senderName = "Mon\nBcc: x@y"; },
       "error 87; line break in sender name"},
      {"to address",
       [](CSMTPMessage* m) {
         m->to.push_back({"x@y\rDATA", ""});
       },
       "error 86; line break in TO recipient"},
      {"to name", [](CSMTPMessage* m) { m->to[0].name = "Ops\r\n"; },
       "error 86; line break in TO recipient"},
      {"cc name",
       [](CSMTPMessage* m) {
         m->cc = {{"c@x", "C\nX"}};
       },
       "error 85; line break in CC recipient"},
      {"bcc address",
       [](CSMTPMessage* m) {
         m->bcc = {{"b@x\n", ""}};
       },
       "error 84; line break in BCC recipient"},
      {"subject", [](CSMTPMessage* m) { m->subject = "Alert\r\nBcc: x@y"; },
       "error 87; line break in subject"},
      {"attachment name",
       [](CSMTPMessage* m) {
         m->attachments = {{"C:\\a", "a\r\n.txt", false}};
       },
       "error 87; line break in attachment name"},
      {"tab and other text pass", [](CSMTPMessage* m) { m->subject = "A\tB \xE9"; }, ""},
  };
  for (const ValidateCase& c : cases) {
    CSMTPMessage m = Sendable();
    c.change(&m);
    EXPECT_EQ(m.ValidateAddresses(), c.error) << c.what;
    EXPECT_EQ(FindHeaderLineBreak(m), c.error) << c.what;
  }
}

TEST(AddHtmlElement, WithAndWithoutStyle) {
  CSMTPMessage m;
  m.AddHtmlElement("p", "text", "");
  m.AddHtmlElement("td", "", "color: red");
  EXPECT_EQ(m.htmlBody, "<p>text</p>\r\n<td style=\"color: red\"></td>\r\n");
}

TEST(CSMTPMessage, Defaults) {
  CSMTPMessage m;
  EXPECT_EQ(m.format, 1u);
  EXPECT_EQ(m.priority, 3);
  EXPECT_EQ(m.fileHeader.version, 0x501u);
  EXPECT_EQ(m.fileHeader.messageNumber, 0u);
}

TEST(CheckMailFilePath, Table) {
  const struct {
    const char* path;
    const char* error;
  } cases[] = {
      {"C:\\Temp\\tlm1.tmp", ""},
      {"z:\\", ""},
      {"\\\\server\\share\\m.tmp", ""},
      {"", "Could not create mail file; error 87: bad path"},
      {"C:", "Could not create mail file; error 87: bad path"},
      {"C:tmp", "Could not create mail file; error 87: missing drive letter"},
      {"tmp\\m.tmp", "Could not create mail file; error 87: missing drive letter"},
      {"1:\\x", "Could not create mail file; error 87: missing drive letter"},
      {"\\x\\y", "Could not create mail file; error 87: missing drive letter"},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckMailFilePath(c.path), c.error) << c.path;
}

TEST(ContentType, ExtensionAndBuiltInTypes) {
  EXPECT_EQ(NameExtension("report.final.txt"), ".txt");
  EXPECT_EQ(NameExtension("README"), "");
  EXPECT_EQ(BuiltInContentType(".ovad"), "application/x-ov-audit-data");
  EXPECT_EQ(BuiltInContentType(".OvAd"), "application/x-ov-audit-data");
  EXPECT_EQ(BuiltInContentType(".OV"), "application/x-ov-audit-drift-data");
  EXPECT_EQ(BuiltInContentType(".ovx"), "application/octet-stream");
  EXPECT_EQ(BuiltInContentType(".o"), "application/octet-stream");
  EXPECT_EQ(BuiltInContentType(""), "application/octet-stream");
  EXPECT_TRUE(IsUsableContentType("text/plain"));
  EXPECT_FALSE(IsUsableContentType(""));
  EXPECT_FALSE(IsUsableContentType("text/plain\r\nBcc: x@y"));
}

}  // namespace
