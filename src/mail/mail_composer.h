// Composition of a message's text and mail-file bytes, free of any platform access:
// the caller supplies the clock, zone, host name and attachment contents.
#pragma once
#include <string>
#include <vector>

#include "mail/mail_stamps.h"
#include "mail/smtp_message.h"

// One attachment as read for composition; an unreadable or empty one is left out.
struct MailAttachmentContent {
  bool readable = false;
  std::string contentType;
  std::string bytes;
};

// Everything a composed message takes from its surroundings.
struct MailComposition {
  MailLocalTime localTime;  // current local time: Date header and Message-ID date
  MailTimeZone zone;
  std::string hostName;                            // official host name for the Message-ID
  std::string mailer;                              // X-Mailer text (MailerString)
  std::vector<MailAttachmentContent> attachments;  // one per message attachment, same order
};

// The complete HTML document of the html part: head with title, style and extras, then the body.
std::string ComposeHtmlDocument(const CSMTPMessage& message);
// The RFC 5322 / MIME message text, as transmitted after the SMTP DATA command.
std::string ComposeMessageText(const CSMTPMessage& message, const MailComposition& composition);
// The mail file: 24-byte header, envelope (sender, To, CC, BCC, empty line), message text.
std::string ComposeMailFile(const CSMTPMessage& message, const MailComposition& composition);
