// ovmonsvc.exe, the Orvane Monitor service.
//   ovmonsvc               run as the service (started by the service control manager)
//   ovmonsvc -console      run in this console until Ctrl+C or the stop event
//   ovmonsvc -install      add the service to the service control manager
//   ovmonsvc -uninstall    stop and remove it
//   ovmonsvc -purge        remove the stored checks, the log and the product's registry key
//   ovmonsvc -rescan       run a check now, as "Rescan Now" does, and wait for its record
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/describe_error.h"
#include "service/service_host.h"

namespace {

int Report(uint32_t code) {
  if (code == 0) return 0;
  char text[256];
  std::fprintf(stderr, "ovmonsvc: %s\n", DescribeError(code, text, sizeof text));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "-console") == 0) return RunInConsole();
  if (argc == 2 && std::strcmp(argv[1], "-install") == 0) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return Report(InstallService(path));
  }
  if (argc == 2 && std::strcmp(argv[1], "-uninstall") == 0) return Report(RemoveService());
  if (argc == 2 && std::strcmp(argv[1], "-purge") == 0) return Report(PurgeServiceData());
  if (argc == 2 && std::strcmp(argv[1], "-rescan") == 0) return Report(RescanAndWait(120000));
  if (argc == 1) {
    uint32_t code = RunAsService();
    if (code != ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) return Report(code);
  }
  std::fprintf(stderr, "usage: ovmonsvc [-console | -install | -uninstall | -purge | -rescan]\n");
  return 2;
}
