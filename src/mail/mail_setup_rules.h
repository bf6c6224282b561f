// The rules of the mail settings, as the e-mail setup dialogs and ovmonctl apply them: whether
// they are complete, the port that goes with an encryption choice, the queue folder's drive prefix,
// the recipients kept from the list's rows, the address dialog's name rule, and the test
// message the dialog sends.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "mail/mailbox.h"
#include "mail/smtp_message.h"

// Whether the dialog can send: a recipient in some list, a sender address and a server.
bool IsSetupReady(const std::vector<Mailbox>& to, const std::vector<Mailbox>& cc, const std::vector<Mailbox>& bcc,
                  const std::string& senderAddress, const std::string& server);

// The port an encryption choice uses: 25 none, 587 either STARTTLS, 465 SSL/TLS.
uint16_t PortForSecurity(uint32_t security);
// The port field's text for a stored port (0 shows 25).
std::string PortText(uint16_t port);
// The port to store for the field's text: 0 becomes 25, above 65535 becomes 65535.
uint16_t PortFromText(const std::string& text);

// The queue folder's text with a drive: shorter than 3 characters gives "C:\"; a text not
// beginning with a drive letter, ':' and '\' gets "C:\" in front (its own leading
// backslashes dropped).
std::string QueueFolderWithDrive(const std::string& text);

// One row of the recipient list: the name and address cells.
struct RecipientRow {
  std::string name;
  std::string address;
};
// The recipients the rows hold, in order: cells trimmed, rows without an address dropped.
std::vector<Mailbox> RecipientsFromRows(const std::vector<RecipientRow>& rows);
// Orders two cell texts without regard to case: negative, 0 or positive.
int CompareCellTexts(const std::string& first, const std::string& second);

// The address dialog's OK: false when the trimmed address is empty or has no '@'; else the
// entry, whose empty name becomes the part of the address before its last '@'.
bool AcceptAddress(const std::string& nameText, const std::string& addressText, Mailbox* entry);

// What the test message reports, as the dialog's fields hold it.
struct TestMailFields {
  std::string senderAddress;
  std::string senderName;
  uint32_t format = 1;
  std::string server;
  std::string portText;
  std::string userName;
  std::string documentationUrl;  // the link on the product's name
  std::vector<Mailbox> to;
  std::vector<Mailbox> cc;
  std::vector<Mailbox> bcc;
};
// The test message: subject, style sheet and a body naming the sender, server, port, every
// recipient, the authentication and the format.
CSMTPMessage ComposeTestMessage(const TestMailFields& fields);
