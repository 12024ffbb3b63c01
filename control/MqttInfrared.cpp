#include "control/MqttInfrared.h"

#include "base/DocumentConstants.h"
#include "base/TextEncoding.h"
#include "control/CControlHandler.h"
#include "control/MqttTopics.h"
#include "device/CInfraredDevice.h"
#include "device/CLircDevice.h"
#include "document/CQuorbexDoc.h"
#include "document/SHeardPress.h"

#include <nlohmann/json.hpp>

#include <numeric>
#include <ranges>

namespace
{
constexpr const char* kEmitter = "infrared_emitter";
constexpr const char* kReceiver = "infrared_receiver";

SControlResult Malformed(const std::string& strWhy)
{
    return SControlResult::Refused("malformed", strWhy);
}

// Marks positive, spaces negative, a mark first, a mark and a space a pair.
SControlResult ReadTimings(const nlohmann::json& timings, std::vector<std::uint32_t>& durations)
{
    if (!timings.is_array() || timings.empty())
        return Malformed("\"timings\" must be a list of microseconds that is not empty");
    if (timings.size() % 2 != 0)
        return Malformed("\"timings\" holds " + std::to_string(timings.size()) +
                         " values; a mark and a space make a pair, so it must be even");
    for (std::size_t nIndex = 0; nIndex < timings.size(); ++nIndex)
    {
        const nlohmann::json& value = timings[nIndex];
        if (!value.is_number_integer())
            return Malformed("timing " + std::to_string(nIndex + 1) + " is not a whole number");
        // Sign and size apart, so that any whole number JSON holds is read as written: above
        // the signed range, or the most negative one, which has no positive twin.
        const bool bSpace = value.is_number_integer() && !value.is_number_unsigned() &&
                            value.get<std::int64_t>() < 0;
        const std::uint64_t nMicros =
            bSpace ? std::uint64_t{0} - static_cast<std::uint64_t>(value.get<std::int64_t>())
                   : value.get<std::uint64_t>();
        const std::string strValue = (bSpace ? "-" : "") + std::to_string(nMicros);
        const bool bMark = nIndex % 2 == 0;
        if (nMicros == 0 || bSpace == bMark)
            return Malformed("timing " + std::to_string(nIndex + 1) + " is " + strValue +
                             "; marks (positive) and spaces (negative) alternate, a mark first");
        if (nMicros < kMinInfraredMicros || nMicros > kMaxInfraredMicros)
            return SControlResult::Refused(
                "out-of-range", "timing " + std::to_string(nIndex + 1) + " is " + strValue +
                                    " µs; each lasts " + std::to_string(kMinInfraredMicros) +
                                    " to " + std::to_string(kMaxInfraredMicros) + " µs");
        durations.push_back(static_cast<std::uint32_t>(nMicros));
    }
    return SControlResult::Done();
}

SControlResult ReadCarrier(const nlohmann::json& command, std::uint32_t& nCarrier)
{
    const auto it = command.find("modulation");
    if (it == command.end() || it->is_null())
        return SControlResult::Done();
    if (!it->is_number_integer())
        return Malformed("\"modulation\" must be the carrier in hertz, or null");
    const std::int64_t nHertz = it->get<std::int64_t>();
    if (nHertz < kMinInfraredCarrier || nHertz > kMaxInfraredCarrier)
        return SControlResult::Refused(
            "out-of-range", "modulation " + std::to_string(nHertz) + " Hz is outside the " +
                                std::to_string(kMinInfraredCarrier) + " to " +
                                std::to_string(kMaxInfraredCarrier) + " Hz the unit sends at");
    nCarrier = static_cast<std::uint32_t>(nHertz);
    return SControlResult::Done();
}

SControlResult ReadRepeats(const nlohmann::json& command, int& nRepeats)
{
    const auto it = command.find("repeat_count");
    if (it == command.end() || it->is_null())
        return SControlResult::Done();
    if (!it->is_number_integer() || it->get<std::int64_t>() < 0 ||
        it->get<std::int64_t>() > kMaxInfraredRepeats)
        return SControlResult::Refused("out-of-range", "\"repeat_count\" must be 0 to " +
                                                           std::to_string(kMaxInfraredRepeats));
    nRepeats = it->get<int>();
    return SControlResult::Done();
}

std::string MakeConfig(nlohmann::json config, const CMqttTopics& topics, const char* pszObject)
{
    config["unique_id"] = topics.GetNodeId() + "__" + pszObject;
    config["availability_topic"] = topics.GetAvailability();
    config["device"] = {{"identifiers", {topics.GetNodeId()}}};
    return config.dump();
}
} // namespace

