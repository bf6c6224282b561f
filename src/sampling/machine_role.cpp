// Judging this machine's network and product role from what the system reports.
#include "sampling/machine_role.h"

uint32_t NetworkRoleFromServerType(uint32_t type, bool joined) {
  if (type & 0x10) return kRoleBackupController;
  if (type & 0x08) return kRolePrimaryController;
  return joined ? kRoleDomainMember : kRoleStandalone;
}

uint32_t ProductRole(const ProductInstallation& installed, uint32_t networkRole, bool joined) {
  if (installed.clientInstalled) return 4;
  if (!installed.serverInstalled) return 0;
  if (networkRole == kRolePrimaryController) return 1;
  // A backup controller is a slave unless told otherwise; a member server only when told.
  bool slave = installed.slaveModeSet ? installed.slaveMode : networkRole == kRoleBackupController;
  if (networkRole == kRoleBackupController) return slave ? 2 : 3;
  if (!joined) return 3;
  return slave ? 2 : 3;
}
