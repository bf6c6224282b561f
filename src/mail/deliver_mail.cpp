// The send operation around the engine, and the name the engine introduces itself with.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdio>
#include <ctime>

#include "mail/mail_error.h"
#include "mail/smtp_engine.h"
#include "platform/registry.h"

namespace {

const char kFqdnValue[] = "FQDN";

// The official name of this host; "[a.b.c.d]" when that name has no dot and an IPv4 address is known.
std::string LookedUpHostName() {
  char host[256] = "";
  if (gethostname(host, sizeof host) != 0) return std::string();
  std::string name = host;
  addrinfo hints = {};
  hints.ai_flags = AI_CANONNAME;
  addrinfo* result = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &result) != 0) return name;
  if (result->ai_canonname && result->ai_canonname[0]) name = result->ai_canonname;
  if (name.find('.') == std::string::npos) {
    for (const addrinfo* a = result; a; a = a->ai_next) {
      if (a->ai_family != AF_INET) continue;
      const in_addr& ip = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr;
      if (ip.s_addr != INADDR_ANY && ip.s_addr != INADDR_NONE) name = std::string("[") + inet_ntoa(ip) + "]";
      break;
    }
  }
  freeaddrinfo(result);
  return name;
}

std::string ComputerNameForHelo() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD size = sizeof name;
  GetComputerNameA(name, &size);
  std::string text = name;
  if (text.find('.') == std::string::npos) text += ".smtp.local";
  return text;
}

std::string ReadWholeFile(FILE* file) {
  std::string text;
  std::rewind(file);
  char chunk[4096];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, got);
  return text;
}

std::string FailureReport(uint32_t result, uint32_t lastReply, FILE* transcript) {
  char text[1024];
  std::snprintf(text, sizeof text,
                "The email could not be delivered. The system error code was %s; the last SMTP result code was %u.",
                DescribeMailError(result).c_str(), lastReply);
  std::string report = text;
  if (!transcript) return report + "To obtain more detailed information, enable debug logging and try again.\r\n";
  return report + "\r\n\r\nA log of the SMTP conversation follows:\r\n\r\n" + ReadWholeFile(transcript);
}

}  // namespace

std::string GetHeloName() {
  std::string name = ReadRegistryString(kMailComponentKey, kFqdnValue, "", 255);
  if (!name.empty()) return name;
  WSADATA data;
  bool started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  name = LookedUpHostName();
  if (started) WSACleanup();
  if (name.empty()) name = ComputerNameForHelo();
  if (!WriteRegistryString(kMailComponentKey, kFqdnValue, name)) return std::string();
  return name;
}

std::string DeliverMail(CSMTPMessage* message, const std::string& server, uint16_t port, uint32_t security,
                        const std::string& userName, const std::string& password) {
  std::string report = message->ValidateAddresses();
  if (report.empty()) report = FindHeaderLineBreak(*message);
  if (report.empty() && server.empty()) report = "error 87; relay host name missing";
  if (!report.empty()) return report;

  uint32_t now = static_cast<uint32_t>(std::time(nullptr));
  message->fileHeader = MailFileHeader();
  message->fileHeader.messageNumber = NextMessageId();
  message->fileHeader.composedTime = message->fileHeader.composedTimeCopy = now;
  std::string path;
  report = message->WriteMailFile(&path);
  if (report.empty()) {
    std::string transcriptPath = path + ".log";
    FILE* transcript = std::fopen(transcriptPath.c_str(), "a+b");
    {
      CSMTPEngine engine(server, port, security, userName, password);
      uint32_t lastReply = 0;
      uint32_t result = engine.Send(path, &lastReply, transcript, 5);
      engine.Quit();
      if (result != 0) report = FailureReport(result, lastReply, transcript);
    }
    if (transcript) std::fclose(transcript);
    DeleteFileA(transcriptPath.c_str());
  }
  if (!path.empty()) DeleteFileA(path.c_str());
  return report;
}
