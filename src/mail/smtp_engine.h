// A small synchronous SMTP client that delivers one mail file to one relay host,
// optionally inside TLS, with a transcript of every step.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "mail/mail_error.h"
#include "mail/mail_socket.h"
#include "mail/smtp_reply.h"
#include "mail/tls_channel.h"
#include "mail/transcript_writer.h"

class CSMTPEngine {
 public:
  // An engine for one relay host; port 0 means 25; security 0 none, 1 STARTTLS when
  // offered, 2 STARTTLS required, 3 TLS from the first byte.
  CSMTPEngine(std::string server, uint16_t port, uint32_t security, std::string userName, std::string password);
  virtual ~CSMTPEngine();
  CSMTPEngine(const CSMTPEngine&) = delete;
  CSMTPEngine& operator=(const CSMTPEngine&) = delete;

  // Replaces the default time limits (1 s per send, 60 s per receive, 120 s per session).
  void SetTimeLimits(const MailTimeLimits& limits) { socket_.SetLimits(limits); }
  // Delivers the mail file at path; *lastReply gets the last reply code (0 when none).
  uint32_t Send(const std::string& path, uint32_t* lastReply, FILE* transcript, int verbosity);
  // Ends the session when connected: "QUIT" (through TLS when active) without reading a reply
  // and the TLS shutdown; after a TLS handshake that failed, nothing more is sent. Closes the socket.
  void Quit();
  // Whether the socket is open.
  bool Connected() const { return socket_.IsOpen(); }

  // Connects to the first address of the server that accepts; 0 or the last error.
  uint32_t Connect();
  // Reads one reply line (without CR LF) into *line.
  uint32_t ReadLine(std::string* line);
  // Sends command (none when empty) and reads the reply until a final line; 0 when accepted.
  uint32_t Command(const std::string& command, uint32_t expected, SMTPSentKind kind = SMTPSentKind::kCommand,
                   bool parseEhlo = false);
  // EHLO, and HELO when the server refuses EHLO.
  uint32_t Ehlo();
  // What the server offered in its last EHLO reply.
  const SMTPCapabilities& Capabilities() const { return capabilities_; }

 private:
  uint32_t SendRaw(const char* data, size_t size);
  uint32_t Receive(char* data, size_t size, size_t* received);
  uint32_t ReadReply(uint32_t expected, bool parseEhlo);
  uint32_t StartTls();
  uint32_t Authenticate();
  uint32_t SendEnvelope(FILE* mail);
  uint32_t SendBody(FILE* mail);
  uint32_t Greet();
  uint32_t Converse(FILE* mail);
  void Log(const SMTPLogEntry& entry) const { transcript_.Write(entry); }

  CMailSocket socket_;
  std::string server_;
  std::string userName_;
  std::string password_;
  uint16_t port_;
  uint32_t security_;
  bool esmtp_ = false;
  SMTPCapabilities capabilities_;
  CSMTPLineBuffer lineBuffer_;
  uint32_t lastReply_ = 0;
  CTranscriptWriter transcript_{nullptr, 0};
  CTlsChannel tls_{&transcript_};
};
