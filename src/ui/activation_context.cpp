// Creating and activating the module's own activation context.
#include "ui/activation_context.h"

#include "ui/ui_resource.h"

CActivationScope::CActivationScope(HINSTANCE module) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(module, path, sizeof path);
  ACTCTXA context = {};
  context.cbSize = sizeof context;
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
  context.lpSource = path;
  context.hModule = module;
  context.lpResourceName = MAKEINTRESOURCEA(IDR_MANIFEST_ISOLATION);
  context_ = CreateActCtxA(&context);
  if (context_ != INVALID_HANDLE_VALUE && !ActivateActCtx(context_, &cookie_)) cookie_ = 0;
}

CActivationScope::~CActivationScope() {
  if (cookie_) DeactivateActCtx(0, cookie_);
  if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
}
