#pragma once

#include "control/SControlResult.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CControlHandler;
class CMqttTopics;
class CQuorbexDoc;
struct SHeardPress;

// What Home Assistant's infrared emitter sends: {"timings": [...], "modulation": HZ,
// "repeat_count": N}, timings in microseconds, a mark positive and a space negative.
struct SInfraredCommand
{
    std::vector<std::uint32_t> durations; // a mark first, ending on a mark, repeats laid out
    std::uint32_t nCarrier = 0;           // 0: the unit's usual
};

// Each duration from this to kMaxInfraredMicros; a carrier, when given, within the band remotes
// and the units that modulate for them use.
constexpr std::uint32_t kMinInfraredMicros = 5;
constexpr std::uint32_t kMaxInfraredMicros = 250000;
constexpr std::uint32_t kMinInfraredCarrier = 20000;
constexpr std::uint32_t kMaxInfraredCarrier = 60000;
constexpr int kMaxInfraredRepeats = 20;

// Reads an emitter command whole, before anything is sent: not that JSON, an empty or odd-length
// list (a mark and a space a pair), a list that does not start with a mark and alternate, a
// duration or carrier out of range, or a signal with its repeats longer than a button holds, is
// refused with the reason ("malformed", "out-of-range", "too-long").
SControlResult ParseInfraredCommand(const std::string& strPayload, SInfraredCommand& command);

// {"timings": [...], "modulation": HZ} for a press heard: what Home Assistant's receiver reads,
// a mark positive, a space negative, closed by the silence that ended it; modulation null when
// the protocol, and so its carrier, is not known.
std::string MakeInfraredSignal(const SHeardPress& press);

// Home Assistant's infrared platform beside the buttons and switches: an emitter that sends what
// the hub gives it through the unit, a receiver that tells the hub of every press heard, and an
// event entity per remote that fires with the button heard. Messages go out through publish;
// its discovery configurations join the node's retained ones.
class CMqttInfrared
{
public:
    using CPublish = std::function<void(const std::string& strTopic, const std::string& strPayload,
                                        bool bRetain)>;

    // The handler and topics must outlive it.
    CMqttInfrared(CControlHandler& handler, const CMqttTopics& topics, CPublish publish);

    // quorbit/NODE/infrared/send, and where presses go: quorbit/NODE/infrared/received and
    // quorbit/NODE/REMOTE/heard.
    std::string GetCommandTopic() const;
    std::string GetReceivedTopic() const;
    std::string GetHeardTopic(const std::string& strRemote) const;

    // The emitter's, the receiver's (on a unit that hears on its own) and each remote's event
    // configuration, by discovery topic.
    void AddConfigs(const CQuorbexDoc* pDoc, std::map<std::string, std::string>& configs) const;
    // Presses heard from now on are published; nothing when the unit hears only while learning.
    void StartHearing();
    // A message on the command topic: checked whole at once, and sent by SendCommands, in turn
    // with the presses, once the library has returned.
    void OnCommand(const std::string& strPayload, bool bRetained);
    void SendCommands();
    void OnHeard(const SHeardPress& press);

private:
    void PublishRefusal(const SControlResult& result);

    CControlHandler& m_handler;
    const CMqttTopics& m_topics;
    CPublish m_publish;
    bool m_bHearing = false;
    std::vector<SInfraredCommand> m_commands;
    // Held by the sends waiting in the handler's queue and by its listener, which may outlive this.
    std::shared_ptr<CMqttInfrared*> m_pAlive = std::make_shared<CMqttInfrared*>(this);
};
