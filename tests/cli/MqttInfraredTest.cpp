#include "control/CMqttService.h"

#include "cli/CHeadlessRunner.h"
#include "cli/CliTestSupport.h"
#include "cli/ListingTestDocument.h"
#include "device/CLircDevice.h"
#include "signal/SignalDurations.h"
#include "signal/SignalFrames.h"
#include "support/CFakeLircSystem.h"
#include "support/CMosquittoBroker.h"
#include "support/CMqttTestClient.h"
#include "support/CScriptedClock.h"
#include "support/CScriptedTickSource.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <set>

namespace
{
using CRuns = std::vector<std::uint32_t>;

const std::string kNode = CMosquittoBroker::kQuorbitUser;
const std::string kRoot = "quorbit/" + kNode + "/";
const std::string kCommandTopic = kRoot + "infrared/send";

// NEC address 0x04 (0xFB04 with its inverse) and the command, as the remote sends it.
CRuns NecFrame(std::uint8_t nCommand)
{
    return SignalFrames::Nec(0xFB04, nCommand);
}

// Home Assistant's keys for MQTT discovery, by their abbreviations (its abbreviations table).
const std::map<std::string, std::string> kAbbreviations{
    {"cmd_t", "command_topic"}, {"cmd_tpl", "command_template"},
    {"stat_t", "state_topic"},  {"val_tpl", "value_template"},
    {"uniq_id", "unique_id"},   {"avty_t", "availability_topic"},
    {"dev", "device"},          {"evt_typ", "event_types"},
    {"ret", "retain"},          {"p", "platform"},
};
// What the infrared platform's emitter and receiver schemas and the event platform take, with
// the keys every MQTT entity shares that Quorbit may send.
const std::set<std::string> kCommonKeys{"name",   "unique_id",         "availability_topic",
                                        "device", "default_entity_id", "icon",
                                        "qos",    "platform"};
const std::map<std::string, std::set<std::string>> kSchemaKeys{
    {"emitter", {"schema", "command_topic", "command_template", "retain"}},
    {"receiver", {"schema", "state_topic", "value_template"}},
    {"event", {"state_topic", "event_types", "value_template", "device_class"}},
};

nlohmann::json Expand(const nlohmann::json& config)
{
    nlohmann::json expanded = nlohmann::json::object();
    for (const auto& [strKey, value] : config.items())
    {
        const auto it = kAbbreviations.find(strKey);
        expanded[it == kAbbreviations.end() ? strKey : it->second] = value;
    }
    return expanded;
}

// The keys Home Assistant would not take for the kind of entity; empty when all are known.
std::set<std::string> FindUnknownKeys(const nlohmann::json& config, const std::string& strKind)
{
    std::set<std::string> unknown;
    for (const auto& [strKey, value] : config.items())
        if (!kCommonKeys.contains(strKey) && !kSchemaKeys.at(strKind).contains(strKey))
            unknown.insert(strKey);
    return unknown;
}

// A document with TV/Power learned on a unit counting microseconds, and a megabutton Show that
// sends it, run headless on a lirc device that sends and receives, on a broker of the test's own.
class CMqttInfraredTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!CMosquittoBroker::IsInstalled())
            GTEST_SKIP() << "the mosquitto broker is not installed";
        CListingTestDocument document;
        CRemote& tv = document.AddRemote("TV", 0);
        CRemoteButton& power = document.AddButton(tv, "Power", "");
        power.m_bits = ToBitstream(NecFrame(0x12), 1000);
        document.AddButton(tv, "Mute", "").m_bits = ToBitstream(NecFrame(0x0D), 1000);
        document.AddMegabutton(tv, "Show", 0, 3).m_steps = {{&tv, &power, 0, 0}};
        ASSERT_TRUE(document.m_doc.OnSaveDocument(m_strPath));
        std::string strError;
        m_pDevice = CLircDevice::Open(m_system, "/dev/lirc0", strError);
        ASSERT_NE(m_pDevice, nullptr) << strError;
        m_pRunner = std::make_unique<CHeadlessRunner>(m_strPath, *m_pDevice, m_clock, m_ticks,
                                                      m_pOut, stderr);
        ASSERT_TRUE(m_broker.Start());
        ASSERT_TRUE(m_pRunner->Start());
        m_pService = std::make_unique<CMqttService>(
            *m_pRunner,
            SMqttSettings{"127.0.0.1", m_broker.GetPort(), false, CMosquittoBroker::kQuorbitUser,
                          CMosquittoBroker::kQuorbitPassword, kNode});
        m_pService->Start();
        m_pHub = std::make_unique<CMqttTestClient>(m_broker.GetPort());
        m_pHub->Subscribe("#");
        ASSERT_TRUE(ServeUntil([this] { return Find(kRoot + "availability") != nullptr; }));
    }
    ~CMqttInfraredTest() override
    {
        m_pService.reset();
        m_pRunner.reset();
        std::fclose(m_pOut);
    }

    void Serve()
    {
        CWatchedSource* const sources[] = {m_pService.get()};
        ServeSources(sources, 5);
        m_pService->Beat();
        m_pRunner->ServeQueuedFires();
        m_pHub->Pump(5);
    }
    bool ServeUntil(const std::function<bool()>& done)
    {
        for (int nRound = 0; nRound < 1000; ++nRound)
        {
            Serve();
            if (done())
                return true;
        }
        return false;
    }
    const CMqttTestClient::SMessage* Find(const std::string& strTopic) const
    {
        return m_pHub->FindLast(strTopic);
    }
    std::size_t Count(const std::string& strTopic) const
    {
        return static_cast<std::size_t>(
            std::ranges::count(m_pHub->m_messages, strTopic, &CMqttTestClient::SMessage::strTopic));
    }
    void Press(const CRuns& runs)
    {
        m_fake.presses.push_back(CFakeLircSystem::ToValues(runs));
        m_pRunner->Listen(0);
        m_pRunner->Listen(0);
    }

    CTempFolder m_folder;
    std::string m_strPath = m_folder.File("tv.qb");
    CMosquittoBroker m_broker;
    CScriptedClock m_clock{CTime(2026, 12, 8, 18, 30, 0)};
    CScriptedTickSource m_ticks{5000};
    CFakeLircSystem m_system;
    CFakeLircSystem::SDevice& m_fake = m_system.AddDevice("/dev/lirc0");
    std::unique_ptr<CLircDevice> m_pDevice;
    std::FILE* m_pOut = std::tmpfile();
    std::unique_ptr<CHeadlessRunner> m_pRunner;
    std::unique_ptr<CMqttService> m_pService;
    std::unique_ptr<CMqttTestClient> m_pHub;
};

