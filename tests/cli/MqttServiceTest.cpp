#include "control/CMqttService.h"

#include "cli/CHeadlessRunner.h"
#include "support/CLoopbackPort.h"
#include "support/CMosquittoBroker.h"
#include "support/CMqttTestClient.h"
#include "support/CRecordingDevice.h"
#include "support/CScriptedClock.h"
#include "support/CScriptedTickSource.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace
{
const std::string kLivingRoom = QUORBIT_EXAMPLES "/living-room.qb";
const std::string kNode = "living-room";
const std::string kRoot = "quorbit/living-room/";
const std::string kDiscovery = "homeassistant/";

// The sample document run headless on a recording unit, on a broker of the test's own; the
// hub's side subscribes to everything.
class CMqttServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!CMosquittoBroker::IsInstalled())
            GTEST_SKIP() << "the mosquitto broker is not installed";
        ASSERT_TRUE(m_broker.Start());
        ASSERT_TRUE(m_runner.Start());
    }
    ~CMqttServiceTest() override { std::fclose(m_pOut); }

    SMqttSettings MakeSettings(const std::string& strPassword = CMosquittoBroker::kQuorbitPassword)
    {
        return {"127.0.0.1", m_broker.GetPort(), false, CMosquittoBroker::kQuorbitUser, strPassword,
                kNode};
    }
    CMqttService& StartService(const SMqttSettings& settings)
    {
        m_pService = std::make_unique<CMqttService>(m_runner, settings);
        m_runner.SetMqttStateSource([this] { return m_pService->GetStateText(); });
        m_pService->Start();
        return *m_pService;
    }
    CMqttTestClient& ConnectHub()
    {
        m_pHub = std::make_unique<CMqttTestClient>(m_broker.GetPort());
        EXPECT_TRUE(m_pHub->IsConnected());
        m_pHub->Subscribe("#");
        return *m_pHub;
    }

    // Serves the service, as the event loop and the beat do, and the hub until done holds;
    // false when it still does not after ten seconds.
    bool ServeUntil(const std::function<bool()>& done)
    {
        for (int nRound = 0; nRound < 1000; ++nRound)
        {
            CWatchedSource* const sources[] = {m_pService.get()};
            ServeSources(sources, 5);
            m_pService->Beat();
            if (m_pHub)
                m_pHub->Pump(5);
            if (done())
                return true;
        }
        return false;
    }
    // ServeUntil serving another service too.
    bool ServeBothUntil(CMqttService& other, const std::function<bool()>& done)
    {
        return ServeUntil(
            [&]
            {
                CWatchedSource* const sources[] = {&other};
                ServeSources(sources, 5);
                other.Beat();
                return done();
            });
    }
    // Once "online" is put back over an "offline" the hub says, Quorbit has read everything the
    // broker held before; false when it is not put back.
    bool ServeUntilEverythingRead()
    {
        const std::size_t nMark = m_pHub->m_messages.size();
        m_pHub->Publish(kRoot + "availability", "offline", false);
        return ServeUntil(
            [&]
            {
                return std::any_of(m_pHub->m_messages.begin() + static_cast<std::ptrdiff_t>(nMark),
                                   m_pHub->m_messages.end(),
                                   [](const CMqttTestClient::SMessage& message)
                                   { return message.strPayload == "online"; });
            });
    }
    bool HubHas(const std::string& strTopic) { return m_pHub->FindLast(strTopic) != nullptr; }
    // Whether the last the hub heard on the topic is the payload.
    bool HubHeard(const std::string& strTopic, const std::string& strPayload)
    {
        const CMqttTestClient::SMessage* pMessage = m_pHub->FindLast(strTopic);
        return pMessage && pMessage->strPayload == strPayload;
    }

    CMosquittoBroker m_broker;
    CScriptedClock m_clock{CTime(2026, 12, 7, 8, 0, 0)};
    CScriptedTickSource m_ticks;
    CRecordingDevice m_device{m_ticks};
    std::FILE* m_pOut = std::tmpfile();
    CHeadlessRunner m_runner{kLivingRoom, m_device, m_clock, m_ticks, m_pOut, stderr};
    std::unique_ptr<CMqttTestClient> m_pHub;
    std::unique_ptr<CMqttService> m_pService;
};

