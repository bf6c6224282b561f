// The system's answers to the administrator gate, and the shell launch of a program.
#include "applet/system_access.h"

#include "platform/os_info.h"

namespace {

const DWORD kElevationTypeLimited = 3;

// A token that can be tested for membership: the linked full token of a limited
// session, else the process token duplicated at identification level.
HANDLE MembershipToken() {
  HANDLE process = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &process)) return nullptr;
  HANDLE token = nullptr;
  DWORD size = 0;
  if (CurrentOsInfo().majorVersion >= 6) {
    DWORD type = 0;
    if (GetTokenInformation(process, TokenElevationType, &type, sizeof type, &size) &&
        type == kElevationTypeLimited) {
      TOKEN_LINKED_TOKEN linked = {};
      if (GetTokenInformation(process, TokenLinkedToken, &linked, sizeof linked, &size)) token = linked.LinkedToken;
    }
  }
  if (!token) DuplicateToken(process, SecurityIdentification, &token);
  CloseHandle(process);
  return token;
}

bool IsAdministrator(HANDLE token) {
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof sid;
  if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size)) return false;
  BOOL member = FALSE;
  return CheckTokenMembership(token, sid, &member) && member;
}

}  // namespace

bool CSystemAccess::LinkedTokenIsAdministrator() {
  HANDLE token = MembershipToken();
  if (!token) return false;
  bool member = IsAdministrator(token);
  CloseHandle(token);
  return member;
}

bool CSystemAccess::CurrentTokenIsAdministrator() { return IsAdministrator(nullptr); }

bool CSystemAccess::CanOpenServiceManager() {
  SC_HANDLE manager = OpenSCManagerA(nullptr, "ServicesActive", SC_MANAGER_ALL_ACCESS);
  if (!manager) return false;
  CloseServiceHandle(manager);
  return true;
}

DWORD CSystemAccess::ShellExecute(SHELLEXECUTEINFOA* info) {
  return ShellExecuteExA(info) ? 0 : GetLastError();
}

CSystemAccess& RealSystemAccess() {
  static CSystemAccess system;
  return system;
}