// The emitter, the receiver and the remote's event entity, as Home Assistant's infrared and
// event platforms read their discovery payloads.
TEST_F(CMqttInfraredTest, DiscoveryPayloadsFollowHomeAssistantsSchemas)
{
    const std::string strEmitter = "homeassistant/infrared/" + kNode + "/infrared_emitter/config";
    const std::string strReceiver = "homeassistant/infrared/" + kNode + "/infrared_receiver/config";
    const std::string strEvent = "homeassistant/event/" + kNode + "/TV__heard/config";
    ASSERT_TRUE(
        ServeUntil([&] { return Find(strEvent) && Find(strEmitter) && Find(strReceiver); }));
    const struct
    {
        std::string strTopic, strKind;
    } cases[]{{strEmitter, "emitter"}, {strReceiver, "receiver"}, {strEvent, "event"}};
    for (const auto& testCase : cases)
    {
        const CMqttTestClient::SMessage* pMessage = Find(testCase.strTopic);
        const nlohmann::json config = Expand(nlohmann::json::parse(pMessage->strPayload));
        EXPECT_EQ(FindUnknownKeys(config, testCase.strKind), std::set<std::string>{})
            << testCase.strKind;
        EXPECT_EQ(config.value("availability_topic", ""), kRoot + "availability");
        EXPECT_EQ(config.value("unique_id", "").rfind("quorbit_" + kNode + "__", 0), 0u);
        EXPECT_TRUE(config["device"].contains("identifiers")) << testCase.strKind;
    }
    const nlohmann::json emitter = Expand(nlohmann::json::parse(Find(strEmitter)->strPayload));
    EXPECT_EQ(emitter["schema"], "emitter");
    EXPECT_EQ(emitter["command_topic"], kCommandTopic);
    const nlohmann::json receiver = Expand(nlohmann::json::parse(Find(strReceiver)->strPayload));
    EXPECT_EQ(receiver["schema"], "receiver");
    EXPECT_EQ(receiver["state_topic"], kRoot + "infrared/received");
    const nlohmann::json event = Expand(nlohmann::json::parse(Find(strEvent)->strPayload));
    EXPECT_EQ(event["state_topic"], kRoot + "TV/heard");
    EXPECT_EQ(event["event_types"], (nlohmann::json{"Mute", "Power"}));
}