nlohmann::json ReadJson(const CMqttTestClient::SMessage* pMessage)
{
    return pMessage ? nlohmann::json::parse(pMessage->strPayload, nullptr, false)
                    : nlohmann::json();
}

TEST_F(CMqttServiceTest, PublishesEveryLearnedButtonForTheHubAndClearsItsOwnStaleOnes)
{
    CMqttTestClient& hub = ConnectHub();
    const std::string strOurs = R"({"availability_topic":"quorbit/living-room/availability")";
    // Left by an earlier run for a button deleted since, and by an earlier version, which had
    // no node level.
    const std::string strStale = kDiscovery + "button/living-room/TV__Gone/config";
    const std::string strOld = kDiscovery + "button/quorbit_living-room_TV_Gone_0123abcd/config";
    hub.Publish(strStale, strOurs + R"(,"unique_id":"quorbit_living-room__TV__Gone"})", true);
    hub.Publish(strOld, strOurs + "}", true);
    // Another PC's, and the hub's own that uses this node's availability: not Quorbit's to
    // clear.
    const std::string strOther = kDiscovery + "button/kitchen/Fan__Power/config";
    const std::string strOtherConfig = R"({"availability_topic":"quorbit/kitchen/availability"})";
    const std::string strHubs = kDiscovery + "button/tv_macro/config";
    const std::string strHubsInNode = kDiscovery + "button/living-room/macro/config";
    hub.Publish(strOther, strOtherConfig, true);
    hub.Publish(strHubs, strOurs + "}", true);
    hub.Publish(strHubsInNode, strOurs + R"(,"unique_id":"hub_macro"})", true);
    // As the hub, as under the earlier access list: allowed to clear anything, it must keep to
    // its own.
    SMqttSettings settings = MakeSettings(CMosquittoBroker::kHubPassword);
    settings.strUser = "hub";
    StartService(settings);
    ASSERT_TRUE(ServeUntil(
        [&]
        { return HubHas(kRoot + "status") && HubHeard(strStale, "") && HubHeard(strOld, ""); }));
    EXPECT_EQ(hub.FindLast(kRoot + "availability")->strPayload, "online");
    ASSERT_TRUE(ServeUntilEverythingRead());
    EXPECT_EQ(hub.FindLast(strOther)->strPayload, strOtherConfig) << "another PC's was cleared";
    EXPECT_EQ(hub.FindLast(strHubs)->strPayload, strOurs + "}");
    EXPECT_EQ(hub.FindLast(strHubsInNode)->strPayload, strOurs + R"(,"unique_id":"hub_macro"})");

    std::map<std::string, nlohmann::json> buttons; // by command topic
    std::map<std::string, nlohmann::json> switches;
    std::set<std::string> uniqueIds;
    std::string strNodeDevice;
    for (const CMqttTestClient::SMessage& message : hub.m_messages)
    {
        const nlohmann::json config = ReadJson(&message);
        if (message.strTopic.starts_with(kDiscovery + "sensor/living-room/") && config.is_object())
            strNodeDevice = config["device"]["identifiers"][0];
        if (message.strTopic.starts_with(kDiscovery + "switch/living-room/") && config.is_object())
            switches[config["command_topic"]] = config;
        if (!message.strTopic.starts_with(kDiscovery + "button/living-room/") ||
            !config.contains("command_topic"))
            continue;
        // The hub knows the device a button points at through via_device before the button.
        EXPECT_FALSE(strNodeDevice.empty()) << message.strTopic;
        EXPECT_EQ(message.strTopic, kDiscovery + "button/living-room/" +
                                        config["unique_id"].get<std::string>().substr(
                                            std::string("quorbit_living-room__").size()) +
                                        "/config");
        buttons[config["command_topic"]] = config;
        uniqueIds.insert(config["unique_id"].get<std::string>());
    }
    // The sample's 29 buttons but its never learned Teletext; Ch+ and Ch- apart.
    EXPECT_EQ(buttons.size(), 28u);
    EXPECT_FALSE(buttons.contains(kRoot + "TV/Teletext/press"));
    EXPECT_EQ(uniqueIds.size(), buttons.size());
    const nlohmann::json& channelUp = buttons[kRoot + "TV/Ch%2B/press"];
    EXPECT_EQ(channelUp["name"], "Next channel");
    EXPECT_EQ(channelUp["payload_press"], "PRESS");
    EXPECT_EQ(channelUp["availability_topic"], kRoot + "availability");
    EXPECT_EQ(channelUp["device"]["name"], "TV (living-room)");
    EXPECT_EQ(channelUp["device"]["via_device"], strNodeDevice);
    EXPECT_NE(buttons[kRoot + "Video/Play/press"]["device"]["identifiers"],
              channelUp["device"]["identifiers"]);

    // A switch for each of the sample's six events, showing whether it is on.
    EXPECT_EQ(switches.size(), 6u);
    const nlohmann::json& sundayFilm = switches[kRoot + "events/Sunday film/set"];
    EXPECT_EQ(sundayFilm["state_topic"], kRoot + "events/Sunday film/state");
    EXPECT_EQ(hub.FindLast(kRoot + "events/Sunday film/state")->strPayload, "OFF");
    EXPECT_EQ(hub.FindLast(kRoot + "events/Lights out/state")->strPayload, "ON");

    const nlohmann::json status = ReadJson(hub.FindLast(kRoot + "status"));
    EXPECT_EQ(status["document"], kLivingRoom);
    EXPECT_EQ(status["device"], "recording");
    EXPECT_EQ(status["firing"], false);
    EXPECT_TRUE(status["next_event"].contains("name")) << status;

    m_pService.reset();
    for (int nRound = 0;
         nRound < 200 && hub.FindLast(kRoot + "availability")->strPayload != "offline"; ++nRound)
        hub.Pump(10);
    EXPECT_EQ(hub.FindLast(kRoot + "availability")->strPayload, "offline");
}

