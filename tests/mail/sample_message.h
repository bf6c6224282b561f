// The fixed message behind the mail file fixtures in tests/fixtures/mail.
#pragma once
#include <string>

#include "mail/mail_composer.h"

// The message of the fixtures in the given format, with or without its three attachments.
CSMTPMessage SampleMessage(uint32_t format, bool withAttachments);
// Fixed clock (2023-11-15 03:43:20, +0530), host, mailer and attachment contents
// (report.txt, an unreadable missing.ov, audit.OVAD).
MailComposition SampleComposition(const CSMTPMessage& message);
// The fixture file name for a format, e.g. "mail/format1_attachments.mail".
std::string SampleFixtureName(uint32_t format, bool withAttachments);
