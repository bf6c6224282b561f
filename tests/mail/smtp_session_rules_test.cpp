// The rules of an SMTP session that need no socket: the name it introduces itself with, the
// envelope lines it reads from the mail file, the certificate policy it hands the TLS
// provider, and the words its own result codes are reported in.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "mail/envelope_reader.h"
#include "mail/helo_name.h"
#include "mail/mail_error.h"
#include "mail/tls_error.h"
#include "platform/error_text.h"
#include "mail/tls_policy.h"

namespace {

TEST(ChooseHeloName, LookupAddressAndComputerName) {
  struct Case {
    HostNameLookup lookup;
    const char* computer;
    const char* name;
  } cases[] = {
      {{"box", true, "box.corp.example", "192.0.2.7"}, "BOX", "box.corp.example"},
      {{"box", true, "box", "192.0.2.7"}, "BOX", "[192.0.2.7]"},  // no dot: the address literal
      {{"box", true, "", "192.0.2.7"}, "BOX", "[192.0.2.7]"},     // no official name: the host name
      {{"box", true, "box", "0.0.0.0"}, "BOX", "box"},
      {{"box", true, "box", "255.255.255.255"}, "BOX", "box"},
      {{"box", true, "box", ""}, "BOX", "box"},                 // the lookup gave no IPv4 address
      {{"box", false, "", ""}, "BOX", "box"},                   // no lookup: the host name as it is
      {{"", false, "", ""}, "BOX", "BOX.smtp.local"},           // no host name at all
      {{"", false, "", ""}, "BOX.corp", "BOX.corp"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChooseHeloName(c.lookup, c.computer), c.name) << c.lookup.hostName << " " << c.computer;
}

TEST(HeloNameFault, LineBreaksAndLength) {
  const struct {
    std::string name;
    const char* fault;
  } cases[] = {
      {"client.example.com", ""},
      {"[192.0.2.7]", ""},
      {std::string(255, 'h'), ""},
      {std::string(256, 'h'), "is longer than 255 characters"},
      {"client\r\nRCPT TO:<victim@example.com>", "holds a line break"},
      {"client\n", "holds a line break"},
      {"client\rx", "holds a line break"},
  };
  for (const auto& c : cases) EXPECT_EQ(HeloNameFault(c.name), c.fault) << c.name;
}

// The reads of a whole envelope, as the engine makes them until the end of the file.
std::vector<std::string> ReadEnvelope(const std::string& bytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::tmpfile(), std::fclose);
  EXPECT_TRUE(file);
  if (!file) return {};
  std::fwrite(bytes.data(), 1, bytes.size(), file.get());
  std::rewind(file.get());
  std::vector<std::string> reads;
  std::string line;
  for (EnvelopeRead read; (read = ReadEnvelopeLine(file.get(), &line)) != EnvelopeRead::kEnd;) {
    reads.push_back(read == EnvelopeRead::kTooLong ? "<too long>" : line);
    if (read == EnvelopeRead::kTooLong) break;
  }
  return reads;
}

TEST(ReadEnvelopeLine, WholeLinesWithinTheLimit) {
  const std::string long1500 = std::string(1500, 'r') + "@example.com";
  const std::string longest(kEnvelopeLineLimit, 'x');
  const struct {
    const char* what;
    std::string bytes;
    std::vector<std::string> reads;
  } cases[] = {
      {"sender, recipients, end", "a@x\r\nb@x\r\nc@x\r\n\r\nbody", {"a@x", "b@x", "c@x", "", "body"}},
      {"a line longer than one read", "a@x\r\n" + long1500 + "\r\n\r\n", {"a@x", long1500, ""}},
      {"the longest line taken", longest + "\r\n", {longest}},
      {"one byte longer", longest + "y\r\n", {"<too long>"}},
      {"LF alone and stray CR", "a@x\nb\r@x\n", {"a@x", "b@x"}},
      {"a last line without line end", "a@x", {"a@x"}},
      {"an empty file", "", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadEnvelope(c.bytes), c.reads) << c.what;
}

// The flags that ask Schannel to validate the certificate cannot be seen at work under Wine,
// whose Schannel never validates in the handshake: this table holds them on every platform.
TEST(SchannelCredentialFlags, PerCertificatePolicy) {
  const struct {
    uint32_t certFlags;
    uint32_t credentialFlags;
    bool checksChain;
  } cases[] = {
      {0x10000000, 0x10 | 0x20, false},  // no default credentials, the provider validates
      {0xFFFF, 0x10 | 0x08 | 0x04, false},
      {0x3300, 0x10 | 0x08 | 0x04, true},  // manual validation, names checked here
      {0x2300, 0x10 | 0x08, true},         // the provider's name check stays on
      {0x80, 0x10 | 0x08, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SchannelCredentialFlags(c.certFlags), c.credentialFlags) << std::hex << c.certFlags;
    EXPECT_EQ(ChecksCertificateChain(c.certFlags), c.checksChain) << std::hex << c.certFlags;
  }
}

TEST(DescribeMailError, EngineCodesInWordsOfTheirMeaning) {
  const struct {
    uint32_t code;
    const char* text;
  } cases[] = {
      {kSMTPUnexpectedReply, "error 8225: Unexpected reply from the mail server"},
      {kSMTPNoStartTls, "error 8231: The mail server does not offer STARTTLS, which the security setting requires"},
      {kSMTPNoAuthMechanism,
       "error 1741: No usable login (AUTH LOGIN failed or is not offered, and AUTH PLAIN is not offered)"},
      {10060, "error 10060: Timed out"},
      {0xFFFFFFFF, "error 0xFFFFFFFF: Invalid data"},
  };
  for (const auto& c : cases) EXPECT_EQ(DescribeMailError(c.code), c.text);
}

// A TLS status is described in words where the system has no text for it (the platform's
// fall-back), and by the system's own text where it has one (as Windows has for each).
TEST(DescribeMailError, TlsStatusesInWordsWhereTheSystemHasNoText) {
  const struct {
    uint32_t code;
    std::string systemText;
    const char* text;
  } cases[] = {
      {0x800B0109, Win32FallbackText(0x800B0109),
       "The server's certificate chain ends in a root certificate that is not trusted"},
      {0x800B010F, Win32FallbackText(0x800B010F),
       "The server's certificate does not carry the name the server was reached by"},
      {0x80090326, Win32FallbackText(0x80090326), "The server sent a TLS message that is not valid"},
      {0x800B0109, "A certificate chain processed, but terminated in a root certificate which is not trusted",
       "A certificate chain processed, but terminated in a root certificate which is not trusted"},
      {0x8009FFFF, Win32FallbackText(0x8009FFFF), "Win32 error 0x8009ffff (no description available)"},
      {10060, "Timed out", "Timed out"},
  };
  for (const auto& c : cases) EXPECT_EQ(PreferredErrorText(c.code, c.systemText), c.text) << std::hex << c.code;
  // Where the system has no text (under Wine and natively), the report says what happened.
  std::string refused = DescribeMailError(0x800B0109);
  EXPECT_EQ(refused.rfind("error 0x800B0109: ", 0), 0u) << refused;
  EXPECT_EQ(refused.find("no description available"), std::string::npos) << refused;
}

}  // namespace
