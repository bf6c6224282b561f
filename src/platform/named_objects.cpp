// Creating and opening the machine-wide events and mutexes with their access lists.
#include "platform/named_objects.h"

#include "platform/access_lists.h"
#include "platform/object_names.h"

namespace {

// A security descriptor with a null access-control list: every account may open the object.
class COpenSecurity {
 public:
  COpenSecurity() {
    InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor_, TRUE, nullptr, FALSE);
    attributes_ = {sizeof attributes_, &descriptor_, FALSE};
  }
  SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }

 private:
  SECURITY_DESCRIPTOR descriptor_;
  SECURITY_ATTRIBUTES attributes_;
};

}  // namespace

SECURITY_ATTRIBUTES* OpenSecurityAttributes() {
  // Made on first use: other load-time objects create events with it before this file's statics.
  static COpenSecurity openSecurity;
  return openSecurity.Attributes();
}

HANDLE OpenGlobalEvent(const std::string& name, DWORD access) {
  return OpenEventA(access, FALSE, GlobalObjectName(name).c_str());
}

HANDLE CreateGlobalEvent(const std::string& name, bool manualReset, SECURITY_ATTRIBUTES* attributes) {
  return CreateEventA(attributes ? attributes : OpenSecurityAttributes(), manualReset, FALSE,
                      GlobalObjectName(name).c_str());
}

HANDLE CreateServiceEvent(const std::string& name, bool manualReset, std::string* why) {
  HANDLE event = CreateGlobalEvent(name, manualReset, GuardedEventAttributes());
  if (!event) {
    *why = "it cannot be created (error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  if (GetLastError() != ERROR_ALREADY_EXISTS || IsTrustedObject(event)) return event;
  *why = "it already exists with a foreign owner or access list, so it is not used";
  CloseHandle(event);
  return nullptr;
}
