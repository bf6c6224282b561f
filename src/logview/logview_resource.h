// Resource identifiers of the log viewer: its window, menu and icons. logview/res/logview.rc
// holds what they name.
#pragma once

// Log viewer window (template 204) with its menu (50) and icons.
#define IDD_LOG_VIEWER 204
#define IDR_LOG_VIEWER_MENU 50
#define IDI_LOG_VIEWER 152
#define IDI_LOG_PAUSED 3158
#define IDC_LOG_FIND_TEXT 1221
#define IDC_LOG_FONT_FACE 1236
#define IDC_LOG_FILES 1238
#define IDC_LOG_FONT_SIZE 1239
#define IDC_LOG_FIND 1240
#define IDC_LOG_TEXT 1094
#define IDC_LOG_NOTICE 1503
#define IDC_LOG_NOTICE_ICON 3158
#define IDM_LOG_OPEN_FILE 1285
#define IDM_LOG_CLEAR 1099
#define IDM_LOG_NOTEPAD 1008
#define IDM_LOG_REFRESH 1276
#define IDM_LOG_AUTO_REFRESH 1277
#define IDM_LOG_SHOW_DATE 1283
#define IDM_LOG_SHOW_TIME 1282
#define IDM_LOG_SHOW_LEVEL 1281
#define IDM_LOG_SHOW_COLORS 1286
