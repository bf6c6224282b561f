// The module's activation context and the common controls version it selects.
#include "ui/activation_context.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

namespace {

// Where a load of comctl32.dll on this thread comes from (the side-by-side store for version 6).
// Wine's comctl32 reports 5 from DllGetVersion in both places, so the path tells them apart.
std::string CommonControlsPath() {
  HMODULE library = LoadLibraryA("comctl32.dll");
  auto getVersion =
      reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(library, "DllGetVersion")));
  DLLVERSIONINFO info = {};
  info.cbSize = sizeof info;
  EXPECT_TRUE(getVersion && getVersion(&info) == S_OK);
  char path[MAX_PATH] = "";
  GetModuleFileNameA(library, path, MAX_PATH);
  FreeLibrary(library);
  return path;
}

bool IsVersion6(const std::string& path) {
  return path.find("common-controls") != std::string::npos && path.find("_6.0.") != std::string::npos;
}

}  // namespace

// This test program has no manifest of its own, so only the module's context brings version 6.
TEST(ActivationContext, ModuleManifestSelectsCommonControls6) {
  std::string before = CommonControlsPath();
  std::string inside;
  {
    CActivationScope scope(GetModuleHandleA(nullptr));
    ASSERT_TRUE(scope.Active());
    inside = CommonControlsPath();
  }
  std::string after = CommonControlsPath();
  EXPECT_FALSE(IsVersion6(before)) << before;
  EXPECT_TRUE(IsVersion6(inside)) << inside;
  EXPECT_FALSE(IsVersion6(after)) << after;
}
