#include "control/MqttSettings.h"
#include "control/MqttTopics.h"

#include "base/TextEncoding.h"
#include "cli/CliTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{
struct SUrlCase
{
    std::string strUrl;
    std::string strAddress; // empty: refused
    bool bTls = false;
    std::string strUser, strPassword;
};

TEST(MqttSettingsTest, ReadsBrokerUrlsAndRefusesWhatMakesNoSense)
{
    const SUrlCase cases[] = {
        {"mqtt://broker.lan", "broker.lan:1883", false, "", ""},
        {"mqtts://broker.lan/", "broker.lan:8883", true, "", ""},
        {"mqtt://quorbit:p%40ss:w@10.0.0.2:1884", "10.0.0.2:1884", false, "quorbit", "p@ss:w"},
        {"mqtt://[fd00::1]:1885", "[fd00::1]:1885", false, "", ""},
        {"mqtt://[fd00::1]", "[fd00::1]:1883", false, "", ""},
        {"http://broker.lan", "", false, "", ""},
        {"mqtt://", "", false, "", ""},
        {"mqtt://broker.lan:", "", false, "", ""},
        {"mqtt://broker.lan:0", "", false, "", ""},
        {"mqtt://broker.lan:65536", "", false, "", ""},
        {"mqtt://broker.lan:1883x", "", false, "", ""},
        {"mqtt://broker.lan/topic", "", false, "", ""},
        {"mqtt://[fd00::1", "", false, "", ""},
        {"mqtt://user:%4@broker.lan", "", false, "", ""},
    };
    for (const SUrlCase& test : cases)
    {
        SMqttSettings settings;
        std::string strError;
        const bool bMade = MakeMqttSettings(test.strUrl, "", "den", settings, strError);
        EXPECT_EQ(bMade, !test.strAddress.empty()) << test.strUrl;
        if (!bMade)
        {
            EXPECT_TRUE(strError.starts_with(test.strUrl + ": ")) << strError;
            continue;
        }
        EXPECT_EQ(settings.GetAddress(), test.strAddress) << test.strUrl;
        EXPECT_EQ(settings.bTls, test.bTls) << test.strUrl;
        EXPECT_EQ(settings.strUser, test.strUser) << test.strUrl;
        EXPECT_EQ(settings.strPassword, test.strPassword) << test.strUrl;
    }
}

TEST(MqttSettingsTest, APasswordFileMustBePrivateAndANodeOneTopicLevel)
{
    const CTempFolder folder;
    const std::string strFile = folder.File("password");
    WriteFileBytes(strFile, "s3cret\nignored\n");
    SMqttSettings settings;
    std::string strError;
    chmod(strFile.c_str(), 0640);
    EXPECT_FALSE(MakeMqttSettings("mqtt://h", strFile, "", settings, strError));
    EXPECT_NE(strError.find("chmod 600"), std::string::npos) << strError;
    chmod(strFile.c_str(), 0600);
    ASSERT_TRUE(MakeMqttSettings("mqtt://u:url@h", strFile, "", settings, strError)) << strError;
    EXPECT_EQ(settings.strPassword, "s3cret");
    EXPECT_EQ(settings.strNode, GetHostNodeName());
    EXPECT_FALSE(MakeMqttSettings("mqtt://h", folder.File("missing"), "", settings, strError));
    EXPECT_NE(strError.find("missing"), std::string::npos) << strError;
    EXPECT_FALSE(MakeMqttSettings("mqtt://h", "", "upstairs/den", settings, strError));
}

TEST(MqttTopicsTest, AnyNameIsOneTopicLevelAndReadsBack)
{
    const CMqttTopics topics("den");
    for (const std::string strName : {"Ch+", "A/B", "50%", "#1", "Tab\there", "Vol-", "Fünf"})
    {
        const std::string strTopic = topics.GetPress(strName, strName);
        EXPECT_EQ(strTopic.find_first_of("+#\t"), std::string::npos) << strTopic;
        std::string strRemote, strButton;
        ASSERT_TRUE(topics.ParsePress(strTopic, strRemote, strButton)) << strTopic;
        EXPECT_EQ(strRemote, strName);
        EXPECT_EQ(strButton, strName);
    }
    std::string strRemote, strButton;
    EXPECT_FALSE(topics.ParsePress("quorbit/den/TV/press", strRemote, strButton));
    EXPECT_FALSE(topics.ParsePress("quorbit/kitchen/TV/Power/press", strRemote, strButton));
}
} // namespace
