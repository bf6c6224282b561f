// The access lists of what the monitor creates, and the checks of what it finds. The service runs
// as SYSTEM: its folders, files, events and the key of the mail password are reachable by every
// local account, so each gets an explicit list (administrators and SYSTEM in full, others only
// what they need), and an object that already exists is trusted only with a trusted owner and no
// foreign right to change it.
#pragma once
#include <windows.h>

#include <string>

// Folders and files: SYSTEM and Administrators full control, Users read; nothing inherited.
SECURITY_ATTRIBUTES* GuardedFileAttributes();
// Events: everyone may wait on them; only SYSTEM and Administrators may set, reset or change them.
SECURITY_ATTRIBUTES* GuardedEventAttributes();
// Creates (when missing) a registry key (by the settings path rule) and gives it the list of secrets: SYSTEM and Administrators
// full control, nobody else anything, nothing inherited; false when it could not be set.
bool GuardSecretKey(const std::string& subkey);
// The access list of a key (by the settings path rule) in the security descriptor language; empty on failure.
std::string RegistryKeyAccessText(const std::string& subkey);
// The owner and access list of a kernel object in the security descriptor language; empty on failure.
std::string ObjectAccessText(HANDLE object);
// Whether a security identifier may own what the service trusts: SYSTEM, Administrators, the
// installer's TrustedInstaller, or the account this process runs as.
bool IsTrustedOwner(PSID owner);
// Whether an existing kernel object is the monitor's own: a trusted owner, and an access list
// that lets no other account do more than wait on it and read its security.
bool IsTrustedObject(HANDLE object);
