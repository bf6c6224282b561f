// The envelope at the front of a mail file, after its 24-byte header: the sender's address,
// one line per recipient, then an empty line.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

// The longest envelope line the engine sends; a longer one is refused, never cut in two.
constexpr size_t kEnvelopeLineLimit = 16383;

enum class EnvelopeRead {
  kLine,     // a whole line, without its CR and LF
  kEnd,      // the end of the file, nothing read
  kTooLong,  // a line longer than kEnvelopeLineLimit
};

// Reads the next whole line of the envelope into *line.
EnvelopeRead ReadEnvelopeLine(FILE* mail, std::string* line);
