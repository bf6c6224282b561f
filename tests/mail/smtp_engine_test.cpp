// The SMTP engine and its TLS channel against a real SMTP server on loopback
// (STARTTLS, implicit TLS, AUTH), and against scripted replies no real server gives.
#include "mail/smtp_engine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "mail/base64.h"
#include "platform/registry.h"
#include "scripted_smtp_server.h"
#include "support/registry_sandbox.h"

namespace {

const char kUser[] = "alice";
const char kPassword[] = "s3cret";

// A variable the test script exports; the test fails clearly without it.
std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

uint16_t PeerPort(const char* name) { return static_cast<uint16_t>(std::atoi(Env(name).c_str())); }

// A Unix path of the test script as Wine sees it.
std::string WinePath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The delivered message whose text holds token, as the server saved it; empty when none.
std::string FindDelivered(const std::string& token) {
  std::string folder = WinePath(Env("OVMON_PEERS") + "/smtp/mail/");
  for (int attempt = 0; attempt < 200; ++attempt) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*.eml").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        std::string text = ReadAll(folder + found.cFileName);
        if (text.find(token) != std::string::npos) {
          FindClose(search);
          return text;
        }
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    Sleep(20);
  }
  return std::string();
}

class SmtpEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Env("OVMON_PEERS").empty()) << "run through scripts/test: the SMTP server is not up";
    WriteRegistryString(kMailComponentKey, "FQDN", "client.test");
  }

  // A message with a unique subject, written to a mail file that is kept for the MIME check.
  std::string WriteMessage(uint32_t format, bool withAttachment, std::string* token) {
    static int counter = 0;
    *token = "t" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + "-f" +
             std::to_string(format) + (withAttachment ? "a" : "");
    CSMTPMessage message;
    message.format = format;
    message.senderAddress = "monitor@example.com";
    message.senderName = "Clock Monitor";
    message.to = {{"ops@example.com", "Ops"}};
    message.bcc = {{"audit@example.com", ""}};
    message.subject = "Check " + *token;
    message.AddHtmlElement("h1", "Variance alert", "");
    message.AddHtmlElement("p", ".starts with a dot &amp; has caf\xE9 = " + std::string(90, 'x'), "color: red");
    if (withAttachment) {
      std::string attachment = WinePath(Env("OVMON_PEERS") + "/smtp/" + *token + ".bin");
      std::ofstream(attachment, std::ios::binary) << std::string("\x00\x01\xFF binary\r\n.", 13) << std::string(300, 'z');
      message.attachments.push_back({attachment, "drift.ov", true});
    }
    message.fileHeader.messageNumber = 42;
    message.fileHeader.composedTime = message.fileHeader.composedTimeCopy = 1700000000;
    std::string sent = WinePath(Env("OVMON_PEERS") + "/smtp/sent/");
    CreateDirectoryA(sent.c_str(), nullptr);
    std::string path = sent + *token + ".mail";
    EXPECT_EQ(message.WriteMailFile(&path), "");
    return path;
  }

  // Sends a mail file and returns the result; the transcript lands in *transcript.
  uint32_t Deliver(const std::string& path, const std::string& server, uint16_t port, uint32_t security,
                   const std::string& user, const std::string& password, std::string* transcript,
                   uint32_t* lastReply = nullptr) {
    std::string logPath = path + ".log";
    DeleteFileA(logPath.c_str());
    FILE* log = std::fopen(logPath.c_str(), "a+b");
    uint32_t reply = 0;
    uint32_t result;
    {
      CSMTPEngine engine(server, port, security, user, password);
      result = engine.Send(path, &reply, log, 5);
      engine.Quit();
    }
    std::fclose(log);
    *transcript = ReadAll(logPath);
    if (lastReply) *lastReply = reply;
    return result;
  }

  CRegistrySandbox sandbox_;
};

