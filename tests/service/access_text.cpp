// Prints the access list of a registry key, a folder or a named event in the security descriptor
// language, for the installer's test to read back what the package made.
//   access_text key <settings subkey> | folder <path> | event <name>
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/access_lists.h"
#include "platform/named_objects.h"

namespace {

std::string FolderText(const char* path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoA(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr,
                            &descriptor))
    return std::string();
  char* text = nullptr;
  std::string result;
  if (ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                           &text, nullptr))
    result = text;
  LocalFree(text);
  LocalFree(descriptor);
  return result;
}

std::string EventText(const char* name) {
  HANDLE event = OpenGlobalEvent(name, READ_CONTROL);
  if (!event) return std::string();
  std::string text = ObjectAccessText(event);
  CloseHandle(event);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::string text = std::strcmp(argv[1], "key") == 0      ? RegistryKeyAccessText(argv[2])
                     : std::strcmp(argv[1], "folder") == 0 ? FolderText(argv[2])
                     : std::strcmp(argv[1], "event") == 0  ? EventText(argv[2])
                                                           : std::string();
  std::printf("%s\n", text.c_str());
  return text.empty() ? 1 : 0;
}
