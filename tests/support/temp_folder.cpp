// Private, emptied folders for tests that write files.
#include "support/temp_folder.h"

#include <windows.h>

std::string EmptyTempFolder(const std::string& name) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "ovmon-" + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      SetFileAttributesA((folder + found.cFileName).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA((folder + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  return folder;
}
