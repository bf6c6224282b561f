// Composed message texts and mail files against their fixtures.
#include "mail/mail_composer.h"

#include <gtest/gtest.h>

#include "sample_message.h"
#include "support/fixture_path.h"
#include "support/test_io.h"

namespace {

std::string Escaped(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else if (c < 0x20 || c > 0x7E) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else
      out += static_cast<char>(c);
  }
  return out;
}

// Where two byte strings first differ, with some context of each.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  size_t i = 0;
  while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) ++i;
  if (i == expected.size() && i == actual.size()) return "";
  size_t from = i > 60 ? i - 60 : 0;
  return "first difference at offset " + std::to_string(i) + "\n expected: ..." +
         Escaped(expected.substr(from, 100)) + "\n actual:   ..." +
         Escaped(actual.substr(from, 100));
}

struct GoldenCase {
  uint32_t format;
  bool withAttachments;
};

void PrintTo(const GoldenCase& c, std::ostream* os) {
  *os << "format " << c.format << (c.withAttachments ? " with attachments" : "");
}

class MailFileGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(MailFileGolden, MatchesFixtureByteForByte) {
  CSMTPMessage message = SampleMessage(GetParam().format, GetParam().withAttachments);
  std::string expected =
      ReadFileText(FixturePath(SampleFixtureName(GetParam().format, GetParam().withAttachments)));
  ASSERT_FALSE(expected.empty());
  std::string actual = ComposeMailFile(message, SampleComposition(message));
  EXPECT_EQ(FirstDifference(expected, actual), "");
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, MailFileGolden,
                         ::testing::Values(GoldenCase{0, false}, GoldenCase{0, true},
                                           GoldenCase{1, false}, GoldenCase{1, true},
                                           GoldenCase{2, false}, GoldenCase{2, true}),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) {
                           return "Format" + std::to_string(info.param.format) +
                                  (info.param.withAttachments ? "WithAttachments" : "");
                         });

std::string Text(const CSMTPMessage& message) {
  return ComposeMessageText(message, SampleComposition(message));
}

bool HasLine(const std::string& text, const std::string& line) {
  return text.compare(0, line.size() + 2, line + "\r\n") == 0 ||
         text.find("\r\n" + line + "\r\n") != std::string::npos;
}

TEST(ComposeMailFile, BccOnlyMessageHasNoToHeaderButEnvelopeLine) {
  CSMTPMessage m = SampleMessage(0, false);
  m.to.clear();
  m.cc.clear();
  std::string file = ComposeMailFile(m, SampleComposition(m));
  EXPECT_EQ(file.substr(24, file.find("\r\n\r\n") + 4 - 24),
            "monitor@example.com\r\nhidden@example.com\r\n\r\n");
  EXPECT_EQ(file.find("To: "), std::string::npos);
  EXPECT_EQ(file.find("cc: "), std::string::npos);
  EXPECT_EQ(file.find("hidden@example.com", 60), std::string::npos);  // never in a header
}

TEST(ComposeMessageText, FromWithoutNameIsTheBareAddress) {
  CSMTPMessage m = SampleMessage(0, false);
  m.senderName.clear();
  EXPECT_TRUE(HasLine(Text(m), "From: monitor@example.com"));
}

TEST(ComposeMessageText, PriorityIsClampedAndNamed) {
  const struct {
    int32_t priority;
    const char* digit;
    const char* name;
  } cases[] = {{-4, "1", "High"},  {1, "1", "High"}, {2, "2", "Normal"}, {3, "3", "Normal"},
               {4, "4", "Normal"}, {5, "5", "Low"},  {99, "5", "Low"}};
  for (const auto& c : cases) {
    CSMTPMessage m = SampleMessage(0, false);
    m.priority = c.priority;
    std::string text = Text(m);
    EXPECT_TRUE(HasLine(text, std::string("X-Priority: ") + c.digit)) << c.priority;
    EXPECT_TRUE(HasLine(text, std::string("X-MSMail-Priority: ") + c.name)) << c.priority;
  }
}

TEST(ComposeMessageText, UnknownFormatIsPlainText) {
  CSMTPMessage m = SampleMessage(7, false);
  EXPECT_EQ(Text(m), Text(SampleMessage(0, false)));
  CSMTPMessage withAttachments = SampleMessage(7, true);
  EXPECT_EQ(Text(withAttachments), Text(SampleMessage(0, true)));
}

TEST(ComposeMessageText, EmptyOrMissingAttachmentContentLeavesThePartOut) {
  CSMTPMessage m = SampleMessage(0, true);
  MailComposition c = SampleComposition(m);
  c.attachments[0].bytes.clear();  // readable but empty
  c.attachments.pop_back();        // no content at all for the last one
  std::string text = ComposeMessageText(m, c);
  EXPECT_EQ(text.find("filename="), std::string::npos);
  EXPECT_NE(text.find("\r\n-------=_Mixed_Part_=-------\r\n\r\n"), std::string::npos);
}

TEST(ComposeHtmlDocument, TitleFallsBackToSubjectAndStyleBlockIsOptional) {
  CSMTPMessage m;
  m.subject = "Subject text";
  m.htmlBody = "<p>x</p>";
  std::string doc = ComposeHtmlDocument(m);
  EXPECT_NE(doc.find("  <title>Subject text</title>\r\n"), std::string::npos);
  EXPECT_EQ(doc.find("<style"), std::string::npos);
  EXPECT_NE(doc.find("</head>\r\n<body>\r\n<p>x</p>\r\n</body>\r\n</html>\r\n"), std::string::npos);
  m.htmlTitle = "Own title";
  EXPECT_NE(ComposeHtmlDocument(m).find("  <title>Own title</title>\r\n"), std::string::npos);
}

// Whatever the body holds, the message text must not end the SMTP DATA early or carry a
// bare line break that a lenient server might take for one.
TEST(ComposeMessageText, HostileBodiesCannotEndTheDataEarly) {
  const char* bodies[] = {
      ".",       ".\r\nQUIT", "x\n.\nRCPT TO:<a@b>", "x\r\n.\r\nMAIL FROM:<a@b>",
      "a\r.\rb", "<br>.<br>."};
  for (uint32_t format : {0u, 1u, 2u}) {
    for (const char* body : bodies) {
      CSMTPMessage m = SampleMessage(format, false);
      m.htmlBody = body;
      std::string text = Text(m);
      for (size_t i = 0; i < text.size(); ++i) {
        bool crlf = (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ||
                    (text[i] == '\n' && i > 0 && text[i - 1] == '\r');
        ASSERT_TRUE(crlf || (text[i] != '\r' && text[i] != '\n')) << format << " " << Escaped(body);
        if (i >= 2 && text[i - 2] == '\r' && text[i - 1] == '\n' && text[i] == '.') {
          ASSERT_EQ(text[i + 1], '.') << format << " " << Escaped(body);
        }
      }
    }
  }
}

}  // namespace
