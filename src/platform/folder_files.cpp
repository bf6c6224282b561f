// Listing a folder's files for the log rolls, the stored checks and the clean-ups.
#include "platform/folder_files.h"

#include <windows.h>

std::vector<std::string> FilesMatching(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (names.size() < 100000 && FindNextFileA(search, &found));
  FindClose(search);
  return names;
}
