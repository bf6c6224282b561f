// Shows one of the time-source dialogs on its own, the way the applet shows it, for pictures
// of it over chosen lines (scripts/screenshot), away from the settings the sheet shows:
//   timesource_dialogs_host reference <line>...   the reference editor over these lines (mode 3)
//   timesource_dialogs_host edit <line>           the time source editor on a line
//   timesource_dialogs_host test <line>           the test dialog on a line
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "monitor/settings.h"
#include "platform/module.h"
#include "timesources/edit_time_source.h"
#include "timesources/reference_editor.h"
#include "timesources/time_source_test_dialog.h"
#include "ui/activation_context.h"
#include "ui/dialog_fonts.h"

int main(int argc, char** argv) {
  std::string dialog = argc > 1 ? argv[1] : "";
  if (dialog != "reference" && (argc != 3 || (dialog != "edit" && dialog != "test"))) {
    std::fprintf(stderr, "usage: timesource_dialogs_host reference <line>... | edit <line> | test <line>\n");
    return 2;
  }
  CActivationScope activation(AppletModule());
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  CreateDialogFonts(GetDesktopWindow());
  std::string line = argc > 2 ? argv[2] : "";
  if (dialog == "reference") {
    CMonitorSettings settings;
    settings.referenceClockType = 3;
    settings.referenceClocks.assign(argv + 2, argv + argc);
    RunReferenceEditor(nullptr, &settings);
  } else if (dialog == "edit") {
    RunTimeSourceEditor(nullptr, &line);
  } else {
    RunTimeSourceTest(nullptr, line);
  }
  DeleteDialogFonts();
  return 0;
}
