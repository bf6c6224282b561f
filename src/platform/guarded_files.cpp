// The service's file operations by handle, and the facts its folder judgement needs.
#include "platform/guarded_files.h"

#include <aclapi.h>

#include <vector>

#include "platform/access_lists.h"
#include "platform/path_trust.h"

namespace {

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring Wide(const std::string& text) {
  int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0);
  std::wstring wide(size_t(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), wide.data(), length);
  return wide;
}

std::string InFolder(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

PathStepFacts FactsOf(const std::string& path) {
  PathStepFacts facts;
  facts.name = path;
  HANDLE step = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES | READ_CONTROL, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (step == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    facts.found = !(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND);
    facts.ownerKnown = false;
    return facts;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  facts.reparsePoint = !GetFileInformationByHandle(step, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  facts.ownerKnown = GetSecurityInfo(step, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                                     nullptr, &descriptor) == ERROR_SUCCESS;
  facts.trustedOwner = facts.ownerKnown && IsTrustedOwner(owner);
  if (descriptor) LocalFree(descriptor);
  CloseHandle(step);
  return facts;
}

// Whether an open handle is a regular file with one name (not a folder, not a link, no hard link).
bool IsLoneRegularFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileInformationByHandle(file, &info) &&
         !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
         info.nNumberOfLinks == 1;
}

}  // namespace

std::string FolderRefusal(const std::string& folder) {
  std::vector<PathStepFacts> steps;
  for (const std::string& step : PathSteps(folder)) {
    steps.push_back(FactsOf(step));
    if (!steps.back().found) break;
  }
  if (!IsFullPath(folder)) return "\"" + folder + "\" is not a full path";
  return PathRefusal(steps);
}

bool CreateGuardedFolder(const std::string& folder) {
  for (const std::string& step : PathSteps(folder))
    if (GetFileAttributesA(step.c_str()) == INVALID_FILE_ATTRIBUTES) CreateDirectoryA(step.c_str(), GuardedFileAttributes());
  DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HANDLE OpenGuardedFile(const std::string& folder, const std::string& name, DWORD access, DWORD disposition) {
  if (!IsPlainFileName(name)) {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE file = CreateFileA(InFolder(folder, name).c_str(), access | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            GuardedFileAttributes(), disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE || IsLoneRegularFile(file)) return file;
  CloseHandle(file);
  SetLastError(ERROR_CANT_ACCESS_FILE);
  return INVALID_HANDLE_VALUE;
}

const char kPartialFileSuffix[] = ".partial";

bool RenameOpenFile(HANDLE file, const std::string& folder, const std::string& name, bool replace) {
  if (!IsPlainFileName(name)) return false;
  std::wstring target = Wide(InFolder(folder, name));
  std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + (target.size() + 1) * sizeof(wchar_t), 0);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = replace;
  rename->FileNameLength = DWORD(target.size() * sizeof(wchar_t));
  target.copy(rename->FileName, target.size());
  return SetFileInformationByHandle(file, FileRenameInfo, rename, DWORD(buffer.size()));
}

bool WriteWholeFile(const std::string& folder, const std::string& name, const void* bytes, size_t size,
                    bool replace) {
  std::string partial = name + kPartialFileSuffix;
  HANDLE file = OpenGuardedFile(folder, partial, GENERIC_WRITE | DELETE, CREATE_NEW);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS && DeleteFolderFile(folder, partial))
    file = OpenGuardedFile(folder, partial, GENERIC_WRITE | DELETE, CREATE_NEW);  // left by a stopped write
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool complete = WriteFile(file, bytes, DWORD(size), &written, nullptr) && written == size && FlushFileBuffers(file) &&
                  RenameOpenFile(file, folder, name, replace);
  DWORD error = GetLastError();
  if (!complete) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
  }
  CloseHandle(file);
  SetLastError(complete ? 0 : error);
  return complete;
}

bool DeleteFolderFile(const std::string& folder, const std::string& name) {
  if (!IsPlainFileName(name)) return false;
  HANDLE file = CreateFileA(InFolder(folder, name).c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                            kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  bool regular = GetFileInformationByHandle(file, &info) &&
                 !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
  if (regular && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
  }
  FILE_DISPOSITION_INFO disposition{TRUE};
  bool deleted = regular && SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
  CloseHandle(file);
  return deleted;
}
