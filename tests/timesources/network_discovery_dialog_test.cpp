// The network discovery dialog driven under Wine over settings in memory, for machines with
// and without each address family.
#include "timesources/network_discovery_dialog.h"

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/module.h"
#include "support/dialog_steps.h"
#include "timesources/timesources_resource.h"
#include "ui/activation_context.h"

namespace {

class NetworkDiscoveryDialogTest : public ::testing::Test {
 protected:
  NetworkDiscoveryDialogTest() {
    static const INITCOMMONCONTROLSEX controls = {sizeof controls, 0x0FFF};
    InitCommonControlsEx(&controls);
  }
  // Runs the dialog for a machine with available families; the step gets the dialog window.
  INT_PTR Run(FamilyAvailability available, std::function<void(HWND)> step, int button) {
    CStepDriver driver({PressWhenShown("Network Discovery", button, step)});
    CNetworkDiscoverySettings dialog(available);
    dialog.SetInitParam(reinterpret_cast<LPARAM>(&settings));
    INT_PTR result = dialog.RunModal(AppletModule(), IDD_NETWORK_DISCOVERY, nullptr);
    EXPECT_TRUE(driver.Finished());
    return result;
  }
  CActivationScope activation{AppletModule()};
  NetworkDiscoverySettings settings;
};

TEST_F(NetworkDiscoveryDialogTest, ShowsTheSettingsAndTheirEnablement) {
  settings.ipv4BroadcastUseAllSubnets = false;
  settings.udpSendTimeout = 125;
  EXPECT_EQ(Run({true, true},
                [](HWND d) {
                  EXPECT_TRUE(Checked(d, IDC_DISCOVERY_V4M_ENABLED));
                  EXPECT_TRUE(Checked(d, IDC_DISCOVERY_V4M_ALL));
                  EXPECT_EQ(Text(d, IDC_DISCOVERY_V4M_OV2), "239.192.99.9");
                  EXPECT_EQ(Text(d, IDC_DISCOVERY_V4M_TTL), "4");
                  EXPECT_FALSE(Checked(d, IDC_DISCOVERY_V6M_ENABLED));
                  EXPECT_FALSE(Enabled(d, IDC_DISCOVERY_V6M_OV2));
                  EXPECT_TRUE(Checked(d, IDC_DISCOVERY_BC_PRIMARY));
                  EXPECT_TRUE(Enabled(d, IDC_DISCOVERY_BC_ADDRESS));
                  EXPECT_FALSE(Enabled(d, IDC_DISCOVERY_BC_LIST));
                  EXPECT_EQ(Text(d, IDC_DISCOVERY_SEND), "125");
                  EXPECT_EQ(Text(d, IDC_DISCOVERY_SEND_UNIT), "ms (1 to 5000)");
                  EXPECT_EQ(Text(d, IDC_DISCOVERY_RECEIVE_UNIT), "ms (2 to 15000)");
                  EXPECT_EQ(Chosen(d, IDC_DISCOVERY_PRESETS), "[Choose]");
                  EXPECT_FALSE(Enabled(d, IDC_DISCOVERY_APPLY));
                  SendDlgItemMessageA(d, IDC_DISCOVERY_BC_CUSTOM, BM_CLICK, 0, 0);
                  EXPECT_FALSE(Enabled(d, IDC_DISCOVERY_BC_ADDRESS));
                  EXPECT_TRUE(Enabled(d, IDC_DISCOVERY_BC_LIST));
                  SendDlgItemMessageA(d, IDC_DISCOVERY_BC_ENABLED, BM_CLICK, 0, 0);
                  EXPECT_FALSE(Enabled(d, IDC_DISCOVERY_BC_LIST));
                  EXPECT_FALSE(Enabled(d, IDC_DISCOVERY_BC_ALL));
                  SendDlgItemMessageA(d, IDC_DISCOVERY_V4M_ENABLED, BM_CLICK, 0, 0);
                  EXPECT_FALSE(Enabled(d, IDC_DISCOVERY_V4M_TTL));
                },
                IDCANCEL),
            IDCANCEL);
  EXPECT_EQ(settings.udpSendTimeout, 125u);  // Cancel stores nothing
  EXPECT_FALSE(settings.ipv4BroadcastUseCustomList);
}

// OK also keeps a custom list longer than the 4096 bytes the list was once read back with.
TEST_F(NetworkDiscoveryDialogTest, WithoutIpv6TheBoxShowsUncheckedAndOkStoresItOff) {
  settings.ipv6MulticastEnabled = true;
  std::vector<std::string> many;
  for (int i = 0; i < 400; ++i) many.push_back("10." + std::to_string(i / 250) + "." + std::to_string(i % 250) + ".255");
  settings.ipv4BroadcastCustomList = many;
  EXPECT_EQ(Run({true, false},
                [](HWND d) {
                  EXPECT_FALSE(Checked(d, IDC_DISCOVERY_V6M_ENABLED));
                  SendDlgItemMessageA(d, IDC_DISCOVERY_V6M_ENABLED, BM_CLICK, 0, 0);
                  EXPECT_TRUE(Checked(d, IDC_DISCOVERY_V6M_ENABLED));
                  SetText(d, IDC_DISCOVERY_V4M_TTL, "300");
                  SetText(d, IDC_DISCOVERY_RECEIVE, "1");
                },
                IDOK),
            IDOK);
  EXPECT_FALSE(settings.ipv6MulticastEnabled);
  EXPECT_EQ(settings.ipv4MulticastTtl, 255u);
  EXPECT_EQ(settings.udpRecvTimeout, 2u);
  EXPECT_EQ(settings.ipv4BroadcastCustomList, many);
}

TEST_F(NetworkDiscoveryDialogTest, ResetToDefaultsUsesTheDialogsOwnDefaults) {
  settings.ipv4BroadcastCustomList = {"10.9.255.255"};
  settings.ipv4BroadcastUseCustomList = true;
  EXPECT_EQ(Run({true, true},
                [](HWND d) {
                  SetText(d, IDC_DISCOVERY_V6M_NTP, "FF05::42");
                  Click(d, IDC_DISCOVERY_RESET);
                  EXPECT_TRUE(Checked(d, IDC_DISCOVERY_V4M_PRIMARY));
                  EXPECT_EQ(Text(d, IDC_DISCOVERY_V6M_NTP), "FF05::101");
                  EXPECT_TRUE(Checked(d, IDC_DISCOVERY_BC_ALL));
                  EXPECT_EQ(Text(d, IDC_DISCOVERY_BC_LIST), "10.9.255.255");
                },
                IDOK),
            IDOK);
  EXPECT_EQ(settings.ipv4MulticastTtl, 8u);
  EXPECT_EQ(settings.ipv6MulticastHops, 8u);
  EXPECT_EQ(settings.udpSendTimeout, 3u);
  EXPECT_EQ(settings.udpRecvTimeout, 1000u);
  EXPECT_FALSE(settings.ipv4MulticastUseAllSubnets);
  EXPECT_TRUE(settings.ipv4BroadcastUseAllSubnets);
  EXPECT_FALSE(settings.ipv4BroadcastUseCustomList);
  EXPECT_EQ(settings.ipv6MulticastAddressNTP, "FF05::101");
  EXPECT_EQ(settings.ipv4BroadcastCustomList, std::vector<std::string>{"10.9.255.255"});
}

// Addresses the IPv4 controls cannot show in full stay as stored when OK finds them unchanged.
TEST_F(NetworkDiscoveryDialogTest, StoredAddressesTheControlsCannotHoldSurviveOk) {
  settings.ipv4MulticastAddressNTP = "224.0.1.1:123";
  settings.ipv4BroadcastAddress = "broadcast.example";
  settings.ipv4BroadcastUseAllSubnets = false;
  std::string ntp, broadcast;
  bool broadcastBlank = false;
  EXPECT_EQ(Run({true, true},
                [&](HWND d) {
                  ntp = Text(d, IDC_DISCOVERY_V4M_NTP);
                  broadcastBlank = SendDlgItemMessageA(d, IDC_DISCOVERY_BC_ADDRESS, IPM_ISBLANK, 0, 0) != 0;
                  SendDlgItemMessageA(d, IDC_DISCOVERY_V4M_OV2, IPM_SETADDRESS, 0, MAKEIPADDRESS(239, 1, 2, 3));
                },
                IDOK),
            IDOK);
  EXPECT_EQ(ntp, "224.0.1.1");
  EXPECT_TRUE(broadcastBlank);
  EXPECT_EQ(settings.ipv4MulticastAddressNTP, "224.0.1.1:123");
  EXPECT_EQ(settings.ipv4BroadcastAddress, "broadcast.example");
  EXPECT_EQ(settings.ipv4MulticastAddressOV2, "239.1.2.3");
}

// The custom list has its label, which greys with it; Reset checks broadcast on any machine.
TEST_F(NetworkDiscoveryDialogTest, CustomListIsLabelledAndResetChecksBroadcastWithoutIpv4) {
  std::string label;
  bool labelEnabled = true, broadcastAfterReset = false;
  EXPECT_EQ(Run({false, true},
                [&](HWND d) {
                  HWND before = GetWindow(GetDlgItem(d, IDC_DISCOVERY_BC_LIST), GW_HWNDPREV);
                  label = WindowText(before);
                  labelEnabled = IsWindowEnabled(before) != FALSE;
                  EXPECT_FALSE(Checked(d, IDC_DISCOVERY_BC_ENABLED));
                  Click(d, IDC_DISCOVERY_RESET);
                  broadcastAfterReset = Checked(d, IDC_DISCOVERY_BC_ENABLED);
                },
                IDOK),
            IDOK);
  EXPECT_EQ(label, "Custom broadcast addresses");
  EXPECT_FALSE(labelEnabled);
  EXPECT_TRUE(broadcastAfterReset);
  EXPECT_FALSE(settings.ipv4BroadcastEnabled);
}

}  // namespace