// Any client may leave a configuration under the hub's prefix, and a field of it may be of any
// type: one that is not text makes it not Quorbit's, and it is left as it is, in the earlier
// layout too, instead of ending the run each time it connects.
TEST_F(CMqttServiceTest, AConfigurationWithFieldsOfAnotherTypeIsLeftAlone)
{
    CMqttTestClient& hub = ConnectHub();
    const std::string strOurs = R"({"availability_topic":"quorbit/living-room/availability",)";
    const std::pair<std::string, std::string> configs[] = {
        {kDiscovery + "button/living-room/TV__Odd/config", R"({"availability_topic":5})"},
        {kDiscovery + "button/living-room/TV__Id/config", strOurs + R"("unique_id":["TV"]})"},
        {kDiscovery + "button/quorbit_living-room_TV_Odd/config", R"({"availability_topic":{}})"},
    };
    for (const auto& [strTopic, strConfig] : configs)
        hub.Publish(strTopic, strConfig, true);
    // As the hub, so that the earlier layout is read too.
    SMqttSettings settings = MakeSettings(CMosquittoBroker::kHubPassword);
    settings.strUser = "hub";
    StartService(settings);
    ASSERT_TRUE(ServeUntil([&] { return HubHas(kRoot + "status"); }));
    ASSERT_TRUE(ServeUntilEverythingRead());
    for (const auto& [strTopic, strConfig] : configs)
        EXPECT_EQ(hub.FindLast(strTopic)->strPayload, strConfig) << strTopic;
}