// A press fed to the receiver reaches the hub once, held or not: the receiver's signal as its
// schema reads it (not retained), and the remote's event with the button.
TEST_F(CMqttInfraredTest, APressHeardGoesToTheReceiverAndTheEvent)
{
    Press(NecFrame(0x12));
    for (int nRepeat = 0; nRepeat < 5; ++nRepeat)
    {
        m_ticks.Advance(108);
        Press({9000, 2250, 560});
    }
    ASSERT_TRUE(ServeUntil([&] { return Find(kRoot + "TV/heard") != nullptr; }));
    for (int nRound = 0; nRound < 20; ++nRound)
        Serve();
    EXPECT_EQ(Count(kRoot + "infrared/received"), 1u);
    EXPECT_EQ(Count(kRoot + "TV/heard"), 1u);
    const CMqttTestClient::SMessage* pSignal = Find(kRoot + "infrared/received");
    ASSERT_NE(pSignal, nullptr);
    EXPECT_FALSE(pSignal->bRetained);
    const nlohmann::json signal = nlohmann::json::parse(pSignal->strPayload);
    ASSERT_TRUE(signal["timings"].is_array());
    const CRuns frame = NecFrame(0x12);
    ASSERT_EQ(signal["timings"].size(), frame.size() + 1);
    for (std::size_t nRun = 0; nRun < frame.size(); ++nRun)
        EXPECT_EQ(signal["timings"][nRun].get<std::int64_t>(),
                  nRun % 2 == 0 ? std::int64_t{frame[nRun]} : -std::int64_t{frame[nRun]});
    EXPECT_LT(signal["timings"].back().get<std::int64_t>(), 0);
    EXPECT_EQ(signal["modulation"], 38000);
    EXPECT_EQ(Find(kRoot + "TV/heard")->strPayload, R"({"event_type":"Power"})");
    EXPECT_FALSE(Find(kRoot + "TV/heard")->bRetained);
}

// What Home Assistant's emitter publishes goes out of the unit as it was sent, repeats and all,
// at the carrier it names.
TEST_F(CMqttInfraredTest, TheEmitterTransmitsWhatItIsSentAtTheCarrierSent)
{
    m_pHub->Publish(kCommandTopic,
                    R"({"timings":[3000,-1000,1200,-20000],"modulation":36000,"repeat_count":1})",
                    false);
    ASSERT_TRUE(ServeUntil([&] { return !m_fake.written.empty(); }));
    EXPECT_EQ(m_fake.written, (CRuns{3000, 1000, 1200, 20000, 3000, 1000, 1200}));
    EXPECT_EQ(m_fake.nCarrier, 36000u);

    m_fake.written.clear();
    m_pHub->Publish(kCommandTopic, R"({"timings":[560,-560],"modulation":null})", false);
    ASSERT_TRUE(ServeUntil([&] { return !m_fake.written.empty(); }));
    EXPECT_EQ(m_fake.written, (CRuns{560}));
    EXPECT_EQ(m_fake.nCarrier, CLircDevice::kDefaultCarrier);
    EXPECT_EQ(Find(kRoot + "error"), nullptr);
}

