// Writing the SMTP transcript file at its verbosity.
#include "mail/transcript_writer.h"

void CTranscriptWriter::Write(const SMTPLogEntry& entry) const {
  if (!stream_ || !ShouldWrite(entry, verbosity_)) return;
  std::fwrite(entry.line.data(), 1, entry.line.size(), stream_);
  std::fflush(stream_);
}
