// One e-mail as the alert and test senders fill it in, and its checks before sending.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "mail/mailbox.h"

// A file whose bytes are attached to the message.
struct MailAttachment {
  std::string path;          // full path of the file to attach
  std::string displayName;   // file name shown to the recipient; its extension selects the type
  bool deleteAfter = false;  // delete the file once the mail file is written
};

// The 24 bytes at the start of a mail file.
struct MailFileHeader {
  uint32_t version = 0x00000501;
  uint32_t messageNumber = 0;  // from NextMessageId; never 0 in a written file
  uint32_t composedTime = 0;   // seconds since 1970-01-01 00:00 UTC
  uint32_t composedTimeCopy = 0;
  uint32_t reserved[2] = {0, 0};
};

class CSMTPMessage {
 public:
  virtual ~CSMTPMessage() = default;

  // Appends "<tag style=\"style\">content</tag>" and CR LF to htmlBody (no style attribute when
  // empty).
  void AddHtmlElement(const std::string& tag, const std::string& content, const std::string& style);
  // The first address fault ("error 87; invalid sender address", ...), empty when sendable.
  std::string ValidateAddresses() const;
  // Writes the mail file (a new temporary file when path is empty; the name is passed back);
  // returns an error text, empty on success (Windows only).
  std::string WriteMailFile(std::string* path);

  uint32_t format = 1;   // 0 plain text only; 1 plain text then HTML; 2 HTML then plain text
  int32_t priority = 3;  // 1 (highest) .. 5 (lowest)
  std::string senderAddress;
  std::string senderName;
  std::vector<Mailbox> to;
  std::vector<Mailbox> cc;
  std::vector<Mailbox> bcc;  // envelope only, never in a header
  std::vector<MailAttachment> attachments;
  std::string htmlTitle;   // the subject is used when empty
  std::string headExtra;   // markup placed in the HTML head after the style block
  std::string styleSheet;  // CSS text for a style element in the HTML head
  std::string subject;
  std::string htmlBody;  // HTML fragment placed inside the body element
  MailFileHeader fileHeader;
};

// A CR or LF in an address, display name, subject or attachment name would start a new
// SMTP command or header line: the error text naming the first such field, else empty.
std::string FindHeaderLineBreak(const CSMTPMessage& message);
// Checks a mail file path: at least 3 characters, beginning with "X:\" or "\\".
// Returns the error text, empty when usable.
std::string CheckMailFilePath(const std::string& path);
// The next per-machine message number, kept in the registry value "NextMessageId"
// (never 0; 1 when the key cannot be opened) (Windows only).
uint32_t NextMessageId();