TEST_F(CMqttServiceTest, RequestsActAsFireDoesAndARetainedOneNeverDoes)
{
    CMqttTestClient& hub = ConnectHub();
    hub.Publish(kRoot + "TV/Power/press", "PRESS", true);
    StartService(MakeSettings());
    ASSERT_TRUE(ServeUntil([&] { return HubHas(kRoot + "error"); }));
    EXPECT_EQ(ReadJson(hub.FindLast(kRoot + "error"))["code"], "retained");
    EXPECT_TRUE(m_device.m_sent.empty());

    // Published while Quorbit listens, a retained press still reaches it retained.
    hub.m_messages.clear();
    hub.Publish(kRoot + "TV/Power/press", "PRESS", true);
    ASSERT_TRUE(ServeUntil([&] { return HubHas(kRoot + "error"); }));
    EXPECT_EQ(ReadJson(hub.FindLast(kRoot + "error"))["code"], "retained");
    EXPECT_TRUE(m_device.m_sent.empty());

    // Clearing it, as that error asks, is no request: the only error is the next request's.
    hub.m_messages.clear();
    hub.Publish(kRoot + "TV/Power/press", "", true);
    hub.Publish(kRoot + "TV/Nope/press", "PRESS", false);
    ASSERT_TRUE(
        ServeUntil([&] { return HubHas(kRoot + "TV/Nope/press") && HubHas(kRoot + "error"); }));
    ASSERT_TRUE(ServeUntil(
        [&] { return ReadJson(hub.FindLast(kRoot + "error"))["code"] == "unknown-button"; }));
    EXPECT_EQ(
        std::ranges::count(hub.m_messages, kRoot + "error", &CMqttTestClient::SMessage::strTopic),
        1);

    hub.Publish(kRoot + "TV/Ch%2B/press", "PRESS", false);
    ASSERT_TRUE(ServeUntil([&] { return !m_device.m_sent.empty(); }));
    EXPECT_EQ(m_device.m_sent.size(), 1u);

    // An event turned off is not armed, and its switch says so.
    hub.Publish(kRoot + "events/Lights out/set", "OFF", false);
    ASSERT_TRUE(ServeUntil([&] { return HubHeard(kRoot + "events/Lights out/state", "OFF"); }));
    EXPECT_TRUE(m_runner.GetDocument().FindEvent("Lights out")->m_bDisabled);
    EXPECT_NE(m_runner.GetDocument().m_armed.m_strName, "Lights out");

    // Refused as FIRE refuses them, and said on the error topic.
    const struct
    {
        std::string strTopic, strPayload, strCode;
    } refusals[] = {
        {"TV/Nope/press", "PRESS", "unknown-button"},
        {"Attic/Power/press", "PRESS", "unknown-remote"},
        {"TV/Power/press", "ON", "malformed"},
        {"TV/Bad%2/press", "PRESS", "malformed"},
        // Another spelling of TV/Power and of TV/Ch+, past an access list on their topics.
        {"%54V/Power/press", "PRESS", "malformed"},
        {"TV/Ch%2b/press", "PRESS", "malformed"},
        {"events/Nope/set", "OFF", "unknown-event"},
        {"events/Lights out/set", "PRESS", "malformed"},
        // A press that holds the button names its milliseconds, a whole number from 1 on.
        {"TV/Power/press", R"({"hold_ms": 0})", "malformed"},
        {"TV/Power/press", R"({"hold_ms": "300"})", "malformed"},
        {"TV/Power/press", R"({"hold_ms": 300.5})", "malformed"},
        {"TV/Power/press", R"({"hold_ms": 300, "repeat": 2})", "malformed"},
        {"TV/Power/press", R"({"hold_ms": 300)", "malformed"},
        // Understood, and refused as HOLD refuses them: the recording unit plays samples far
        // shorter than a microsecond, and a megabutton's steps hold their own buttons.
        {"TV/Power/press", R"({"hold_ms": 300})", "cannot-hold"},
        {"HiFi/Party/press", R"({"hold_ms": 300})", "cannot-hold"},
        {"TV/Power/press", R"({"hold_ms": 10001})", "cannot-hold"},
    };
    for (const auto& refusal : refusals)
    {
        hub.m_messages.clear();
        hub.Publish(kRoot + refusal.strTopic, refusal.strPayload, false);
        ASSERT_TRUE(ServeUntil([&] { return HubHas(kRoot + "error"); })) << refusal.strTopic;
        EXPECT_EQ(ReadJson(hub.FindLast(kRoot + "error"))["code"], refusal.strCode)
            << refusal.strTopic;
    }
    EXPECT_EQ(m_device.m_sent.size(), 1u);
}