SControlResult ParseInfraredCommand(const std::string& strPayload, SInfraredCommand& command)
{
    const nlohmann::json json = nlohmann::json::parse(strPayload, nullptr, false);
    if (!json.is_object() || !json.contains("timings"))
        return Malformed("an emitter command is a JSON object with \"timings\", and maybe "
                         "\"modulation\" and \"repeat_count\"");
    std::vector<std::uint32_t> frame;
    int nRepeats = 0;
    SControlResult result = ReadTimings(json["timings"], frame);
    if (result.IsOk())
        result = ReadCarrier(json, command.nCarrier);
    if (result.IsOk())
        result = ReadRepeats(json, nRepeats);
    if (!result.IsOk())
        return result;
    const std::uint64_t nFrameMicros =
        std::accumulate(frame.begin(), frame.end(), std::uint64_t{0});
    const std::uint64_t nMicros =
        nFrameMicros * static_cast<std::uint64_t>(nRepeats + 1) - frame.back();
    if (nMicros > kBitstreamSamples)
        return SControlResult::Refused(
            "too-long", "the signal lasts " + std::to_string(nMicros) + " µs with its repeats; " +
                            "a button holds " + std::to_string(kBitstreamSamples) + " µs");
    for (int nCopy = 0; nCopy <= nRepeats; ++nCopy)
        command.durations.insert(command.durations.end(), frame.begin(), frame.end());
    // The silence after the last mark is no part of what is played.
    command.durations.pop_back();
    return SControlResult::Done();
}

std::string MakeInfraredSignal(const SHeardPress& press)
{
    nlohmann::json timings = nlohmann::json::array();
    for (std::size_t nIndex = 0; nIndex < press.durations.size(); ++nIndex)
    {
        const auto nMicros = static_cast<std::int64_t>(press.durations[nIndex]);
        timings.push_back(nIndex % 2 == 0 ? nMicros : -nMicros);
    }
    timings.push_back(-static_cast<std::int64_t>(CLircDevice::kEndSilenceMicros));
    const nlohmann::json signal = {
        {"timings", timings},
        {"modulation", press.nCarrier != 0 ? nlohmann::json(press.nCarrier) : nlohmann::json()},
    };
    return signal.dump();
}

CMqttInfrared::CMqttInfrared(CControlHandler& handler, const CMqttTopics& topics, CPublish publish)
    : m_handler(handler), m_topics(topics), m_publish(std::move(publish))
{
}

std::string CMqttInfrared::GetCommandTopic() const
{
    return m_topics.GetRoot() + "/infrared/send";
}

std::string CMqttInfrared::GetReceivedTopic() const
{
    return m_topics.GetRoot() + "/infrared/received";
}

std::string CMqttInfrared::GetHeardTopic(const std::string& strRemote) const
{
    return m_topics.GetRoot() + "/" + EscapeTopicLevel(strRemote) + "/heard";
}

