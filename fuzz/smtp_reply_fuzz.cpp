// Server replies arrive as arbitrary bytes in arbitrary pieces: the line buffer and the
// reply judgement must never crash, never return a line holding CR LF, never hold more
// than their capacity, and accept a reply only on a final line with an accepted code.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mail/smtp_reply.h"

namespace {
const uint32_t kExpected[] = {220, 250, 334, 235, 354};

void Check(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  uint32_t expected = kExpected[data[0] % 5];
  bool parseEhlo = data[0] & 8;
  size_t piece = 1 + data[1] % 64;
  CSMTPLineBuffer buffer;
  SMTPCapabilities capabilities;
  uint32_t lastCode = 0;
  std::string line;
  for (size_t at = 2; at < size; at += piece) {
    size_t n = size - at < piece ? size - at : piece;
    buffer.Append(reinterpret_cast<const char*>(data + at), n);
    Check(buffer.FreeSpace() <= CSMTPLineBuffer::kCapacity);
    while (buffer.TakeLine(&line)) {
      Check(line.find("\r\n") == std::string::npos);
      SMTPVerdict verdict = JudgeReplyLine(line, expected, parseEhlo, &capabilities, &lastCode);
      SMTPReplyLine reply = ParseReplyLine(line);
      Check(reply.code == lastCode);
      if (verdict == SMTPVerdict::kAccepted)
        Check(reply.kind == SMTPLineKind::kFinal && IsAcceptedReply(expected, lastCode));
      if (verdict == SMTPVerdict::kRejected) Check(!IsAcceptedReply(expected, lastCode));
    }
    if (buffer.Overflowing()) Check(buffer.TakeAll().size() > 16380);
  }
  if (!parseEhlo)
    Check(!capabilities.authLogin && !capabilities.authPlain && !capabilities.startTls);
  return 0;
}
