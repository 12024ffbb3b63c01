#include "control/MqttSettings.h"
#include "control/MqttTopics.h"

#include "base/TextEncoding.h"
#include "cli/CLoadedDocument.h"
#include "cli/CliTestSupport.h"
#include "device/COsClock.h"
#include "device/CSimulatedRemote.h"
#include "signal/SignalDurations.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <set>

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
    // A password with no user would never be sent.
    EXPECT_FALSE(MakeMqttSettings("mqtt://h", strFile, "", settings, strError));
    EXPECT_NE(strError.find(strFile + ": a password goes with a user"), std::string::npos)
        << strError;
    // A FIFO no program writes to would hold the start for ever: refused unread, as a device is.
    const std::string strFifo = folder.File("fifo");
    ASSERT_EQ(mkfifo(strFifo.c_str(), 0600), 0);
    EXPECT_FALSE(MakeMqttSettings("mqtt://u@h", strFifo, "", settings, strError));
    EXPECT_EQ(strError, strFifo + ": a password file is a small regular file");
    // The node is the hub's node level and the login an access list matches.
    for (const std::string strNode : {"upstairs/den", "den room", "den.lan", "d%6En", "den+"})
    {
        EXPECT_FALSE(MakeMqttSettings("mqtt://h", "", strNode, settings, strError)) << strNode;
        EXPECT_NE(strError.find(strNode), std::string::npos) << strError;
    }
    EXPECT_TRUE(MakeMqttSettings("mqtt://h", "", "Living_room-2", settings, strError));
}

TEST(MqttSettingsTest, APasswordIsTakenOutOfTheAddressAndNothingElse)
{
    const std::pair<std::string, std::string> cases[] = {
        {"mqtt://u:p@h", "mqtt://u@h"},
        {"mqtts://u:@[fd00::1]:8883", "mqtts://u@[fd00::1]:8883"},
        {"mqtt://u:p%40ss:w@h:1884/", "mqtt://u@h:1884/"},
        {"mqtt://u@[fd00::1]:1883", "mqtt://u@[fd00::1]:1883"},
        {"mqtt://h:1883", "mqtt://h:1883"},
        {"mqtt://h/a:b@c", "mqtt://h/a:b@c"},
        {"broker.lan", "broker.lan"},
    };
    for (const auto& [strUrl, strKept] : cases)
        EXPECT_EQ(RemoveUrlPassword(strUrl), strKept) << strUrl;
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

// Names that join to one text ("A/B" + "C", "A" + "B/C") or differ only where an id cannot
// show it ("Ch+", "Ch-", "Ch_2B") get discovery topics and unique ids of their own, each a level
// the hub takes: [a-zA-Z0-9_-]+.
TEST(MqttTopicsTest, EveryButtonHasATopicAndIdsOfItsOwn)
{
    COsClock osClock;
    CLoadedDocument loaded(osClock);
    CQuorbexDoc& doc = loaded.GetDocument();
    doc.OnNewDocument();
    const CSimulatedRemote::CRuns frame = CSimulatedRemote::MakeFrame(0x04, 0x12);
    const std::pair<std::string, std::vector<std::string>> remotes[] = {
        {"A/B", {"C"}}, {"A", {"B/C", "Ch+", "Ch-", "Ch_2B", "Ch 2B"}}, {"A_2FB", {"C"}}};
    for (const auto& [strRemote, buttons] : remotes)
    {
        CRemote* pRemote = doc.AddRemote(strRemote, 7);
        ASSERT_NE(pRemote, nullptr) << strRemote;
        for (const std::string& strButton : buttons)
        {
            CRemoteButton* pButton = doc.AddButton(*pRemote, strButton, "", false);
            ASSERT_NE(pButton, nullptr) << strButton;
            pButton->m_bits = ToBitstream({frame.begin() + 1, frame.end()}, 1000);
        }
    }
    const CMqttTopics topics("den");
    std::set<std::string> uniqueIds, devices;
    int nButtons = 0;
    for (const auto& [strTopic, strPayload] : topics.MakeRetained(&doc))
    {
        if (!strTopic.starts_with("homeassistant/button/"))
            continue;
        ++nButtons;
        const std::string strObject =
            strTopic.substr(std::string("homeassistant/button/den/").size(), strTopic.size() - 32);
        EXPECT_EQ(strObject.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                              "0123456789_-"),
                  std::string::npos)
            << strTopic;
        const nlohmann::json config = nlohmann::json::parse(strPayload);
        uniqueIds.insert(config["unique_id"].get<std::string>());
        devices.insert(config["device"]["identifiers"][0].get<std::string>());
    }
    EXPECT_EQ(nButtons, 7);
    EXPECT_EQ(uniqueIds.size(), 7u);
    EXPECT_EQ(devices.size(), 3u);
}
} // namespace
