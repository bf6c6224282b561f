// The composed mail as a real MIME parser (Python's email package) reads it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "mail/html_text.h"
#include "mail/mail_composer.h"
#include "support/test_io.h"
#include "sample_message.h"

namespace {
const char kPython[] = "/usr/bin/python3";

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

// Runs mime_check.py on the mail file bytes and returns its report.
std::string ParseWithPython(const std::string& mailFile) {
  char path[] = "/tmp/ovmon-mime-XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) return "cannot create a temporary file";
  close(fd);
  std::ofstream(path, std::ios::binary) << mailFile;
  std::string report = std::string(path) + ".out";
  std::string command = std::string(kPython) + " " + std::getenv("OVMON_SOURCE_DIR") +
                        "/tests/mail/mime_check.py " + path + " > " + report + " 2>&1";
  int rc = std::system(command.c_str());
  std::string output = ReadFileText(report);
  std::remove(path);
  std::remove(report.c_str());
  return rc == 0 ? output : "mime_check.py failed:\n" + output;
}

std::string TextPart(const std::string& payload) {
  return "part text/plain Windows-1252 - quoted-printable\npayload " + Hex(payload) + "\n";
}

std::string HtmlPart(const CSMTPMessage& m) {
  return "part text/html Windows-1252 - quoted-printable\npayload " + Hex(ComposeHtmlDocument(m)) +
         "\n";
}

// What the parser must see: built from the message's fields, not from the composed text.
std::string ExpectedReport(const CSMTPMessage& m, const MailComposition& c) {
  std::string r = "envelope " + m.senderAddress + "\n";
  for (const auto* list : {&m.to, &m.cc, &m.bcc})
    for (const Mailbox& b : *list) r += "envelope " + b.address + "\n";
  r += "from " + m.senderName + "|" + m.senderAddress + "\n";
  for (const Mailbox& b : m.to) r += "to " + b.name + "|" + b.address + "\n";
  for (const Mailbox& b : m.cc) r += "cc " + b.name + "|" + b.address + "\n";
  r += "subject " + m.subject + "\ndate 2023-11-15T03:43:20+05:30\n";
  r += "message-id <20231115.00000042@TLServiceSMTP.mailhost.example.net>\n";
  bool attached = !m.attachments.empty();
  bool html = m.format == 1 || m.format == 2;
  std::string text = HtmlToText(m.htmlBody);
  if (!attached && !html) return r + TextPart(text + "\r\n");
  if (attached) r += "multipart multipart/mixed\n";
  r += "multipart multipart/alternative\n";
  if (!html) r += TextPart(text);
  if (m.format == 1) r += TextPart(text) + HtmlPart(m);
  if (m.format == 2) r += HtmlPart(m) + TextPart(text);
  for (size_t i = 0; i < m.attachments.size(); ++i) {
    const MailAttachmentContent& content = c.attachments[i];
    if (!content.readable || content.bytes.empty()) continue;
    r += "part " + content.contentType + " - " + m.attachments[i].displayName +
         " base64\npayload " + Hex(content.bytes) + "\n";
  }
  return r;
}

void ExpectParsedAsComposed(const CSMTPMessage& m) {
  MailComposition c = SampleComposition(m);
  EXPECT_EQ(ParseWithPython(ComposeMailFile(m, c)), ExpectedReport(m, c))
      << "format " << m.format << ", " << m.attachments.size() << " attachments";
}

class MimeParse : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(kPython, X_OK) != 0) GTEST_SKIP() << kPython << " is not available";
  }
};

TEST_F(MimeParse, EveryLayoutDecodesToWhatWasComposed) {
  for (uint32_t format : {0u, 1u, 2u})
    for (bool attached : {false, true}) ExpectParsedAsComposed(SampleMessage(format, attached));
}

// Long lines, escapes on every soft-break position, dots, bare line breaks and all
// 8-bit bytes must come back unchanged from the decoder.
TEST_F(MimeParse, AwkwardBodyTextRoundTrips) {
  std::string body = "<p>";
  for (int i = 0; i < 256; ++i)
    if (i != '<' && i != '>' && i != '&') body += static_cast<char>(i);
  body += "</p>.leading dot<br>..two dots<br>";
  for (int shift = 0; shift < 6; ++shift)
    body += std::string(68 + shift, 'x') + "=|\xE9=" + std::string(80, 'y') + "<br>";
  body += "bare\nline\rbreaks\n.\nend " + std::string(300, 'z');
  for (uint32_t format : {0u, 1u, 2u}) {
    for (bool attached : {false, true}) {
      CSMTPMessage m = SampleMessage(format, attached);
      m.htmlBody = body;
      ExpectParsedAsComposed(m);
    }
  }
}

}  // namespace
