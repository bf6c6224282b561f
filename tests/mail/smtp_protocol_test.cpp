// SMTP reply lines: buffering received bytes and judging each line.
#include <gtest/gtest.h>

#include <vector>

#include "mail/smtp_command.h"
#include "mail/smtp_reply.h"
#include "mail/smtp_transcript.h"

namespace {

TEST(CSMTPLineBuffer, SplitsAtCrLfAcrossReceives) {
  CSMTPLineBuffer buffer;
  std::string line;
  std::string first = "220 ready\r\n\r\n250-a\r\n25";
  buffer.Append(first.data(), first.size());
  ASSERT_TRUE(buffer.TakeLine(&line));
  EXPECT_EQ(line, "220 ready");
  ASSERT_TRUE(buffer.TakeLine(&line));
  EXPECT_EQ(line, "");
  ASSERT_TRUE(buffer.TakeLine(&line));
  EXPECT_EQ(line, "250-a");
  EXPECT_FALSE(buffer.TakeLine(&line));
  buffer.Append("0 ok\r", 5);
  EXPECT_FALSE(buffer.TakeLine(&line));  // a CR alone ends nothing
  buffer.Append("\n", 1);
  ASSERT_TRUE(buffer.TakeLine(&line));
  EXPECT_EQ(line, "250 ok");
  EXPECT_EQ(buffer.FreeSpace(), CSMTPLineBuffer::kCapacity);
}

TEST(CSMTPLineBuffer, OverflowAbove16380BytesWithoutLine) {
  CSMTPLineBuffer buffer;
  std::string block(16380, 'x');
  buffer.Append(block.data(), block.size());
  EXPECT_FALSE(buffer.Overflowing());  // three bytes of space are still left
  EXPECT_EQ(buffer.FreeSpace(), 3u);
  buffer.Append("yyyyy", 5);  // only what fits is kept
  EXPECT_TRUE(buffer.Overflowing());
  EXPECT_EQ(buffer.FreeSpace(), 0u);
  EXPECT_EQ(buffer.TakeAll(), block + "yyy");
  EXPECT_EQ(buffer.FreeSpace(), CSMTPLineBuffer::kCapacity);
  buffer.Append("a\r\n", 3);
  buffer.Clear();
  std::string line;
  EXPECT_FALSE(buffer.TakeLine(&line));
}

TEST(ParseReplyLine, CodeAndKind) {
  const struct {
    const char* line;
    uint32_t code;
    SMTPLineKind kind;
  } cases[] = {
      {"220 smtp.example.com ESMTP", 220, SMTPLineKind::kFinal},
      {"250-SIZE 1000", 250, SMTPLineKind::kContinuation},
      {"250", 250, SMTPLineKind::kFinal},
      {"250\r", 250, SMTPLineKind::kFinal},
      {"250\n", 250, SMTPLineKind::kFinal},
      {"250OK", 250, SMTPLineKind::kMalformed},  // code followed by a letter
      {"25O ok", 25, SMTPLineKind::kMalformed},
      {"", 0, SMTPLineKind::kFinal},
      {"-x", 0, SMTPLineKind::kContinuation},
      {"hello", 0, SMTPLineKind::kMalformed},
      {"99999999999999 x", 4294967295u, SMTPLineKind::kFinal},
  };
  for (const auto& c : cases) {
    SMTPReplyLine reply = ParseReplyLine(c.line);
    EXPECT_EQ(reply.code, c.code) << c.line;
    EXPECT_EQ(reply.kind, c.kind) << c.line;
  }
}

struct ReplyRun {
  SMTPVerdict verdict;
  uint32_t lastCode;
  size_t linesRead;
};

// Feeds lines as the engine's Command loop does until the reply is complete.
ReplyRun ReadReply(const std::vector<std::string>& lines, uint32_t expected, bool parseEhlo = false,
                   SMTPCapabilities* capabilities = nullptr) {
  SMTPCapabilities unused;
  ReplyRun run = {SMTPVerdict::kReadMore, 0, 0};
  while (run.verdict == SMTPVerdict::kReadMore && run.linesRead < lines.size())
    run.verdict = JudgeReplyLine(lines[run.linesRead++], expected, parseEhlo,
                                 capabilities ? capabilities : &unused, &run.lastCode);
  return run;
}

TEST(JudgeReplyLine, Replies) {
  const struct {
    std::vector<std::string> lines;
    uint32_t expected;
    SMTPVerdict verdict;
    uint32_t lastCode;
    size_t linesRead;
  } cases[] = {
      {{"220 ready"}, 220, SMTPVerdict::kAccepted, 220, 1},
      {{"250-host", "250-SIZE 10", "250 HELP"}, 250, SMTPVerdict::kAccepted, 250, 3},
      {{"250OK", "250 OK"}, 250, SMTPVerdict::kAccepted, 250, 2},  // malformed: wait for another
      {{"550OK", "250 OK"}, 250, SMTPVerdict::kRejected, 550, 1},
      {{"200 ok"}, 250, SMTPVerdict::kAccepted, 200, 1},
      {{"251 forwarded"}, 250, SMTPVerdict::kAccepted, 251, 1},
      {{"200 ok"}, 220, SMTPVerdict::kRejected, 200, 1},
      {{"354 go ahead"}, 354, SMTPVerdict::kAccepted, 354, 1},
      {{"502 not implemented"}, 250, SMTPVerdict::kRejected, 502, 1},
      {{"250-a", "550 no"}, 250, SMTPVerdict::kRejected, 550, 2},
      {{"550-a", "250 yes"}, 250, SMTPVerdict::kAccepted, 250, 2},
      {{""}, 250, SMTPVerdict::kRejected, 0, 1},
      {{"334 VXNlcm5hbWU6"}, 334, SMTPVerdict::kAccepted, 334, 1},
  };
  for (const auto& c : cases) {
    ReplyRun run = ReadReply(c.lines, c.expected);
    EXPECT_EQ(run.verdict, c.verdict) << c.lines[0];
    EXPECT_EQ(run.lastCode, c.lastCode) << c.lines[0];
    EXPECT_EQ(run.linesRead, c.linesRead) << c.lines[0];
  }
}

TEST(ParseEhloLine, Capabilities) {
  const struct {
    std::vector<std::string> lines;
    bool plain, login, startTls;
  } cases[] = {
      {{"250-mail.example.com", "250-AUTH PLAIN LOGIN", "250 STARTTLS"}, true, true, true},
      {{"250-mail.example.com", "250-AUTH LOGIN", "250 STARTTLS "}, false, true, false},
      {{"250-mail.example.com", "250 AUTH=LOGIN PLAIN"}, true, true, false},
      {{"250-mail.example.com", "250-auth PLAIN", "250-starttls", "250 OK"}, true, false, true},
      {{"250-mail.example.com", "250-AUTH login plain", "250 OK"}, false, false, false},
      {{"250-mail.example.com", "250-AUTH CRAM-MD5", "250-SIZE LOGIN", "250 OK"},
       false,
       false,
       false},
      {{"250-mail.example.com", "250-STARTTLS now", "250 8BITMIME"}, false, false, false},
  };
  for (const auto& c : cases) {
    SMTPCapabilities caps;
    EXPECT_EQ(ReadReply(c.lines, 250, true, &caps).verdict, SMTPVerdict::kAccepted) << c.lines[1];
    EXPECT_EQ(caps.authPlain, c.plain) << c.lines[1];
    EXPECT_EQ(caps.authLogin, c.login) << c.lines[1];
    EXPECT_EQ(caps.startTls, c.startTls) << c.lines[1];
  }
  SMTPCapabilities untouched;
  ReadReply({"250-AUTH PLAIN LOGIN", "250 STARTTLS"}, 250, false, &untouched);
  EXPECT_FALSE(untouched.authPlain || untouched.authLogin || untouched.startTls);
}

TEST(SMTPCommands, Texts) {
  EXPECT_EQ(EhloCommand("host.example.com"), "EHLO host.example.com");
  EXPECT_EQ(HeloCommand("[192.0.2.7]"), "HELO [192.0.2.7]");
  EXPECT_EQ(MailFromCommand("a@b"), "MAIL FROM:<a@b>");
  EXPECT_EQ(RcptToCommand("c@d"), "RCPT TO:<c@d>");
  EXPECT_EQ(AuthLoginAnswer("alice"), "YWxpY2U=");
  EXPECT_EQ(AuthPlainAnswer("alice", "s3cret"), "YWxpY2UAYWxpY2UAczNjcmV0");
  EXPECT_EQ(std::string(kSMTPQuit), "QUIT\r\n");
}

// Long credentials stay one command line: a line break inside would send the rest of the
// credentials as a separate command.
TEST(SMTPCommands, LongCredentialsStayOnOneLine) {
  std::string user = "alerts-monitor@mail.example.com";
  std::string password(40, 'p');
  EXPECT_EQ(AuthPlainAnswer(user, password).find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(AuthPlainAnswer(user, password).size(),
            (2 * user.size() + password.size() + 2 + 2) / 3 * 4);
  EXPECT_EQ(AuthLoginAnswer(std::string(100, 'u')).find_first_of("\r\n"), std::string::npos);
}

TEST(SMTPCommands, DataTextEndsWithALoneDot) {
  EXPECT_EQ(DataCommandText("Subject: x\r\n\r\nbody\r\n"), "Subject: x\r\n\r\nbody\r\n.");
  EXPECT_EQ(DataCommandText("Subject: x\r\n\r\nbody"), "Subject: x\r\n\r\nbody\r\n.");
  EXPECT_EQ(DataCommandText("body\r"), "body\r\r\n.");
}

TEST(SMTPTranscript, EntriesAndVerbosity) {
  const struct {
    SMTPLogEntry entry;
    int verbosity;
    const char* line;
  } cases[] = {
      {LogCreateSocketFailed(10060), 1, "  E: Create socket error 10060: Timed out\r\n"},
      {LogConnectFailed("192.0.2.1:25", 10061), 1,
       "  E: Connect to 192.0.2.1:25 failed; error 10061: Connection refused\r\n"},
      {LogSocketError(10054), 1, "  E: Socket error 10054: Connection reset\r\n"},
      {LogLostConnection(), 1, " E: Lost connection\r\n"},
      {LogProtocolError(250, 550), 1, "  E: Protocol error: expected 250 but got 550\r\n"},
      {LogNoStartTls(), 1, "  E: Server does not support STARTTLS\r\n"},
      {LogReplyTooLong(200), 1, "  E: Reply longer than 200 lines\r\n"},
      {LogSessionTimeLimit(120000), 1, "  E: Session took longer than 120 s\r\n"},
      {LogSessionTimeLimit(800), 1, "  E: Session took longer than 0.8 s\r\n"},
      {LogBadHeloName("holds a line break"), 1, "  E: The EHLO name (registry value \"FQDN\") holds a line break\r\n"},
      {LogEnvelopeLineTooLong(16383), 1, "  E: Envelope line longer than 16383 bytes in the mail file\r\n"},
      {LogOverflow("abc"), 2, "  W: Overflow without CRLF (abc)\r\n"},
      {LogLookingUp("smtp.example.com"), 3, "  I: Looking up smtp.example.com\r\n"},
      {LogConnected("192.0.2.1:25"), 3, "  I: Connected to 192.0.2.1:25\r\n"},
      {LogSent("EHLO host", SMTPSentKind::kCommand), 4, "  S: EHLO host\r\n"},
      {LogSent("czNjcmV0", SMTPSentKind::kCredential), 4, "  S: {password}\r\n"},
      {LogSent("Subject: x\r\n\r\nsecret text\r\n.", SMTPSentKind::kBody), 4,
       "  S: {mail body}\r\n"},
      {LogReceived("250 OK"), 4, "  R: 250 OK\r\n"},
      {MakeLogEntry(kTranscriptCertificates, 'I', "Subject: CN=x"), 5, "  I: Subject: CN=x\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.entry.line, c.line);
    EXPECT_EQ(c.entry.verbosity, c.verbosity) << c.line;
    EXPECT_FALSE(ShouldWrite(c.entry, c.verbosity - 1)) << c.line;
    EXPECT_TRUE(ShouldWrite(c.entry, c.verbosity)) << c.line;
    EXPECT_TRUE(ShouldWrite(c.entry, 5)) << c.line;
  }
}

TEST(SMTPTranscript, ErrorCodesThatAreNegativeAsSignedPrintInHex) {
  EXPECT_EQ(LogSocketError(0x80090311).line.rfind("  E: Socket error 0x80090311: ", 0), 0u);
  EXPECT_EQ(LogSocketError(0xFFFFFFFF).line, "  E: Socket error 0xFFFFFFFF: Invalid data\r\n");
}

}  // namespace
