#include "platform/system_shutdown.h"

#include <gtest/gtest.h>

#include <set>

namespace vc {

// Only the question is put to logind here; PowerOff itself is never called by a test.
TEST(SystemShutdown, CanPowerOffAnswersWithOneOfLogindsWordsOrNothing) {
    const std::set<std::string> known{"", "yes", "no", "challenge", "na"};
    EXPECT_TRUE(known.count(LogindShutdown::CanPowerOff())) << LogindShutdown::CanPowerOff();
}

} // namespace vc
