// Machine-wide kernel objects shared with the service and the tray component, opened and
// created by the naming rule, with a security descriptor every account may open.
#pragma once
#include <windows.h>

#include <string>

// Opens an event by the naming rule; nullptr when it does not exist.
HANDLE OpenGlobalEvent(const std::string& name, DWORD access);
// Creates (or opens) an event by the naming rule; null security attributes mean everyone may open it.
HANDLE CreateGlobalEvent(const std::string& name, bool manualReset, SECURITY_ATTRIBUTES* attributes = nullptr);
// Creates an event of the service's by the naming rule with the guarded access list (everyone may
// wait, only SYSTEM and Administrators change it). An event of that name that already exists is
// taken only when its owner and access list are trusted; otherwise nullptr, and *why says why.
HANDLE CreateServiceEvent(const std::string& name, bool manualReset, std::string* why);
// The process-wide attributes with a null access-control list.
SECURITY_ATTRIBUTES* OpenSecurityAttributes();
