// Reading the boot options the timing code cares about.
#include "platform/start_options.h"

#include <gtest/gtest.h>

TEST(StartOptions, NamesAreFoundWithoutRegardToCase) {
  struct Case {
    const char* text;
    bool tick, platform, hypervisor;
  } cases[] = {
      {"", false, false, false},
      {" NOEXECUTE=OPTIN  DISABLEDYNAMICTICK", true, false, false},
      {"useplatformclock=true hypervisorlaunchtype=auto", false, true, true},
      {"DisableDynamicTic UsePlatformClok", false, false, false},
  };
  for (const Case& c : cases) {
    StartOptions options = ParseStartOptions(c.text);
    EXPECT_EQ(options.disableDynamicTick, c.tick) << c.text;
    EXPECT_EQ(options.usePlatformClock, c.platform) << c.text;
    EXPECT_EQ(options.hypervisorLaunchType, c.hypervisor) << c.text;
  }
}