// A command that is not what the emitter sends, or that the unit cannot send whole, is refused
// on the error topic with the reason, and nothing of it is sent.
TEST_F(CMqttInfraredTest, BadEmitterCommandsAreRefusedWhole)
{
    const struct
    {
        const char* pszPayload;
        const char* pszCode;
        const char* pszReason;
    } cases[]{
        {"PRESS", "malformed", "JSON object with \"timings\""},
        {R"({"modulation":38000})", "malformed", "JSON object with \"timings\""},
        {R"({"timings":[]})", "malformed", "not empty"},
        {R"({"timings":"9000,-4500"})", "malformed", "not empty"},
        {R"({"timings":[9000,-4500,560]})", "malformed", "holds 3 values"},
        {R"({"timings":[-9000,4500]})", "malformed", "a mark first"},
        {R"({"timings":[9000,4500]})", "malformed", "alternate"},
        {R"({"timings":[9000,0]})", "malformed", "timing 2 is 0"},
        {R"({"timings":[9000.5,-4500]})", "malformed", "not a whole number"},
        {R"({"timings":[9000,-300000]})", "out-of-range", "timing 2 is -300000"},
        {R"({"timings":[2,-4500]})", "out-of-range", "timing 1 is 2"},
        // Beyond 64 signed bits either way, read as written.
        {R"({"timings":[18446744073709551615,-4500]})", "out-of-range",
         "timing 1 is 18446744073709551615 µs"},
        {R"({"timings":[9000,-9223372036854775808]})", "out-of-range",
         "timing 2 is -9223372036854775808 µs"},
        {R"({"timings":[9000,-4500],"modulation":100000})", "out-of-range", "100000 Hz"},
        {R"({"timings":[9000,-4500],"modulation":"38k"})", "malformed", "carrier in hertz"},
        {R"({"timings":[9000,-4500],"repeat_count":-1})", "out-of-range", "repeat_count"},
        {R"({"timings":[200000,-100000,200000,-1000]})", "too-long", "lasts 500000"},
        {R"({"timings":[100000,-100000],"repeat_count":2})", "too-long", "lasts 500000"},
    };
    std::size_t nErrors = 0;
    for (const auto& testCase : cases)
    {
        m_pHub->Publish(kCommandTopic, testCase.pszPayload, false);
        ASSERT_TRUE(ServeUntil([&] { return Count(kRoot + "error") > nErrors; }))
            << testCase.pszPayload;
        nErrors = Count(kRoot + "error");
        const nlohmann::json error = nlohmann::json::parse(Find(kRoot + "error")->strPayload);
        EXPECT_EQ(error["code"], testCase.pszCode) << testCase.pszPayload;
        EXPECT_NE(error["message"].get<std::string>().find(testCase.pszReason), std::string::npos)
            << testCase.pszPayload << ": " << error["message"];
    }
    m_pHub->Publish(kCommandTopic, R"({"timings":[9000,-4500]})", true);
    ASSERT_TRUE(ServeUntil([&] { return Count(kRoot + "error") > nErrors; }));
    EXPECT_EQ(nlohmann::json::parse(Find(kRoot + "error")->strPayload)["code"], "retained");
    for (int nRound = 0; nRound < 20; ++nRound)
        Serve();
    EXPECT_EQ(m_fake.written, CRuns{});
}

// Commands that come while a megabutton plays wait in the queue FIRE requests wait in, and go
// out after it, in the order they came.
TEST_F(CMqttInfraredTest, AFloodOfCommandsWaitsItsTurnInTheQueue)
{
    std::size_t nMostQueued = 0;
    bool bPublished = false;
    m_pRunner->SetIdleWait(
        [&](std::uint32_t nMaxWaitMs)
        {
            if (!std::exchange(bPublished, true))
                for (std::uint32_t nMark = 100; nMark < 120; ++nMark)
                    m_pHub->Publish(kCommandTopic,
                                    "{\"timings\":[" + std::to_string(nMark) + ",-1000]}", false);
            CWatchedSource* const sources[] = {m_pService.get()};
            ServeSources(sources, 5);
            m_pHub->Pump(5);
            nMostQueued = std::max(nMostQueued, m_pRunner->GetStatus().nQueuedFires);
            m_ticks.Advance(std::min<std::uint32_t>(nMaxWaitMs, 10));
        });
    EXPECT_TRUE(m_pRunner->Fire("TV", "Show").IsOk());
    EXPECT_EQ(m_fake.writeCounts.size(), 1u);
    EXPECT_EQ(nMostQueued, 20u);
    ASSERT_TRUE(ServeUntil([&] { return m_fake.writeCounts.size() == 21; }));
    const CRuns frame = NecFrame(0x12);
    for (std::uint32_t nCommand = 0; nCommand < 20; ++nCommand)
        EXPECT_EQ(m_fake.written[frame.size() + nCommand], 100 + nCommand);
}
} // namespace