void CMqttInfrared::AddConfigs(const CQuorbexDoc* pDoc,
                               std::map<std::string, std::string>& configs) const
{
    const std::string strPrefix = "homeassistant/infrared/" + m_topics.GetNode() + "/";
    configs[strPrefix + kEmitter + "/config"] = MakeConfig(
        {{"schema", "emitter"}, {"name", "Infrared emitter"}, {"command_topic", GetCommandTopic()}},
        m_topics, kEmitter);
    if (!m_bHearing)
        return;
    configs[strPrefix + kReceiver + "/config"] = MakeConfig({{"schema", "receiver"},
                                                             {"name", "Infrared receiver"},
                                                             {"state_topic", GetReceivedTopic()}},
                                                            m_topics, kReceiver);
    if (!pDoc)
        return;
    for (const auto& pRemote : *pDoc->m_pRemotes | std::views::values)
    {
        const std::string strRemote = ToDisplayText(pRemote->m_strName);
        nlohmann::json types = nlohmann::json::array();
        for (const auto& pButton : pRemote->m_buttons | std::views::values)
            if (!pButton->m_bMega)
                types.push_back(ToDisplayText(pButton->m_strName));
        const std::string strObject = MakeHubId(strRemote) + "__heard";
        nlohmann::json config = {
            {"name", "Heard"},
            {"state_topic", GetHeardTopic(strRemote)},
            {"event_types", types},
            {"unique_id", m_topics.GetNodeId() + "__" + strObject},
            {"availability_topic", m_topics.GetAvailability()},
            {"device",
             {{"identifiers", {m_topics.GetNodeId() + "__" + MakeHubId(strRemote)}},
              {"name", strRemote + " (" + m_topics.GetNode() + ")"},
              {"via_device", m_topics.GetNodeId()}}},
        };
        configs["homeassistant/event/" + m_topics.GetNode() + "/" + strObject + "/config"] =
            config.dump();
    }
}

void CMqttInfrared::StartHearing()
{
    const std::weak_ptr<CMqttInfrared*> alive = m_pAlive;
    m_bHearing = m_handler
                     .Listen(
                         [alive](const SHeardPress& press)
                         {
                             const auto pSelf = alive.lock();
                             if (pSelf)
                                 (*pSelf)->OnHeard(press);
                             return pSelf != nullptr;
                         })
                     .IsOk();
}

void CMqttInfrared::OnCommand(const std::string& strPayload, bool bRetained)
{
    // Left on the broker, it would be sent each time Quorbit connects.
    if (bRetained)
        return PublishRefusal(SControlResult::Refused(
            "retained", "a retained emitter command is never sent; publish it without retain"));
    SInfraredCommand command;
    if (const SControlResult result = ParseInfraredCommand(strPayload, command); !result.IsOk())
        return PublishRefusal(result);
    m_commands.push_back(std::move(command));
}

void CMqttInfrared::SendCommands()
{
    const std::weak_ptr<CMqttInfrared*> alive = m_pAlive;
    std::vector<SInfraredCommand> commands = std::move(m_commands);
    m_commands.clear();
    for (SInfraredCommand& command : commands)
        m_handler.RequestSignal(std::move(command.durations), command.nCarrier,
                                [alive](const SControlResult& result)
                                {
                                    const auto pSelf = alive.lock();
                                    if (pSelf && !result.IsOk())
                                        (*pSelf)->PublishRefusal(result);
                                });
}

void CMqttInfrared::OnHeard(const SHeardPress& press)
{
    m_publish(GetReceivedTopic(), MakeInfraredSignal(press), false);
    if (press.pButton)
        m_publish(GetHeardTopic(ToDisplayText(press.pRemote->m_strName)),
                  nlohmann::json{{"event_type", ToDisplayText(press.pButton->m_strName)}}.dump(),
                  false);
}

void CMqttInfrared::PublishRefusal(const SControlResult& result)
{
    const nlohmann::json error = {
        {"infrared", "emitter"}, {"code", result.strCode}, {"message", result.strText}};
    m_publish(m_topics.GetError(),
              error.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), false);
}
