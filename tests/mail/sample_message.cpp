// The fixed message of the mail file fixtures.
#include "sample_message.h"


CSMTPMessage SampleMessage(uint32_t format, bool withAttachments) {
  CSMTPMessage m;
  m.format = format;
  m.priority = 1;
  m.senderAddress = "monitor@example.com";
  m.senderName = "Orvane Monitor";
  m.to = {{"ops@example.com", "Ops Team"}, {"admin@example.org", ""}};
  m.cc = {{"audit@example.net", "Audit"}};
  m.bcc = {{"hidden@example.com", ""}};
  m.subject = "Clock alert: server1";
  m.styleSheet = "p { color: red; }\r\n";
  m.headExtra = "  <meta name=\"robots\" content=\"noindex\">\r\n";
  m.AddHtmlElement("h1", "Clock alert", "");
  m.AddHtmlElement("p",
                   "Variance on server1 exceeded the limit: delta=73 ms against a limit "
                   "50\xB5s; caf\xE9 clock.",
                   "");
  m.htmlBody += ".hidden files stay<br>\r\nSee <a href=\"https://example.com/status\">status</a>.";
  if (withAttachments)
    m.attachments = {{"C:\\data\\report.txt", "report.txt", false},
                     {"C:\\data\\missing.ov", "missing.ov", false},
                     {"C:\\data\\audit.OVAD", "audit.OVAD", true}};
  m.fileHeader.messageNumber = 42;
  m.fileHeader.composedTime = 1700000000;
  m.fileHeader.composedTimeCopy = 1700000000;
  return m;
}

MailComposition SampleComposition(const CSMTPMessage& message) {
  MailComposition c;
  c.localTime = {2023, 11, 15, 3, 3, 43, 20};
  c.zone.bias = -330;
  c.hostName = "mailhost.example.net";
  c.mailer = "TLServiceSMTP 0x0501 (built Jan  5 2024 09:07:03)";
  if (message.attachments.empty()) return c;
  std::string allBytes;
  for (int i = 0; i < 256; ++i) allBytes += static_cast<char>(i);
  c.attachments = {
      {true, "text/plain", "Line one of the report.\r\nLine two has a few more words in it.\r\n"},
      {false, "", ""},
      {true, "application/x-ov-audit-data", allBytes}};
  return c;
}

std::string SampleFixtureName(uint32_t format, bool withAttachments) {
  return "mail/format" + std::to_string(format) + (withAttachments ? "_attachments" : "") + ".mail";
}
