// The five pages of the applet's property sheet.
#pragma once
#include "pages/logging_page.h"

class CBasicPropSheet;
class CLogViewer;
struct CMonitorSettings;

// Adds Status, History, Setup, Alerts and Logs to sheet, in this order, each editing settings;
// the Status and Logs pages open viewer, the Logs page starts the Event Viewer with launcher.
void AddAppletPages(CBasicPropSheet* sheet, CMonitorSettings* settings, CLogViewer* viewer,
                    const ProgramLauncher& launcher);
