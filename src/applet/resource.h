// Resource identifiers of the applet module.
#pragma once

#define IDI_APPLET 2
#define IDS_APPLET_NAME 3
#define IDS_APPLET_INFO 4
#define IDR_MANIFEST_ISOLATION 2
#define IDR_MANIFEST_SHARED 123
