// The one launch state of the process.
#include "applet/launch_state.h"

namespace {

LaunchState g_launch;

}  // namespace

LaunchState& AppletLaunchState() { return g_launch; }
