// The five pages of the applet's property sheet.
#pragma once

class CBasicPropSheet;
struct CMonitorSettings;

// Adds Status, History, Setup, Alerts and Logs to sheet, in this order, each editing settings.
void AddAppletPages(CBasicPropSheet* sheet, CMonitorSettings* settings);
