// Writing a message's mail file: attachments read, bytes composed, a temporary file written.
#include <windows.h>

#include <new>

#include "mail/content_type.h"
#include "mail/mail_clock.h"
#include "mail/mail_component.h"
#include "mail/mail_composer.h"
#include "mail/mail_error.h"
#include "mail/smtp_message.h"
#include "platform/host_name.h"

namespace {

// The whole file, or an unreadable entry when it cannot be opened or read completely.
MailAttachmentContent ReadAttachment(const MailAttachment& attachment) {
  MailAttachmentContent content;
  HANDLE file =
      CreateFileA(attachment.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return content;
  LARGE_INTEGER size;
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < 0x7FFFFFFF) {
    try {
      content.bytes.resize(static_cast<size_t>(size.QuadPart));
      DWORD read = 0;
      content.readable = ReadFile(file, &content.bytes[0], static_cast<DWORD>(content.bytes.size()),
                                  &read, nullptr) &&
                         read == content.bytes.size();
    } catch (const std::bad_alloc&) {
      content.readable = false;
    }
  }
  CloseHandle(file);
  if (content.readable)
    content.contentType = ContentTypeForName(attachment.displayName);
  else
    content.bytes.clear();
  return content;
}

MailComposition GatherComposition(const CSMTPMessage& message) {
  MailComposition composition;
  composition.localTime = LocalMailTime(0);
  composition.zone = CurrentMailTimeZone();
  composition.hostName = OfficialHostName();
  composition.mailer = MailerString();
  for (const MailAttachment& attachment : message.attachments)
    composition.attachments.push_back(ReadAttachment(attachment));
  return composition;
}

// A new unique file "tlm*.tmp" in the temporary folder; empty when none can be made.
std::string NewTemporaryFileName() {
  char folder[MAX_PATH + 1];
  DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length > MAX_PATH) return std::string();
  char name[MAX_PATH + 1];
  if (GetTempFileNameA(folder, "tlm", 0, name) == 0) return std::string();
  return name;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk =
        static_cast<DWORD>(bytes.size() - done < 0x10000000 ? bytes.size() - done : 0x10000000);
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
      return false;
    done += written;
  }
  return true;
}
}  // namespace

std::string CSMTPMessage::WriteMailFile(std::string* path) {
  if (fileHeader.messageNumber == 0) return "Cannot save mail file; error 87: missing message ID";
  std::string refused = FindHeaderLineBreak(*this);
  if (!refused.empty()) return refused;
  if (path->empty()) *path = NewTemporaryFileName();
  std::string badPath = CheckMailFilePath(*path);
  if (!badPath.empty()) return badPath;
  HANDLE file = CreateFileA(
      path->c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      OPEN_ALWAYS, FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, nullptr);
  if (file == INVALID_HANDLE_VALUE) return DescribeMailError(GetLastError()) + " \"" + *path + "\"";
  bool written =
      WriteAll(file, ComposeMailFile(*this, GatherComposition(*this))) && SetEndOfFile(file);
  DWORD error = GetLastError();
  CloseHandle(file);
  // A mail file that could not be written whole must not be sent, and its attachments stay.
  if (!written)
    return "Could not write mail file; " + DescribeMailError(error) + " \"" + *path + "\"";
  for (const MailAttachment& attachment : attachments)
    if (attachment.deleteAfter) DeleteFileA(attachment.path.c_str());
  return std::string();
}

uint32_t NextMessageId() {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMailComponentPath, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return 1;
  DWORD stored = 0, type = 0, size = sizeof stored;
  DWORD next = 1;
  if (RegQueryValueExA(key, "NextMessageId", nullptr, &type, reinterpret_cast<BYTE*>(&stored),
                       &size) == ERROR_SUCCESS &&
      type == REG_DWORD && size == sizeof stored)
    next = stored + 1;
  if (next == 0) next = 1;  // the counter wraps past 0, which no mail file may carry
  RegSetValueExA(key, "NextMessageId", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&next),
                 sizeof next);
  RegCloseKey(key);
  return next;
}
