// The answers the administrator gate asks of the system, and the shell launch of a program,
// behind one narrow interface so that every branch of the gate and the relaunch can be exercised.
#pragma once
#include <windows.h>
#include <shellapi.h>

class CSystemAccess {
 public:
  virtual ~CSystemAccess() = default;
  // Whether the user's full (linked) token belongs to BUILTIN\Administrators.
  virtual bool LinkedTokenIsAdministrator();
  // Whether the current token is an effective member of BUILTIN\Administrators.
  virtual bool CurrentTokenIsAdministrator();
  // Whether the Service Control Manager grants full access.
  virtual bool CanOpenServiceManager();
  // ShellExecuteExA; 0 on success, else the last error.
  virtual DWORD ShellExecute(SHELLEXECUTEINFOA* info);
};

// The real system.
CSystemAccess& RealSystemAccess();
