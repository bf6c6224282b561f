// Building the monitor's security descriptors and judging those of objects it finds.
#include "platform/access_lists.h"

#include <aclapi.h>
#include <sddl.h>

#include "platform/registry_encoding.h"

namespace {

// A security descriptor made once from its text, with attributes that are not inherited.
class CDescriptor {
 public:
  explicit CDescriptor(const char* text) {
    ConvertStringSecurityDescriptorToSecurityDescriptorA(text, SDDL_REVISION_1, &descriptor_, nullptr);
    attributes_ = {sizeof attributes_, descriptor_, FALSE};
  }
  ~CDescriptor() { LocalFree(descriptor_); }
  CDescriptor(const CDescriptor&) = delete;
  CDescriptor& operator=(const CDescriptor&) = delete;
  SECURITY_ATTRIBUTES* Attributes() { return descriptor_ ? &attributes_ : nullptr; }
  PSECURITY_DESCRIPTOR Descriptor() const { return descriptor_; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

const char kTrustedInstaller[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

bool SidIs(PSID sid, WELL_KNOWN_SID_TYPE type) { return IsWellKnownSid(sid, type); }

bool SidIsText(PSID sid, const char* text) {
  PSID other = nullptr;
  if (!ConvertStringSidToSidA(text, &other)) return false;
  bool same = EqualSid(sid, other);
  LocalFree(other);
  return same;
}

// Whether the sid is this process's account or the owner it gives what it creates.
bool IsOwnAccount(PSID sid) {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  BYTE buffer[512];
  DWORD size = 0;
  bool own = false;
  if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size))
    own = EqualSid(sid, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
  if (!own && GetTokenInformation(token, TokenOwner, buffer, sizeof buffer, &size))
    own = EqualSid(sid, reinterpret_cast<TOKEN_OWNER*>(buffer)->Owner);
  CloseHandle(token);
  return own;
}

std::string DescriptorText(PSECURITY_DESCRIPTOR descriptor, SECURITY_INFORMATION parts) {
  char* text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, parts, &text, nullptr))
    return std::string();
  std::string result = text;
  LocalFree(text);
  return result;
}

// The rights any account may hold on a trusted object: wait on it and read its security.
constexpr DWORD kHarmlessRights = SYNCHRONIZE | READ_CONTROL;

}  // namespace

SECURITY_ATTRIBUTES* GuardedFileAttributes() {
  static CDescriptor files("D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)");
  return files.Attributes();
}

SECURITY_ATTRIBUTES* GuardedEventAttributes() {
  static CDescriptor events("D:(A;;0x1F0003;;;SY)(A;;0x1F0003;;;BA)(A;;0x100000;;;WD)");
  return events.Attributes();
}

bool GuardSecretKey(const std::string& subkey) {
  static CDescriptor secrets("D:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)");
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, BuildSettingsKeyPath(subkey).c_str(), 0, nullptr, 0, WRITE_DAC, nullptr, &key,
                      nullptr))
    return false;
  bool set = secrets.Descriptor() &&
             RegSetKeySecurity(key, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                               secrets.Descriptor()) == ERROR_SUCCESS;
  RegCloseKey(key);
  return set;
}

std::string RegistryKeyAccessText(const std::string& subkey) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, BuildSettingsKeyPath(subkey).c_str(), 0, READ_CONTROL, &key))
    return std::string();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD error = GetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr,
                                &descriptor);
  RegCloseKey(key);
  if (error) return std::string();
  std::string text = DescriptorText(descriptor, DACL_SECURITY_INFORMATION);
  LocalFree(descriptor);
  return text;
}

std::string ObjectAccessText(HANDLE object) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                      nullptr, nullptr, nullptr, &descriptor))
    return std::string();
  std::string text = DescriptorText(descriptor, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION);
  LocalFree(descriptor);
  return text;
}

bool IsTrustedOwner(PSID owner) {
  return owner && IsValidSid(owner) &&
         (SidIs(owner, WinLocalSystemSid) || SidIs(owner, WinBuiltinAdministratorsSid) ||
          SidIsText(owner, kTrustedInstaller) || IsOwnAccount(owner));
}

bool IsTrustedObject(HANDLE object) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                      nullptr, &dacl, nullptr, &descriptor))
    return false;
  bool trusted = IsTrustedOwner(owner) && dacl;  // a null list lets every account do anything
  for (DWORD i = 0; trusted && i < dacl->AceCount; ++i) {
    ACE_HEADER* header = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) trusted = false;
    else if (header->AceType == ACCESS_ALLOWED_ACE_TYPE) {
      auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
      PSID sid = &allowed->SidStart;
      trusted = (allowed->Mask & ~kHarmlessRights) == 0 || IsTrustedOwner(sid);
    } else if (header->AceType != ACCESS_DENIED_ACE_TYPE) {
      trusted = false;  // a list this program never writes
    }
  }
  LocalFree(descriptor);
  return trusted;
}