// The README's access list keeps each room to its own: the bedroom's login can neither rewrite
// nor clear the living room's configurations, nor press its buttons. The hub can, and what it
// changes of Quorbit's is put back while Quorbit is connected.
// "Party, then TV on, then the next channel" from the hub: the presses that come while the
// megabutton plays wait their turn instead of being refused, and go out in the order sent.
TEST_F(CMqttServiceTest, PressesDuringAMegabuttonFireAfterItInOrder)
{
    ConnectHub();
    StartService(MakeSettings());
    ASSERT_TRUE(ServeUntil([&] { return HubHas(kRoot + "status"); }));
    bool bSent = false;
    m_runner.SetIdleWait(
        [&](std::uint32_t)
        {
            m_ticks.m_nNow += 50;
            if (std::exchange(bSent, true))
                return;
            m_pHub->Publish(kRoot + "TV/Power/press", "PRESS", false);
            m_pHub->Publish(kRoot + "TV/Ch%2B/press", "PRESS", false);
            ServeUntil([&] { return m_runner.GetStatus().nQueuedFires == 2; });
        });
    m_pHub->Publish(kRoot + "HiFi/Party/press", "PRESS", false);
    ASSERT_TRUE(ServeUntil([&] { return m_device.m_sent.size() == 5; }));
    const CRemote& tv = *m_runner.GetDocument().FindRemote("TV");
    EXPECT_TRUE(
        std::ranges::equal(m_device.m_sent[3].bytes, tv.FindButton("Power")->m_bits.GetBytes()));
    EXPECT_TRUE(
        std::ranges::equal(m_device.m_sent[4].bytes, tv.FindButton("Ch+")->m_bits.GetBytes()));
    EXPECT_FALSE(HubHas(kRoot + "error"));
}

TEST_F(CMqttServiceTest, ARoomCannotTouchAnothersTopicsAndWhatIsChangedIsPutBack)
{
    CMqttTestClient& hub = ConnectHub();
    StartService(MakeSettings());
    const std::string strPower = kDiscovery + "button/living-room/TV__Power/config";
    const std::string strSensor = kDiscovery + "sensor/living-room/next_event/config";
    const std::string strLightsOut = kRoot + "events/Lights out/state";
    ASSERT_TRUE(ServeUntil([&] { return HubHas(strPower) && HubHas(strSensor); }));
    const std::string strPowerConfig = hub.FindLast(strPower)->strPayload;

    CMqttTestClient bedroom(m_broker.GetPort(), CMosquittoBroker::kOtherUser,
                            CMosquittoBroker::kOtherPassword);
    ASSERT_TRUE(bedroom.IsConnected());
    bedroom.Publish(strPower, "{}", true);
    bedroom.Publish(strSensor, "", true);
    bedroom.Publish(kRoot + "availability", "offline", true);
    bedroom.Publish(kRoot + "TV/Power/press", "PRESS", false);
    // Its own are its: what it publishes under its node level arrives.
    const std::string strBedroom = kDiscovery + "button/bedroom/HiFi__Power/config";
    bedroom.Publish(strBedroom, "{}", true);
    ASSERT_TRUE(ServeUntil(
        [&]
        {
            bedroom.Pump(5);
            return HubHas(strBedroom);
        }));
    // The broker keeps a client's messages in order: had it let any of the others through, the
    // hub would have heard them first. Quorbit puts back what it hears changed, so the retained
    // state alone would not show it.
    for (const CMqttTestClient::SMessage& message : hub.m_messages)
    {
        EXPECT_FALSE(message.strTopic == strPower && message.strPayload == "{}");
        EXPECT_FALSE(message.strTopic == strSensor && message.strPayload.empty());
        EXPECT_NE(message.strPayload, "offline") << message.strTopic;
        EXPECT_FALSE(message.strTopic.ends_with("/press")) << message.strTopic;
    }
    EXPECT_TRUE(m_device.m_sent.empty());

    hub.Publish(strPower, "", true);
    hub.Publish(kRoot + "availability", "offline", true);
    hub.Publish(strLightsOut, "OFF", true);
    hub.m_messages.clear();
    ASSERT_TRUE(ServeUntil(
        [&]
        {
            return HubHeard(strPower, strPowerConfig) &&
                   HubHeard(kRoot + "availability", "online") && HubHeard(strLightsOut, "ON");
        }));
    EXPECT_FALSE(m_runner.GetDocument().FindEvent("Lights out")->m_bDisabled);
    // The broker warns of a pattern that names no login: the earlier list had three.
    const std::string strLog = m_broker.ReadLog();
    EXPECT_NE(strLog.find("running"), std::string::npos) << strLog;
    EXPECT_EQ(strLog.find("does not contain '%c' or '%u'"), std::string::npos) << strLog;
}