TEST_F(SmtpEngineTest, DeliversInEverySecurityMode) {
  const struct {
    const char* port;
    uint32_t security;
    bool withAuth;
    const char* tls;
    uint32_t format;
    bool attachment;
  } cases[] = {
      {"OVMON_SMTP_PORT", 0, false, "no", 0, false},
      {"OVMON_SMTP_PORT", 1, true, "yes", 1, false},
      {"OVMON_SMTP_PORT", 2, true, "yes", 2, true},
      {"OVMON_SMTPS_PORT", 3, true, "yes", 1, true},
      {"OVMON_SMTP_PLAIN_PORT", 1, true, "no", 0, true},  // STARTTLS not offered: plain, AUTH PLAIN
      {"OVMON_SMTPS_PORT", 3, false, "yes", 2, false},
  };
  for (const auto& c : cases) {
    std::string token, transcript;
    std::string path = WriteMessage(c.format, c.attachment, &token);
    uint32_t result = Deliver(path, "localhost", PeerPort(c.port), c.security, c.withAuth ? kUser : "",
                              c.withAuth ? kPassword : "", &transcript);
    ASSERT_EQ(result, 0u) << c.port << " security " << c.security << "\n" << transcript;
    std::string delivered = FindDelivered(token);
    ASSERT_FALSE(delivered.empty()) << token;
    EXPECT_NE(delivered.find(std::string("X-Test-TLS: ") + c.tls), std::string::npos) << token;
    EXPECT_NE(delivered.find(std::string("X-Test-Auth: ") + (c.withAuth ? kUser : "-")), std::string::npos) << token;
    EXPECT_NE(delivered.find("X-Test-Rcpt-To: ops@example.com,audit@example.com"), std::string::npos);
    // Nothing secret reaches the transcript; the base64 user name of AUTH LOGIN may.
    EXPECT_EQ(transcript.find(kPassword), std::string::npos);
    EXPECT_EQ(transcript.find(EncodeBase64(kPassword)), std::string::npos);
    EXPECT_EQ(transcript.find(EncodeBase64(std::string("alice\0alice\0s3cret", 18))), std::string::npos);
    EXPECT_EQ(transcript.find("Variance"), std::string::npos);
    EXPECT_NE(transcript.find("  S: {mail body}"), std::string::npos);
    if (c.withAuth) {
      EXPECT_NE(transcript.find("  S: {password}"), std::string::npos);
    }
  }
}

TEST_F(SmtpEngineTest, AuthMechanismsAndWrongPassword) {
  std::string token, transcript;
  std::string path = WriteMessage(1, false, &token);
  EXPECT_EQ(Deliver(path, "localhost", PeerPort("OVMON_SMTP_PORT"), 2, kUser, kPassword, &transcript), 0u);
  EXPECT_NE(transcript.find("  S: AUTH LOGIN"), std::string::npos);
  EXPECT_NE(transcript.find("  S: " + EncodeBase64(kUser)), std::string::npos);

  EXPECT_EQ(Deliver(path, "127.0.0.1", PeerPort("OVMON_SMTP_PLAIN_PORT"), 0, kUser, kPassword, &transcript), 0u);
  EXPECT_NE(transcript.find("  S: AUTH PLAIN"), std::string::npos);
  EXPECT_EQ(transcript.find("AUTH LOGIN"), std::string::npos);

  uint32_t lastReply = 0;
  EXPECT_EQ(Deliver(path, "localhost", PeerPort("OVMON_SMTP_PORT"), 2, kUser, "wrong", &transcript, &lastReply),
            kSMTPUnexpectedReply);
  EXPECT_EQ(lastReply, 535u) << transcript;
  EXPECT_EQ(transcript.find("wrong"), std::string::npos);
}

TEST_F(SmtpEngineTest, SecurityTwoWithoutStartTls) {
  std::string token, transcript;
  std::string path = WriteMessage(0, false, &token);
  EXPECT_EQ(Deliver(path, "127.0.0.1", PeerPort("OVMON_SMTP_PLAIN_PORT"), 2, "", "", &transcript), kSMTPNoStartTls);
  EXPECT_NE(transcript.find("  E: Server does not support STARTTLS\r\n"), std::string::npos) << transcript;
}

TEST_F(SmtpEngineTest, CertificatePolicy) {
  const struct {
    uint32_t flags;
    const char* server;
    uint32_t result;
    bool chainBuilt;
  } cases[] = {
      {0x3300, "localhost", 0, true},                  // self-signed accepted by default
      {0x80, "localhost", 0x800B0109, true},           // no ignore bit for the chain: untrusted root refused
      {0xFFFF, "localhost", 0, false},                 // anything goes, no chain built
      {0x10000000, "localhost", 0, false},             // the provider validates
      {0x2300, "127.0.0.1", 0x800B010F, true},         // name mismatch refused ...
      {0x3300, "127.0.0.1", 0, true},                  // ... unless its bit is set
  };
  for (const auto& c : cases) {
    WriteRegistryDword(kMailComponentKey, "TLSIgnoreCertErrors", c.flags);
    std::string token, transcript;
    std::string path = WriteMessage(0, false, &token);
    uint32_t result = Deliver(path, c.server, PeerPort("OVMON_SMTPS_PORT"), 3, "", "", &transcript);
    EXPECT_EQ(result, c.result) << std::hex << c.flags << " " << c.server << "\n" << transcript;
    EXPECT_EQ(transcript.find("CertGetCertificateChain okay") != std::string::npos, c.chainBuilt) << std::hex << c.flags;
    if (c.result != 0) {
      EXPECT_NE(transcript.find("  E: CertVerifyCertificateChainPolicy: "), std::string::npos) << transcript;
    }
    EXPECT_NE(transcript.find("  I: Security TLS 1.2, cipher "), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("  I: Cert subject: \"CN=localhost\"\r\n"), std::string::npos) << transcript;
  }
}

