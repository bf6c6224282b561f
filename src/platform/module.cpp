// The handle of the module holding the applet's code and resources.
#include "platform/module.h"

HINSTANCE AppletModule() {
  static HMODULE module = nullptr;
  if (!module)
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&AppletModule), &module);
  return module;
}