// A second Quorbit under a node name already online stays off the broker and says why, instead
// of the two pushing each other off; it joins once the first has gone.
TEST_F(CMqttServiceTest, ANodeNameAlreadyOnlineIsRefusedUntilItIsFree)
{
    CMqttService& first = StartService(MakeSettings());
    ASSERT_TRUE(ServeUntil([&] { return first.GetState() == CMqttService::EState::Connected; }));
    int nFirstChanges = 0;
    first.SetStateObserver([&] { ++nFirstChanges; });

    auto pSecond = std::make_unique<CMqttService>(m_runner, MakeSettings());
    pSecond->Start();
    ASSERT_TRUE(ServeBothUntil(*pSecond, [&]
                               { return pSecond->GetState() == CMqttService::EState::NameTaken; }));
    EXPECT_NE(pSecond->GetStateText().find("another Quorbit is online as node living-room"),
              std::string::npos)
        << pSecond->GetStateText();
    // Given the time of another attempt, it never pushes the first off.
    int nRound = 0;
    ServeBothUntil(*pSecond, [&] { return ++nRound == 150; });
    EXPECT_EQ(nFirstChanges, 0);
    EXPECT_EQ(first.GetState(), CMqttService::EState::Connected);

    m_runner.SetMqttStateSource({});
    m_pService = std::move(pSecond);
    ASSERT_TRUE(
        ServeUntil([&] { return m_pService->GetState() == CMqttService::EState::Connected; }));
}

// The library leaves a TLS connection that was refused ready to read again at once, forever:
// one core spun. Served for two seconds, a service waiting to try again costs next to no CPU.
TEST_F(CMqttServiceTest, ATlsBrokerOutOfReachIsTriedAgainLaterWithoutSpinning)
{
    SMqttSettings settings = MakeSettings();
    settings.bTls = true;
    CLoopbackPort closed;
    closed.Close();
    settings.nPort = closed.GetPort();
    CMqttService& service = StartService(settings);
    const auto GetCpu = []
    {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    };
    const auto cpuBefore = GetCpu();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!ServeUntil([&] { return std::chrono::steady_clock::now() > end; }))
        ;
    const auto cpu = GetCpu() - cpuBefore;
    std::printf(
        "CPU while out of reach for 2 s: %lld ms\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(cpu).count()));
    EXPECT_LT(cpu, std::chrono::milliseconds(500));
    EXPECT_EQ(service.GetState(), CMqttService::EState::Lost);
    EXPECT_NE(service.GetStateText().find("; trying again"), std::string::npos)
        << service.GetStateText();
}

// TLS against a plain port, a certificate no authority signed, and plain MQTT against a TLS
// port: each said in words that tell what to change.
TEST_F(CMqttServiceTest, TlsFailuresSayWhatToChange)
{
    m_broker.Stop();
    const int nTlsPort = m_broker.AddTlsListener();
    if (nTlsPort == 0)
        GTEST_SKIP() << "openssl cannot make a certificate";
    ASSERT_TRUE(m_broker.Start());
    const struct
    {
        bool bTls;
        int nPort;
        std::string strSaid;
    } cases[] = {
        {true, m_broker.GetPort(), "does not answer in TLS"},
        {true, nTlsPort, "certificate does not verify"},
        {false, nTlsPort, "if that port takes TLS, name the broker mqtts://"},
    };
    for (const auto& test : cases)
    {
        SMqttSettings settings = MakeSettings();
        settings.bTls = test.bTls;
        settings.nPort = test.nPort;
        CMqttService& service = StartService(settings);
        ASSERT_TRUE(ServeUntil([&] { return service.GetState() == CMqttService::EState::Lost; }))
            << test.strSaid;
        EXPECT_NE(service.GetStateText().find(test.strSaid), std::string::npos)
            << service.GetStateText();
    }
}

// Started together, neither finds the other online before going online itself; they tell each
// other apart by the client each "online" names, and one steps off for good.
TEST_F(CMqttServiceTest, TwoStartedTogetherUnderOneNameLeaveOneOnline)
{
    ConnectHub();
    CMqttService& first = StartService(MakeSettings());
    CMqttService second(m_runner, MakeSettings());
    second.Start();
    using EState = CMqttService::EState;
    const auto isSettled = [&]
    {
        return (first.GetState() == EState::Connected && second.GetState() == EState::NameTaken) ||
               (first.GetState() == EState::NameTaken && second.GetState() == EState::Connected);
    };
    ASSERT_TRUE(ServeBothUntil(second, isSettled));
    // So it stays through the stepped-off one's next attempts.
    const CMqttService& online = first.GetState() == EState::Connected ? first : second;
    const CMqttService& offline = &online == &first ? second : first;
    bool bStayed = true;
    int nRound = 0;
    ServeBothUntil(second,
                   [&]
                   {
                       bStayed = bStayed && online.GetState() == EState::Connected &&
                                 offline.GetState() != EState::Connected;
                       return ++nRound == 300;
                   });
    EXPECT_TRUE(bStayed);
    EXPECT_TRUE(HubHeard(kRoot + "availability", "online"));
}

