// This machine's network and product role, and the global object names.
#include "sampling/machine_role.h"

#include <gtest/gtest.h>

#include "platform/object_names.h"

namespace {

TEST(GlobalObjectName, NamingRule) {
  EXPECT_EQ(GlobalObjectName("ovmon-cpl-event"), "Global\\ovmon-cpl-event");
  EXPECT_EQ(GlobalObjectName("Global\\x"), "Global\\x");
  EXPECT_EQ(GlobalObjectName("Local\\x"), "Local\\x");
  EXPECT_EQ(GlobalObjectName("global\\x"), "Global\\global\\x");  // the prefixes are matched exactly
  EXPECT_EQ(GlobalObjectName(std::string(300, 'a')).size(), 260u);
}

TEST(NetworkRole, FromServerTypeBits) {
  EXPECT_EQ(NetworkRoleFromServerType(0x10 | 0x08, true), kRoleBackupController);
  EXPECT_EQ(NetworkRoleFromServerType(0x08, true), kRolePrimaryController);
  EXPECT_EQ(NetworkRoleFromServerType(0x01000000, true), kRoleDomainMember);
  EXPECT_EQ(NetworkRoleFromServerType(0, false), kRoleStandalone);
}

TEST(ProductRole, Table) {
  const struct {
    bool client, server, slaveSet, slave;
    uint32_t networkRole;
    bool joined;
    uint32_t role;
  } cases[] = {
      {true, true, false, false, kRolePrimaryController, true, 4},  // both installed: the client wins
      {false, false, false, false, kRoleDomainMember, true, 0},
      {false, true, false, false, kRolePrimaryController, true, 1},
      {false, true, false, false, kRoleBackupController, true, 2},  // backup: slave unless told otherwise
      {false, true, true, false, kRoleBackupController, true, 3},
      {false, true, true, true, kRoleStandalone, false, 3},         // not joined
      {false, true, false, false, kRoleDomainMember, true, 3},      // member: slave only when told
      {false, true, true, true, kRoleDomainMember, true, 2},
  };
  for (const auto& c : cases) {
    ProductInstallation installed{c.client, c.server, c.slaveSet, c.slave};
    EXPECT_EQ(ProductRole(installed, c.networkRole, c.joined), c.role)
        << c.client << c.server << c.slaveSet << c.slave << " " << c.networkRole << c.joined;
  }
}

}  // namespace
