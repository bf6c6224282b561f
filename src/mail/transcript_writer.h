// The SMTP transcript file: entries written at or below its verbosity, flushed at once.
#pragma once
#include <cstdio>

#include "mail/smtp_transcript.h"

class CTranscriptWriter {
 public:
  // A writer on an open stream (may be null: nothing is written) with a verbosity 0..5.
  CTranscriptWriter(FILE* stream, int verbosity) : stream_(stream), verbosity_(verbosity) {}

  // Prints the entry's line when the verbosity allows it, and flushes.
  void Write(const SMTPLogEntry& entry) const;
  // Whether entries of this verbosity are written.
  bool Wants(int verbosity) const { return stream_ && verbosity_ >= verbosity; }

 private:
  FILE* stream_;
  int verbosity_;
};
