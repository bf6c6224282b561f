// Reading and checking a mail file's envelope: sender, recipients and their bounds.
#include "mail/envelope_reader.h"

EnvelopeRead ReadEnvelopeLine(FILE* mail, std::string* line) {
  line->clear();
  int c = std::getc(mail);
  if (c == EOF) return EnvelopeRead::kEnd;
  for (; c != EOF && c != '\n'; c = std::getc(mail)) {
    if (c == '\r') continue;
    if (line->size() == kEnvelopeLineLimit) return EnvelopeRead::kTooLong;
    line->push_back(static_cast<char>(c));
  }
  return EnvelopeRead::kLine;
}
