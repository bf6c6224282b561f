// The log viewer's file work: reading what a refresh needs of a log (its tail, or what was
// appended) and rendering it, the size check of the follow timer, and clearing a log down to
// one line. The handle is open only inside each call, shared for reading and writing so that
// the service keeps writing.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "logview/shown_log.h"

// One refresh's reading of a log.
struct LogSnapshot {
  bool opened = false;    // the file could be opened at all
  bool readOnly = false;  // it could not be opened for writing
  int64_t size = 0;       // its size when read
  size_t shown = 0;       // the bytes the text shows (its tail)
  FILETIME written = {};  // its last-write time
  bool rebuild = true;    // rtf replaces the text; otherwise edit changes it
  std::string rtf;        // the document to show
  LogEdit edit;           // the lines to add and drop
};

// Opens path for reading and writing, else for reading only, and reads what shown plans: the
// appended bytes as an edit, else the tail as a document. A failed allocation or read gives a
// document that says so (and shown forgets the file).
LogSnapshot ReadLogSnapshot(const std::string& path, CShownLog* shown, const LogRtfOptions& options);
// The size of path through a handle without access rights; -1 when it cannot be opened.
int64_t QueryLogSize(const std::string& path);
// Replaces the content of path with line; false when it cannot be opened for writing.
bool ClearLogFile(const std::string& path, const std::string& line);
// The user in domain\user form, else the plain user name, else "Unknown".
std::string CurrentUserName();
