// The five pages of the applet's property sheet.
#pragma once

class CBasicPropSheet;

// Adds Status, History, Setup, Alerts and Logs to sheet, in this order.
void AddAppletPages(CBasicPropSheet* sheet);
