// Adding the five pages to the sheet, each handed the settings record.
#include "pages/applet_pages.h"

#include "pages/alerts_page.h"
#include "pages/history_page.h"
#include "pages/logging_page.h"
#include "pages/pages_resource.h"
#include "pages/setup_page.h"
#include "pages/status_page.h"
#include "ui/basic_prop_sheet.h"

namespace {

CStatus g_status;
CHistory g_history;
CSetup g_setup;
CAlerts g_alerts;
CLogging g_logging;

}  // namespace

void AddAppletPages(CBasicPropSheet* sheet, CMonitorSettings* settings, CLogViewer* viewer,
                    const ProgramLauncher& launcher) {
  for (CSettingsPage* page : std::initializer_list<CSettingsPage*>{&g_status, &g_history, &g_setup, &g_alerts, &g_logging})
    page->AttachSettings(settings);
  g_status.SetLogViewer(viewer);
  g_logging.SetLogViewer(viewer);
  g_logging.SetProgramLauncher(launcher);
  sheet->AddPage(IDD_STATUS, &g_status, "Status");
  sheet->AddPage(IDD_HISTORY, &g_history, "History");
  sheet->AddPage(IDD_SETUP, &g_setup, "Setup");
  sheet->AddPage(IDD_ALERTS, &g_alerts, "Alerts");
  sheet->AddPage(IDD_LOGGING, &g_logging, "Logs");
}