TEST_F(CMqttServiceTest, ARefusedLoginIsReportedInTheStatus)
{
    CMqttService& service = StartService(MakeSettings("wrong"));
    ASSERT_TRUE(ServeUntil([&] { return service.GetState() == CMqttService::EState::Refused; }));
    const std::string strState = m_runner.GetStatus().strMqttState;
    EXPECT_TRUE(strState.starts_with("127.0.0.1:" + std::to_string(m_broker.GetPort()) +
                                     " refused the login: "))
        << strState;
}

// The event loop watches both sides of the socket; when the broker goes, the reading side finds
// it closed (or a write fails), and the other side, served after it, finds no connection. The
// loss is said once, with its first reason, not "not connected", and the next attempt is not
// put off twice over.
TEST_F(CMqttServiceTest, ABrokerThatGoesIsReportedLostOnce)
{
    CMqttService& service = StartService(MakeSettings());
    ASSERT_TRUE(ServeUntil([&] { return service.GetState() == CMqttService::EState::Connected; }));
    std::vector<std::string> said;
    service.SetStateObserver([&] { said.push_back(service.GetStateText()); });
    m_broker.Stop();
    ASSERT_TRUE(ServeUntil([&] { return service.GetState() == CMqttService::EState::Lost; }));
    service.OnWritable(-1);
    ASSERT_EQ(said.size(), 1u) << said.back();
    EXPECT_EQ(said[0].find("not currently connected"), std::string::npos) << said[0];
}

// The README's access list gives a login the topics of the node named as it: a node named
// otherwise connects, and the broker drops all it says. That is said, instead of "connected"
// while the hub hears nothing.
TEST_F(CMqttServiceTest, ALoginKeptOffTheNodesTopicsSaysSo)
{
    ConnectHub();
    SMqttSettings settings = MakeSettings();
    settings.strNode = "livingroom";
    CMqttService& service = StartService(settings);
    ASSERT_TRUE(ServeUntil([&] { return service.GetState() == CMqttService::EState::Forbidden; }))
        << service.GetStateText();
    const std::string strState = m_runner.GetStatus().strMqttState;
    EXPECT_NE(strState.find("does not let living-room publish on quorbit/livingroom/availability "
                            "(Not authorized)"),
              std::string::npos)
        << strState;
    EXPECT_TRUE(strState.ends_with("; trying again")) << strState;
    EXPECT_FALSE(HubHas("quorbit/livingroom/availability"));
}

TEST_F(CMqttServiceTest, ABrokerRestartedMidRunIsRejoinedAndGivenEverythingAgain)
{
    // By name, so that every reconnect goes through the lookup aside.
    SMqttSettings settings = MakeSettings();
    settings.strHost = "localhost";
    CMqttService& service = StartService(settings);
    ASSERT_TRUE(ServeUntil([&] { return service.GetState() == CMqttService::EState::Connected; }));
    m_broker.Stop();
    ASSERT_TRUE(ServeUntil([&] { return service.GetState() == CMqttService::EState::Lost; }));
    ASSERT_TRUE(m_broker.Start());
    ASSERT_TRUE(ServeUntil([&] { return service.GetState() == CMqttService::EState::Connected; }));
    // The broker kept nothing: what the hub finds now was published again.
    CMqttTestClient& hub = ConnectHub();
    const std::string strSensor = kDiscovery + "sensor/living-room/next_event/config";
    ASSERT_TRUE(ServeUntil([&] { return HubHas(kRoot + "availability") && HubHas(strSensor); }));
    EXPECT_EQ(hub.FindLast(kRoot + "availability")->strPayload, "online");
}
} // namespace
