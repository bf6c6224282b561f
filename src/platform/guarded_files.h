// Files and folders as the service (SYSTEM) touches them in folders an administrator names: it
// judges each folder on the path before using it, creates folders and files with the guarded
// access list, and writes, renames and deletes only through a handle on a regular file of that
// folder (never through a link another account left in its place).
#pragma once
#include <windows.h>

#include <string>

// Why the service must not write in folder (a link on the path, a foreign owner), or empty.
std::string FolderRefusal(const std::string& folder);
// Creates folder and its missing parents with the guarded access list; true when it exists after.
bool CreateGuardedFolder(const std::string& folder);
// Opens folder + name for writing (OPEN_ALWAYS or CREATE_NEW), a new file getting the guarded
// access list; INVALID_HANDLE_VALUE (last error set) unless it is a regular file with one name.
HANDLE OpenGuardedFile(const std::string& folder, const std::string& name, DWORD access, DWORD disposition);
// Renames an open file (opened with DELETE access) within its folder to name; never replaces a file.
bool RenameOpenFile(HANDLE file, const std::string& folder, const std::string& name);
// Deletes folder + name when it is a regular file (read-only or not) and not a link; false otherwise.
bool DeleteFolderFile(const std::string& folder, const std::string& name);
