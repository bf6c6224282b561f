// This machine's place in its network: domain membership, network role and the role of
// the family's product installed here.
#pragma once
#include <cstdint>
#include <string>

// Network roles.
constexpr uint32_t kRoleStandalone = 1;
constexpr uint32_t kRoleDomainMember = 2;
constexpr uint32_t kRolePrimaryController = 8;
constexpr uint32_t kRoleBackupController = 16;

struct LocalMachineRole {
  std::string computerName;           // up to 15 characters
  std::string domainName;             // up to 63 characters; "WORKGROUP" when none
  bool joined = false;                // the primary domain has a security identifier
  bool workgroupIsComputerName = true;
  uint32_t networkRole = kRoleStandalone;
  bool cluster = false;
  std::string domainControllerName;   // without leading backslashes
  uint32_t productRole = 0;
};

// What the registry says about the family's services.
struct ProductInstallation {
  bool clientInstalled = false;
  bool serverInstalled = false;
  bool slaveModeSet = false;  // "Slave Mode" of the server's Parameters, when present
  bool slaveMode = false;     // its value
};

// The network role from the server service's type bits (0x10 backup, 0x08 primary controller).
uint32_t NetworkRoleFromServerType(uint32_t type, bool joined);
// The product role: 4 client; 0 no server; 1 primary controller; else 2 (slave mode) or 3.
uint32_t ProductRole(const ProductInstallation& installed, uint32_t networkRole, bool joined);

// Fills the role once, under its lock; waits for the server service while the machine is young.
const LocalMachineRole& DetectLocalMachineRole();
