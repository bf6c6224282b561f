// The SMTP engine and its TLS channel against a real SMTP server on loopback (STARTTLS,
// implicit TLS, AUTH), a real TLS server with certificates that name each other as issuer,
// a relay that reshapes the real server's bytes, and scripted replies no real server gives.
#include "mail/smtp_engine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "mail/base64.h"
#include "mail/deliver_mail.h"
#include "mail/envelope_reader.h"
#include "mail/smtp_command.h"
#include "platform/registry.h"
#include "scripted_smtp_server.h"
#include "support/late_listener.h"
#include "support/loopback_listener.h"
#include "support/registry_sandbox.h"
#include "support/test_io.h"
#include "tls_relay.h"

namespace {

const char kUser[] = "alice";
const char kPassword[] = "s3cret";

uint16_t PeerPort(const char* name) { return static_cast<uint16_t>(std::atoi(Env(name).c_str())); }

// Short limits for a peer that is meant to stall the session.
MailTimeLimits ShortLimits(uint32_t receiveMs, uint32_t sessionMs = 120000) {
  MailTimeLimits limits;
  limits.receiveMs = receiveMs;
  limits.sessionMs = sessionMs;
  return limits;
}

// Wine's Schannel never validates the server certificate during the handshake, whatever the
// credential flags ask; Windows' does when asked to.
bool SchannelValidatesInHandshake() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr;
}

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Connects socket to port on 127.0.0.1.
bool ConnectLoopback(CMailSocket* socket, uint16_t port) {
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return socket->Create(AF_INET) == 0 &&
         socket->Connect(reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

// A Unix path of the test script as Wine sees it.
std::string WinePath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// The delivered message whose text holds token, as the server saved it; empty when none.
std::string FindDelivered(const std::string& token) {
  std::string folder = WinePath(Env("OVMON_PEERS") + "/smtp/mail/");
  for (int attempt = 0; attempt < 200; ++attempt) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*.eml").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        std::string text = ReadFileText(folder + found.cFileName);
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
                   uint32_t* lastReply = nullptr, const MailTimeLimits& limits = MailTimeLimits()) {
    std::string logPath = path + ".log";
    DeleteFileA(logPath.c_str());
    FILE* log = std::fopen(logPath.c_str(), "a+b");
    uint32_t reply = 0;
    uint32_t result;
    {
      CSMTPEngine engine(server, port, security, user, password);
      engine.SetTimeLimits(limits);
      result = engine.Send(path, &reply, log, 5);
      engine.Quit();
    }
    std::fclose(log);
    *transcript = ReadFileText(logPath);
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

// The server's certificate is self-signed. With 0x10000000 the provider validates it in the
// handshake: Windows refuses the untrusted root there. The row relies on that platform
// behaviour: Wine's Schannel validates nothing in the handshake, so under Wine the session
// goes on. Either way this channel builds no chain of its own; that the provider is asked to
// validate is checked on both platforms by ProviderIsGivenThePolicysCredentialFlags.
TEST_F(SmtpEngineTest, CertificatePolicy) {
  const uint32_t providerVerdict = SchannelValidatesInHandshake() ? 0x80090325 : 0;  // SEC_E_UNTRUSTED_ROOT
  const struct {
    uint32_t flags;
    const char* server;
    uint32_t result;
    bool chainBuilt;
  } cases[] = {
      {0x3300, "localhost", 0, true},                   // self-signed accepted by default
      {0x80, "localhost", 0x800B0109, true},            // no ignore bit for the chain: untrusted root refused
      {0xFFFF, "localhost", 0, false},                  // anything goes, no chain built
      {0x10000000, "localhost", providerVerdict, false},  // the provider validates
      {0x2300, "127.0.0.1", 0x800B010F, true},          // name mismatch refused ...
      {0x3300, "127.0.0.1", 0, true},                   // ... unless its bit is set
  };
  for (const auto& c : cases) {
    WriteRegistryDword(kMailComponentKey, "TLSIgnoreCertErrors", c.flags);
    std::string token, transcript;
    std::string path = WriteMessage(0, false, &token);
    uint32_t result = Deliver(path, c.server, PeerPort("OVMON_SMTPS_PORT"), 3, "", "", &transcript);
    EXPECT_EQ(result, c.result) << std::hex << c.flags << " " << c.server << "\n" << transcript;
    EXPECT_EQ(transcript.find("CertGetCertificateChain okay") != std::string::npos, c.chainBuilt) << std::hex << c.flags;
    if (c.chainBuilt && c.result != 0) {
      EXPECT_NE(transcript.find("  E: CertVerifyCertificateChainPolicy: "), std::string::npos) << transcript;
      EXPECT_EQ(transcript.find("no description available"), std::string::npos) << transcript;
    }
    if (result != 0 && !c.chainBuilt) continue;  // the provider ended the handshake: no certificate shown
    EXPECT_NE(transcript.find("  I: Security TLS 1.2, cipher "), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("  I: Cert subject: \"CN=localhost\"\r\n"), std::string::npos) << transcript;
  }
}

// What a policy asks of the provider is seen on every platform; what the provider does with
// it only where it validates in the handshake. Windows refuses the self-signed certificate
// when asked to validate it; Wine's Schannel accepts it whatever the flags say, so under Wine
// the flags alone show that the provider was asked.
TEST_F(SmtpEngineTest, ProviderIsGivenThePolicysCredentialFlags) {
  const uint32_t providerVerdict = SchannelValidatesInHandshake() ? 0x80090325 : 0;  // SEC_E_UNTRUSTED_ROOT
  const struct Case {
    uint32_t policy;
    uint32_t credentialFlags;
    uint32_t result;
  } cases[] = {
      {0x10000000, 0x10 | 0x20, providerVerdict},  // no default credentials, automatic validation
      {0xFFFF, 0x10 | 0x08 | 0x04, 0},             // manual validation, no name check by the provider
      {0x2300, 0x10 | 0x08, 0},                    // manual validation, the provider checks the name
  };
  for (const Case& c : cases) {
    WriteRegistryDword(kMailComponentKey, "TLSIgnoreCertErrors", c.policy);
    CMailSocket socket;
    ASSERT_TRUE(ConnectLoopback(&socket, PeerPort("OVMON_SMTPS_PORT")));
    CTlsChannel channel(nullptr);
    EXPECT_EQ(channel.TlsHandshake(&socket, "localhost"), c.result) << std::hex << c.policy;
    EXPECT_EQ(channel.CredentialFlags(), c.credentialFlags) << std::hex << c.policy;
  }
}

// After the client refused the certificate, the server expects TLS records only: the session
// ends without a clear-text QUIT.
TEST_F(SmtpEngineTest, RefusedCertificateEndsWithoutClearText) {
  WriteRegistryDword(kMailComponentKey, "TLSIgnoreCertErrors", 0x80);
  CTlsRelay relay(PeerPort("OVMON_SMTPS_PORT"), CTlsRelay::kPass);
  std::string token, transcript;
  std::string path = WriteMessage(0, false, &token);
  EXPECT_EQ(Deliver(path, "localhost", relay.Port(), 3, "", "", &transcript), 0x800B0109u) << transcript;
  const std::string& sent = relay.ClientBytes();
  EXPECT_FALSE(sent.empty());
  EXPECT_EQ(sent.find("QUIT"), std::string::npos);
}

// Handshakes the way some networks and servers deliver them still carry the session.
TEST_F(SmtpEngineTest, HandshakeInPiecesOrJoinedToTheGreeting) {
  for (CTlsRelay::Mode mode : {CTlsRelay::kSplit, CTlsRelay::kJoinFinished}) {
    CTlsRelay relay(PeerPort("OVMON_SMTPS_PORT"), mode);
    std::string token, transcript;
    std::string path = WriteMessage(1, false, &token);
    ASSERT_EQ(Deliver(path, "localhost", relay.Port(), 3, kUser, kPassword, &transcript), 0u) << mode << transcript;
    EXPECT_FALSE(FindDelivered(token).empty()) << mode;
    relay.ClientBytes();  // the relay has ended
    // The greeting came in the same segment as the server's Finished: the first receive
    // returned the data the handshake's last call left over.
    if (mode == CTlsRelay::kJoinFinished) {
      EXPECT_TRUE(relay.Joined());
    }
  }
}

// A record header that claims more than any record may hold fails the read once the provider
// has been given the largest record it takes, instead of reading on.
TEST_F(SmtpEngineTest, OversizedRecordFailsTheRead) {
  CTlsRelay relay(PeerPort("OVMON_SMTPS_PORT"), CTlsRelay::kHugeRecord);
  std::string token, transcript;
  std::string path = WriteMessage(0, false, &token);
  uint32_t result = Deliver(path, "localhost", relay.Port(), 3, "", "", &transcript, nullptr, ShortLimits(3000));
  EXPECT_EQ(result, 0x80090326u) << transcript;  // SEC_E_ILLEGAL_MESSAGE
  EXPECT_NE(transcript.find("  E: Socket error 0x80090326: "), std::string::npos) << transcript;
}

// STARTTLS mode against a port that waits for a TLS client hello: both sides wait, and the
// receive time-out ends the session even on a socket whose own time-out Wine ignores.
TEST_F(SmtpEngineTest, StartTlsModeAtAnImplicitTlsPortTimesOut) {
  std::string token, transcript;
  std::string path = WriteMessage(0, false, &token);
  uint32_t result =
      Deliver(path, "localhost", PeerPort("OVMON_SMTPS_PORT"), 2, "", "", &transcript, nullptr, ShortLimits(500));
  EXPECT_EQ(result, 10060u) << transcript;
  EXPECT_NE(transcript.find("  E: Socket error 10060: Timed out\r\n"), std::string::npos) << transcript;
}

// A real TLS server presents two CA certificates that name each other as issuer: the walk
// that names the issuers names each once.
TEST_F(SmtpEngineTest, IssuerWalkEndsAtACertificateNamedBefore) {
  std::string token, transcript;
  std::string path = WriteMessage(0, false, &token);
  Deliver(path, "localhost", PeerPort("OVMON_TLS_LOOP_PORT"), 3, "", "", &transcript, nullptr, ShortLimits(500));
  EXPECT_NE(transcript.find("  I: Cert issuer: \"CN=Loop A\"\r\n"), std::string::npos) << transcript;
  EXPECT_EQ(CountOf(transcript, "  I: CA Subject: \"CN=Loop A\"\r\n  I: CA Issuer: \"CN=Loop B\"\r\n"), 1u)
      << transcript;
  EXPECT_EQ(CountOf(transcript, "  I: CA Subject: \"CN=Loop B\"\r\n  I: CA Issuer: \"CN=Loop A\"\r\n"), 1u)
      << transcript;
  EXPECT_EQ(CountOf(transcript, "  I: CA Subject: "), 2u) << transcript;
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
  struct Session {
    uint32_t result = 0;
    uint32_t lastReply = 0;
    std::string transcript;
    std::vector<std::string> heard;
  };

  void SetUp() override {
    WriteRegistryString(kMailComponentKey, "FQDN", "client.test");
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    base_ = std::string(temp) + "scripted-" + std::to_string(GetCurrentProcessId());
    WriteMailFile("a@example.com\r\nb@example.com\r\n");
  }
  void TearDown() override {
    DeleteFileA((base_ + ".log").c_str());
    DeleteFileA((base_ + ".mail").c_str());
  }

  // A mail file with the envelope lines given (each ending in CR LF) and a short body.
  void WriteMailFile(const std::string& envelope) {
    std::ofstream(base_ + ".mail", std::ios::binary) << std::string(24, '\0') << envelope << "\r\nbody";
  }

  // Sends the mail file to a server playing script, and ends the session as DeliverMail does.
  Session Run(const std::vector<ScriptStep>& script, const std::string& user = "", const std::string& password = "",
              const MailTimeLimits& limits = MailTimeLimits(), uint32_t security = 0) {
    CScriptedSmtpServer server(script);
    Session session = RunAt(server.Port(), user, password, limits, security);
    session.heard = server.Heard();
    return session;
  }

  // Sends the mail file to whatever listens at port on 127.0.0.1.
  Session RunAt(uint16_t port, const std::string& user = "", const std::string& password = "",
                const MailTimeLimits& limits = MailTimeLimits(), uint32_t security = 0) {
    DeleteFileA((base_ + ".log").c_str());
    FILE* log = std::fopen((base_ + ".log").c_str(), "a+b");
    Session session;
    {
      CSMTPEngine engine("127.0.0.1", port, security, user, password);
      engine.SetTimeLimits(limits);
      session.result = engine.Send(base_ + ".mail", &session.lastReply, log, 5);
      engine.Quit();
    }
    std::fclose(log);
    session.transcript = ReadFileText(base_ + ".log");
    return session;
  }

  CRegistrySandbox sandbox_;
  std::string base_;
};

// The replies of a server that takes the envelope and the message.
std::vector<ScriptStep> TakesTheMessage() {
  return {Hear(), Say("250 ok\r\n"), Hear(), Say("250 ok\r\n"), Hear(), Say("354 go\r\n"), Hear(),
          Say("250 queued\r\n"), Hear()};
}

std::vector<ScriptStep> Then(std::vector<ScriptStep> first, const std::vector<ScriptStep>& rest) {
  first.insert(first.end(), rest.begin(), rest.end());
  return first;
}

TEST_F(ScriptedSessionTest, EhloRefusedFallsBackToHeloWithoutAuthentication) {
  Session session = Run(Then({Say("220 hello\r\n"), Hear(), Say("502 no EHLO here\r\n"), Hear(), Say("250 ok\r\n")},
                             TakesTheMessage()),
                        kUser, kPassword);
  EXPECT_EQ(session.result, 0u) << session.transcript;
  ASSERT_GE(session.heard.size(), 4u);
  EXPECT_EQ(session.heard[0], "EHLO client.test");
  EXPECT_EQ(session.heard[1], "HELO client.test");
  EXPECT_EQ(session.heard[2], "MAIL FROM:<a@example.com>");
  EXPECT_EQ(session.heard[3], "RCPT TO:<b@example.com>");
}

TEST_F(ScriptedSessionTest, Authentication) {
  const std::string plain = AuthPlainAnswer(kUser, kPassword);
  const struct Case {
    const char* what;
    std::string password;
    std::vector<ScriptStep> script;
    uint32_t result;
    std::vector<std::string> heard;  // what the server heard after EHLO, up to MAIL FROM
  } cases[] = {
      {"credentials but no AUTH offered",
       kPassword,
       {Say("220 hi\r\n"), Hear(), Say("250-host\r\n250 SIZE 100\r\n"), Hear()},
       kSMTPNoAuthMechanism,
       {"QUIT"}},
      {"an empty password sends no AUTH", "",
       Then({Say("220 hi\r\n"), Hear(), Say("250-host\r\n250 AUTH LOGIN PLAIN\r\n")}, TakesTheMessage()), 0,
       {"MAIL FROM:<a@example.com>"}},
      {"AUTH LOGIN refused, then AUTH PLAIN",
       kPassword,
       Then({Say("220 hi\r\n"), Hear(), Say("250-host\r\n250 AUTH LOGIN PLAIN\r\n"), Hear(), Say("504 not now\r\n"),
             Hear(), Say("334 \r\n"), Hear(), Say("235 welcome\r\n")},
            TakesTheMessage()),
       0,
       {"AUTH LOGIN", "AUTH PLAIN", plain, "MAIL FROM:<a@example.com>"}},
      {"the password refused by AUTH LOGIN, then AUTH PLAIN",
       kPassword,
       Then({Say("220 hi\r\n"), Hear(), Say("250-host\r\n250 AUTH LOGIN PLAIN\r\n"), Hear(),
             Say("334 VXNlcm5hbWU6\r\n"), Hear(), Say("334 UGFzc3dvcmQ6\r\n"), Hear(), Say("535 no\r\n"), Hear(),
             Say("334 \r\n"), Hear(), Say("235 welcome\r\n")},
            TakesTheMessage()),
       0,
       {"AUTH LOGIN", AuthLoginAnswer(kUser), AuthLoginAnswer(kPassword), "AUTH PLAIN", plain,
        "MAIL FROM:<a@example.com>"}},
  };
  for (const Case& c : cases) {
    Session session = Run(c.script, kUser, c.password);
    EXPECT_EQ(session.result, c.result) << c.what << "\n" << session.transcript;
    ASSERT_GE(session.heard.size(), 1 + c.heard.size()) << c.what;
    EXPECT_EQ(session.heard[0], "EHLO client.test") << c.what;
    EXPECT_EQ(std::vector<std::string>(session.heard.begin() + 1, session.heard.begin() + 1 + c.heard.size()), c.heard)
        << c.what;
  }
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

// Every way a server can fail or stall the session ends it within its limits, with the line
// in the transcript that says why.
TEST_F(ScriptedSessionTest, FailuresAndTheirTranscript) {
  MailTimeLimits quickReceive;
  quickReceive.receiveMs = 300;
  MailTimeLimits shortSession;
  shortSession.receiveMs = 2000;
  shortSession.sessionMs = 800;
  const struct {
    const char* what;
    std::vector<ScriptStep> script;
    MailTimeLimits limits;
    uint32_t result;
    uint32_t lastReply;
    const char* transcriptLine;
  } cases[] = {
      {"a recipient refused",
       {Say("220 hi\r\n"), Hear(), Say("250 ok\r\n"), Hear(), Say("250 ok\r\n"), Hear(), Say("550 no such user\r\n"),
        Hear()},
       MailTimeLimits(), kSMTPUnexpectedReply, 550, "  E: Protocol error: expected 250 but got 550\r\n"},
      {"an orderly close", {Say("220 hi\r\n"), Hang()}, MailTimeLimits(), kSMTPConnectionLost, 220,
       " E: Lost connection\r\n"},
      {"a reset", {Say("220 hi\r\n"), Hear(), Reset()}, MailTimeLimits(), kSMTPConnectionLost, 220,
       "  E: Socket error 10054: Connection reset\r\n"},
      // 16383 bytes without CR LF fill the line buffer: they are logged and dropped.
      {"an overlong line",
       {Say("220-" + std::string(16379, 'x')), Say("220 after overflow\r\n"), Hear(), Say("250 ok\r\n"), Hang()},
       MailTimeLimits(), kSMTPConnectionLost, 250, "  W: Overflow without CRLF (220-xxxxxxxx"},
      {"a server that accepts and says nothing", {Hold()}, quickReceive, 10060, 0,
       "  E: Socket error 10060: Timed out\r\n"},
      {"a reply that never ends", {Say("220 hi\r\n"), Hear(), Repeat("250-more\r\n", 0)}, MailTimeLimits(),
       kSMTPUnexpectedReply, 250, "  E: Reply longer than 200 lines\r\n"},
      {"a greeting that trickles on", {Repeat("220-wait\r\n", 50)}, shortSession, 10060, 220,
       "  E: Session took longer than 0.8 s\r\n"},
  };
  for (const auto& c : cases) {
    Session session = Run(c.script, "", "", c.limits);
    EXPECT_EQ(session.result, c.result) << c.what << "\n" << session.transcript.substr(0, 2000);
    EXPECT_EQ(session.lastReply, c.lastReply) << c.what << "\n" << session.transcript.substr(0, 2000);
    EXPECT_NE(session.transcript.find(c.transcriptLine), std::string::npos)
        << c.what << "\n" << session.transcript.substr(0, 2000);
  }
}

// A host that refuses the connection is named at once; one that leaves the request
// unanswered ends the session at its limit, not when the host answers at last.
TEST_F(ScriptedSessionTest, ConnectionRefusedOrUnanswered) {
  CLateListener late(3000);
  uint16_t refusing = 0;
  {
    CLoopbackListener closed;  // its port is free again once it is gone
    refusing = closed.Port();
  }
  MailTimeLimits shortSession;
  shortSession.sessionMs = 800;
  const struct Case {
    uint16_t port;
    uint32_t result;
    std::string transcriptLine;
  } cases[] = {
      {refusing, 10061, "failed; error 10061: Connection refused\r\n"},
      {late.Port(), 10060,
       "  E: Connect to 127.0.0.1:" + std::to_string(late.Port()) + " failed; error 10060: Timed out\r\n"},
  };
  for (const Case& c : cases) {
    Session session = RunAt(c.port, "", "", shortSession);
    EXPECT_EQ(session.result, c.result) << session.transcript;
    EXPECT_NE(session.transcript.find(c.transcriptLine), std::string::npos) << session.transcript;
  }
}

// The "FQDN" value goes into EHLO: a line break in it would start a command of its own, and a
// name too long for EHLO is refused; either way the stored value is left as it is.
TEST_F(ScriptedSessionTest, EhloNameFromTheRegistryIsChecked) {
  const struct {
    std::string fqdn;
    const char* transcriptLine;
  } cases[] = {
      {"client.test\r\nRCPT TO:<victim@example.com>",
       "  E: The EHLO name (registry value \"FQDN\") holds a line break\r\n"},
      {std::string(300, 'h') + ".example.com",
       "  E: The EHLO name (registry value \"FQDN\") is longer than 255 characters\r\n"},
  };
  for (const auto& c : cases) {
    WriteRegistryString(kMailComponentKey, "FQDN", c.fqdn);
    Session session = Run({Say("220 hi\r\n"), Hear(), Say("250 ok\r\n"), Hear(), Say("250 ok\r\n")});
    EXPECT_EQ(session.result, uint32_t(ERROR_INVALID_PARAMETER)) << session.transcript;
    EXPECT_NE(session.transcript.find(c.transcriptLine), std::string::npos) << session.transcript;
    EXPECT_EQ(session.heard, std::vector<std::string>{"QUIT"});
    EXPECT_EQ(ReadRegistryString(kMailComponentKey, "FQDN", "", 1024), c.fqdn);
  }
}

// An envelope line longer than one read of the mail file is sent whole, as one command; one
// longer than the engine takes is refused before it is sent.
TEST_F(ScriptedSessionTest, LongEnvelopeLinesAreNeverCut) {
  const std::string longAddress = std::string(1500, 'r') + "@example.com";
  WriteMailFile("a@example.com\r\n" + longAddress + "\r\n");
  Session session = Run(Then({Say("220 hi\r\n"), Hear(), Say("250 ok\r\n")}, TakesTheMessage()));
  EXPECT_EQ(session.result, 0u) << session.transcript;
  ASSERT_GE(session.heard.size(), 4u);
  EXPECT_EQ(session.heard[2], "RCPT TO:<" + longAddress + ">");
  EXPECT_EQ(session.heard[3], "DATA");

  WriteMailFile("a@example.com\r\n" + std::string(kEnvelopeLineLimit + 1, 'r') + "\r\n");
  session = Run({Say("220 hi\r\n"), Hear(), Say("250 ok\r\n"), Hear(), Say("250 ok\r\n"), Hear()});
  EXPECT_EQ(session.result, uint32_t(ERROR_INVALID_DATA)) << session.transcript;
  EXPECT_NE(session.transcript.find("  E: Envelope line longer than 16383 bytes in the mail file\r\n"),
            std::string::npos);
  EXPECT_EQ(session.heard, (std::vector<std::string>{"EHLO client.test", "MAIL FROM:<a@example.com>", "QUIT"}));
}

// A handshake whose peer goes away or falls silent says so in the transcript and keeps no
// context.
TEST_F(ScriptedSessionTest, FailedHandshakeLeavesNoContext) {
  const struct Case {
    ScriptStep end;
    uint32_t result;
    const char* transcriptLine;
  } cases[] = {
      {Hang(), kSMTPConnectionLost, "  E: Unable to complete SSL handshake: error 10054: Connection reset\r\n"},
      {Reset(), kSMTPConnectionLost, "  E: Unable to complete SSL handshake: error 10054: Connection reset\r\n"},
      {Hold(), 10060, "  E: Unable to complete SSL handshake: error 10060: Timed out\r\n"},
  };
  for (const Case& c : cases) {
    CScriptedSmtpServer server({Take(), c.end});
    CMailSocket socket;
    MailTimeLimits limits;
    limits.receiveMs = 300;
    socket.SetLimits(limits);
    ASSERT_TRUE(ConnectLoopback(&socket, server.Port()));
    DeleteFileA((base_ + ".log").c_str());
    FILE* log = std::fopen((base_ + ".log").c_str(), "a+b");
    CTranscriptWriter transcript(log, 5);
    CTlsChannel channel(&transcript);
    EXPECT_EQ(channel.TlsHandshake(&socket, "localhost"), c.result) << c.end.kind;
    EXPECT_FALSE(channel.HoldsContext()) << c.end.kind;
    EXPECT_FALSE(channel.Active()) << c.end.kind;
    std::fclose(log);
    EXPECT_NE(ReadFileText(base_ + ".log").find(c.transcriptLine), std::string::npos) << c.end.kind;
  }
}

// The report names the engine's own codes in words of their meaning.
TEST_F(ScriptedSessionTest, DeliverMailReportsTheLastReplyAndTheTranscript) {
  const struct {
    std::vector<ScriptStep> script;
    uint32_t security;
    const char* password;
    const char* head;
  } cases[] = {
      {{Say("220 hi\r\n"), Hear(), Say("250 ok\r\n"), Hear(), Say("250 ok\r\n"), Hear(),
        Say("550 mailbox unavailable\r\n"), Hear()},
       0, "",
       "The email could not be delivered. The system error code was error 8225: Unexpected reply from the mail "
       "server; the last SMTP result code was 550."},
      {{Say("220 hi\r\n"), Hear(), Say("250 ok\r\n"), Hear()}, 0, kPassword,
       "The email could not be delivered. The system error code was error 1741: No usable login (AUTH LOGIN failed "
       "or is not offered, and AUTH PLAIN is not offered); the last SMTP result code was 250."},
      {{Say("220 hi\r\n"), Hear(), Say("250 ok\r\n"), Hear()}, 2, kPassword,
       "The email could not be delivered. The system error code was error 8231: The mail server does not offer "
       "STARTTLS, which the security setting requires; the last SMTP result code was 250."},
  };
  for (const auto& c : cases) {
    CScriptedSmtpServer server(c.script);
    CSMTPMessage message;
    message.senderAddress = "a@example.com";
    message.to = {{"nobody@example.com", ""}};
    message.subject = "s";
    message.htmlBody = "secret body text";
    std::string report = DeliverMail(&message, "127.0.0.1", server.Port(), c.security, kUser, c.password);
    EXPECT_EQ(report.rfind(c.head, 0), 0u) << report;
    EXPECT_NE(report.find("\r\n\r\nA log of the SMTP conversation follows:\r\n\r\n"), std::string::npos);
    EXPECT_EQ(report.find("secret body text"), std::string::npos);
  }
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
