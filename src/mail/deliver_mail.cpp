// The send operation around the engine, and the name the engine introduces itself with.
#include "mail/deliver_mail.h"

#include <windows.h>

#include <cstdio>
#include <ctime>

#include "mail/helo_name.h"
#include "mail/mail_error.h"
#include "mail/smtp_engine.h"
#include "platform/host_name.h"
#include "platform/registry.h"

namespace {

const char kFqdnValue[] = "FQDN";

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

// The stored "FQDN" text whole: a value too long for EHLO is refused there, never replaced.
std::string StoredHeloName() {
  std::string stored;
  DWORD type = REG_NONE;
  if (!ReadRegistryBinary(kMailComponentKey, kFqdnValue, &stored, &type) || type != REG_SZ)
    return std::string();
  return stored.substr(0, stored.find('\0'));
}

}  // namespace

std::string GetHeloName() {
  std::string name = StoredHeloName();
  if (!name.empty()) return name;
  name = ChooseHeloName(LookUpHostName(), ComputerName());
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
