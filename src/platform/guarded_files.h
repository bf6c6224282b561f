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
// Renames an open file (opened with DELETE access) within its folder to name; replaces a file of
// that name (the name itself, never what a link there points to) only when replace is set.
bool RenameOpenFile(HANDLE file, const std::string& folder, const std::string& name, bool replace = false);
// The suffix of the file a whole write fills before it takes its name.
extern const char kPartialFileSuffix[];
// Writes bytes into a new "<name>.partial" of the folder (one a stopped write left is deleted
// first), flushes it and renames that very file to name, as RenameOpenFile does; never writes
// through a link left in the folder. False (last error set) when the file could not take its name.
bool WriteWholeFile(const std::string& folder, const std::string& name, const void* bytes, size_t size,
                    bool replace);
// Deletes folder + name when it is a regular file (read-only or not) and not a link; false otherwise.
bool DeleteFolderFile(const std::string& folder, const std::string& name);