TEST_F(SmtpEngineTest, TlsSettingsDefaultsAreWrittenBack) {
  WriteRegistryDword(kMailComponentKey, "TLSAcceptableProtocols", 0);
  WriteRegistryDword(kMailComponentKey, "TLSIgnoreCertErrors", 0);  // a stored 0 reads as the default too
  TlsSettings settings = ReadTlsSettings();
  EXPECT_EQ(settings.acceptableProtocols, 0xAA0u);
  EXPECT_EQ(settings.certFlags, 0x3300u);
  EXPECT_EQ(ReadRegistryDword(kMailComponentKey, "TLSAcceptableProtocols", 0), 0xAA0u);
  EXPECT_EQ(ReadRegistryDword(kMailComponentKey, "TLSIgnoreCertErrors", 0), 0x3300u);
}

TEST_F(SmtpEngineTest, HeloNameIsFixedInTheRegistry) {
  EXPECT_EQ(GetHeloName(), "client.test");
  DeleteRegistryValue(kMailComponentKey, "FQDN");
  std::string name = GetHeloName();
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(ReadRegistryString(kMailComponentKey, "FQDN", ""), name);
}

// The engine against scripted replies.
class ScriptedSessionTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteRegistryString(kMailComponentKey, "FQDN", "client.test"); }
  CRegistrySandbox sandbox_;
};

TEST_F(ScriptedSessionTest, EhloRefusedFallsBackToHeloWithoutAuthentication) {
  CScriptedSmtpServer server({Say("220 hello\r\n"), Hear(), Say("502 no EHLO here\r\n"), Hear(),
                              Say("250 ok\r\n"), Hear(), Say("250 ok\r\n"), Hear(), Say("250 ok\r\n"), Hear(),
                              Say("354 go\r\n"), Hear(), Say("250 queued\r\n"), Hear()});
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  CSMTPMessage message;
  message.senderAddress = "a@example.com";
  message.to = {{"b@example.com", ""}};
  message.subject = "s";
  message.htmlBody = "body";
  message.fileHeader.messageNumber = 1;
  std::string path = std::string(temp) + "scripted-" + std::to_string(GetCurrentProcessId()) + ".mail";
  ASSERT_EQ(message.WriteMailFile(&path), "");
  uint32_t lastReply = 0;
  {
    CSMTPEngine engine("127.0.0.1", server.Port(), 0, kUser, kPassword);
    EXPECT_EQ(engine.Send(path, &lastReply, nullptr, 0), 0u);
    engine.Quit();
  }
  const std::vector<std::string>& heard = server.Heard();
  ASSERT_GE(heard.size(), 4u);
  EXPECT_EQ(heard[0], "EHLO client.test");
  EXPECT_EQ(heard[1], "HELO client.test");
  EXPECT_EQ(heard[2], "MAIL FROM:<a@example.com>");
  EXPECT_EQ(heard[3], "RCPT TO:<b@example.com>");
  DeleteFileA(path.c_str());
}

TEST_F(ScriptedSessionTest, CapabilityLines) {
  const struct {
    const char* reply;
    bool login, plain, startTls;
  } cases[] = {
      {"250-host\r\n250-AUTH PLAIN LOGIN\r\n250 STARTTLS\r\n", true, true, true},
      {"250-host\r\n250 AUTH=LOGIN PLAIN\r\n", true, true, false},
      {"250-host\r\n250 STARTTLS \r\n", false, false, false},  // trailing text: not STARTTLS
      {"250-host\r\n250-auth login\r\n250 starttls\r\n", false, false, true},  // names are case-sensitive
  };
  for (const auto& c : cases) {
    CScriptedSmtpServer server({Say("220 hi\r\n"), Hear(), Say(c.reply), Hear()});
    CSMTPEngine engine("127.0.0.1", server.Port(), 0, "", "");
    ASSERT_EQ(engine.Connect(), 0u);
    ASSERT_EQ(engine.Command("", 220), 0u);
    ASSERT_EQ(engine.Ehlo(), 0u) << c.reply;
    EXPECT_EQ(engine.Capabilities().authLogin, c.login) << c.reply;
    EXPECT_EQ(engine.Capabilities().authPlain, c.plain) << c.reply;
    EXPECT_EQ(engine.Capabilities().startTls, c.startTls) << c.reply;
    engine.Quit();
  }
}

