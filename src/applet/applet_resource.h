// Resource identifiers of the Control Panel entry point: the name and description it gives
// Control Panel beside the framework's icon. applet/res/applet.rc holds the strings.
#pragma once

#define IDS_APPLET_NAME 3
#define IDS_APPLET_INFO 4
