// Splitting received bytes into SMTP reply lines and judging each.
#include "mail/smtp_reply.h"

#include <cctype>

namespace {
const size_t kOverflowAbove = 16380;

bool StartsWithIgnoringCase(const std::string& text, const char* prefix) {
  size_t i = 0;
  for (; prefix[i] != '\0'; ++i) {
    if (i >= text.size() ||
        std::toupper(static_cast<unsigned char>(text[i])) != static_cast<unsigned char>(prefix[i]))
      return false;
  }
  return true;
}

bool EqualsIgnoringCase(const std::string& text, const char* upper) {
  return StartsWithIgnoringCase(text, upper) &&
         text.size() == std::char_traits<char>::length(upper);
}
}  // namespace

bool CSMTPLineBuffer::TakeLine(std::string* line) {
  size_t end = held_.find("\r\n");
  if (end == std::string::npos) return false;
  line->assign(held_, 0, end);
  held_.erase(0, end + 2);
  return true;
}

bool CSMTPLineBuffer::Overflowing() const { return held_.size() > kOverflowAbove; }

std::string CSMTPLineBuffer::TakeAll() {
  std::string all;
  all.swap(held_);
  return all;
}

size_t CSMTPLineBuffer::FreeSpace() const { return kCapacity - held_.size(); }

void CSMTPLineBuffer::Append(const char* data, size_t size) {
  held_.append(data, size < FreeSpace() ? size : FreeSpace());
}

void CSMTPLineBuffer::Clear() { held_.clear(); }

void ParseEhloLine(const std::string& line, SMTPCapabilities* capabilities) {
  if (StartsWithIgnoringCase(line, "250-AUTH") || StartsWithIgnoringCase(line, "250 AUTH")) {
    if (line.find("LOGIN") != std::string::npos) capabilities->authLogin = true;
    if (line.find("PLAIN") != std::string::npos) capabilities->authPlain = true;
  }
  if (EqualsIgnoringCase(line, "250-STARTTLS") || EqualsIgnoringCase(line, "250 STARTTLS"))
    capabilities->startTls = true;
}

SMTPReplyLine ParseReplyLine(const std::string& line) {
  SMTPReplyLine reply;
  uint64_t code = 0;
  size_t i = 0;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
    code = code * 10 + static_cast<uint64_t>(line[i] - '0');
    if (code > UINT32_MAX) code = UINT32_MAX;
  }
  reply.code = static_cast<uint32_t>(code);
  char next = i < line.size() ? line[i] : '\0';
  if (next == '-')
    reply.kind = SMTPLineKind::kContinuation;
  else if (next == ' ' || next == '\r' || next == '\n' || next == '\0')
    reply.kind = SMTPLineKind::kFinal;
  else
    reply.kind = SMTPLineKind::kMalformed;
  return reply;
}

bool IsAcceptedReply(uint32_t expected, uint32_t code) {
  return code == expected || (expected == 250 && (code == 200 || code == 251));
}

SMTPVerdict JudgeReplyLine(const std::string& line, uint32_t expected, bool parseEhlo,
                           SMTPCapabilities* capabilities, uint32_t* lastCode) {
  if (parseEhlo) ParseEhloLine(line, capabilities);
  SMTPReplyLine reply = ParseReplyLine(line);
  *lastCode = reply.code;
  if (reply.kind == SMTPLineKind::kContinuation) return SMTPVerdict::kReadMore;
  if (!IsAcceptedReply(expected, reply.code)) return SMTPVerdict::kRejected;
  return reply.kind == SMTPLineKind::kFinal ? SMTPVerdict::kAccepted : SMTPVerdict::kReadMore;
}