TEST_F(ScriptedSessionTest, RepliesInPiecesAndMalformedFinalLines) {
  CScriptedSmtpServer server({Say("2"), Say("20"), Say(" split "), Say("greeting\r"), Say("\n"),
                              Say("220x letters after the code\r\n220 real end\r\n")});
  CSMTPEngine engine("127.0.0.1", server.Port(), 0, "", "");
  ASSERT_EQ(engine.Connect(), 0u);
  std::string line;
  EXPECT_EQ(engine.ReadLine(&line), 0u);
  EXPECT_EQ(line, "220 split greeting");
  EXPECT_EQ(engine.Command("", 220), 0u);  // "220x" is malformed: the next line ends the reply
  engine.Quit();
}

TEST_F(ScriptedSessionTest, FailuresAndTheirTranscript) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string base = std::string(temp) + "scripted-" + std::to_string(GetCurrentProcessId());
  std::ofstream(base + ".mail", std::ios::binary) << std::string(24, '\0') << "a@example.com\r\nb@example.com\r\n\r\nbody";
  const struct {
    std::vector<ScriptStep> script;
    uint32_t result;
    uint32_t lastReply;
    const char* transcriptLine;
  } cases[] = {
      {{Say("220 hi\r\n"), Hear(), Say("250 ok\r\n"), Hear(), Say("250 ok\r\n"), Hear(),
        Say("550 no such user\r\n"), Hear()},
       kSMTPUnexpectedReply, 550, "  E: Protocol error: expected 250 but got 550\r\n"},
      {{Say("220 hi\r\n"), Hang()}, kSMTPConnectionLost, 220, " E: Lost connection\r\n"},
      // 16383 bytes without CR LF fill the line buffer: they are logged and dropped.
      {{Say("220-" + std::string(16379, 'x')), Say("220 after overflow\r\n"), Hear(), Say("250 ok\r\n"), Hang()},
       kSMTPConnectionLost, 250, "  W: Overflow without CRLF (220-xxxxxxxx"},
  };
  for (const auto& c : cases) {
    CScriptedSmtpServer server(c.script);
    DeleteFileA((base + ".log").c_str());
    FILE* log = std::fopen((base + ".log").c_str(), "a+b");
    uint32_t lastReply = 0;
    uint32_t result = CSMTPEngine("127.0.0.1", server.Port(), 0, "", "").Send(base + ".mail", &lastReply, log, 5);
    std::fclose(log);
    std::string transcript = ReadAll(base + ".log");
    EXPECT_EQ(result, c.result) << transcript.substr(0, 2000);
    EXPECT_EQ(lastReply, c.lastReply) << transcript.substr(0, 2000);
    EXPECT_NE(transcript.find(c.transcriptLine), std::string::npos) << transcript.substr(0, 2000);
  }
  DeleteFileA((base + ".log").c_str());
  DeleteFileA((base + ".mail").c_str());
}

TEST_F(ScriptedSessionTest, DeliverMailReportsTheLastReplyAndTheTranscript) {
  CScriptedSmtpServer server({Say("220 hi\r\n"), Hear(), Say("250 ok\r\n"), Hear(), Say("250 ok\r\n"), Hear(),
                              Say("550 mailbox unavailable\r\n"), Hear()});
  CSMTPMessage message;
  message.senderAddress = "a@example.com";
  message.to = {{"nobody@example.com", ""}};
  message.subject = "s";
  message.htmlBody = "secret body text";
  std::string report = DeliverMail(&message, "127.0.0.1", server.Port(), 0, "", "");
  EXPECT_EQ(report.rfind("The email could not be delivered. The system error code was error 8225", 0), 0u) << report;
  EXPECT_NE(report.find("the last SMTP result code was 550."), std::string::npos) << report;
  EXPECT_NE(report.find("\r\n\r\nA log of the SMTP conversation follows:\r\n\r\n"), std::string::npos);
  EXPECT_NE(report.find("  S: RCPT TO:<nobody@example.com>"), std::string::npos);
  EXPECT_EQ(report.find("secret body text"), std::string::npos);
}

TEST_F(ScriptedSessionTest, DeliverMailRefusesBeforeConnecting) {
  CSMTPMessage message;
  message.senderAddress = "a@example.com";
  message.to = {{"b@example.com", ""}};
  EXPECT_EQ(DeliverMail(&message, "", 25, 0, "", ""), "error 87; relay host name missing");
  message.subject = "hi\r\nRCPT TO:<victim@example.com>";
  EXPECT_FALSE(DeliverMail(&message, "127.0.0.1", 25, 0, "", "").empty());
  message.subject = "hi";
  message.to = {};
  EXPECT_EQ(DeliverMail(&message, "127.0.0.1", 25, 0, "", ""), "error 87; no recipients specified");
}

}  // namespace
