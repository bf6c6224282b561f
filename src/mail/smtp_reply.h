// SMTP server replies: received bytes into lines, and each line judged as the
// session engine reads a reply (RFC 5321 section 4.2).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The most lines one reply may have; a server that goes on is refused.
constexpr size_t kMaxReplyLines = 200;

// Received bytes not yet returned as lines; holds at most kCapacity bytes.
class CSMTPLineBuffer {
 public:
  static constexpr size_t kCapacity = 16383;

  // Moves the text before the first CR LF into line (the CR LF is dropped); false without one.
  bool TakeLine(std::string* line);
  // More than 16380 bytes held and no line in them: the engine logs TakeAll() as an overflow.
  bool Overflowing() const;
  // Returns every held byte and empties the buffer.
  std::string TakeAll();
  // Bytes that may still be appended.
  size_t FreeSpace() const;
  // Appends received bytes; whatever exceeds FreeSpace() is dropped.
  void Append(const char* data, size_t size);
  // Empties the buffer.
  void Clear();

 private:
  std::string held_;
};

// What the server offered in its EHLO reply.
struct SMTPCapabilities {
  bool authPlain = false;
  bool authLogin = false;
  bool startTls = false;
};

// Sets the capability flags one EHLO reply line offers: "250-AUTH"/"250 AUTH" lines
// (any case, "250 AUTH=" included) naming LOGIN or PLAIN, and a line that is exactly
// "250-STARTTLS" or "250 STARTTLS" (any case, nothing after it).
void ParseEhloLine(const std::string& line, SMTPCapabilities* capabilities);

enum class SMTPLineKind {
  kContinuation,  // the code is followed by '-'
  kFinal,         // the code is followed by a space, CR, LF or the end of the line
  kMalformed,     // anything else after the code, such as a letter
};

struct SMTPReplyLine {
  uint32_t code = 0;  // the decimal number at the start of the line (0 without digits)
  SMTPLineKind kind = SMTPLineKind::kMalformed;
};

// The code and kind of one reply line.
SMTPReplyLine ParseReplyLine(const std::string& line);
// Whether a final reply code satisfies the expected one (250 also accepts 200 and 251).
bool IsAcceptedReply(uint32_t expected, uint32_t code);

enum class SMTPVerdict {
  kReadMore,  // a continuation or a malformed line with an acceptable code: read on
  kAccepted,  // the final line carries an accepted code
  kRejected,  // the final line carries another code: protocol error 8225
};

// Judges one received reply line: stores its code in lastCode, records EHLO capabilities
// when parseEhlo is set, and says whether the reply is complete.
SMTPVerdict JudgeReplyLine(const std::string& line, uint32_t expected, bool parseEhlo,
                           SMTPCapabilities* capabilities, uint32_t* lastCode);
