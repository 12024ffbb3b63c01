#include "control/MqttProbe.h"
#include "support/CLoopbackPort.h"

#include <gtest/gtest.h>

namespace
{
// A port that takes the connection and never answers the login: the probe gives up after the
// wait it was given and says so, rather than holding the window until the kernel gives up.
TEST(MqttProbeTest, ABrokerThatNeverAnswersIsGivenUpAfterTheWait)
{
    const CLoopbackPort silent;
    SMqttSettings settings;
    settings.strHost = "127.0.0.1";
    settings.nPort = silent.GetPort();
    settings.strNode = "living-room";
    EXPECT_EQ(ProbeMqttBroker(settings, 200), "127.0.0.1:" + std::to_string(silent.GetPort()) +
                                                  " did not answer the login within 1 s");
}
} // namespace
