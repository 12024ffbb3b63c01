#include "engine/CListener.h"

#include "device/CBiosClock.h"
#include "device/CInfraredDevice.h"
#include "device/SamplePeriod.h"
#include "document/CFrontEnd.h"
#include "engine/CFiringEngine.h"
#include "engine/CTickSource.h"
#include "engine/HeardMatching.h"
#include "signal/SignalDecoder.h"

CListener::CListener(CFiringEngine& engine, CQuorbexDoc& doc, CBiosClock& clock,
                     CFrontEnd& frontEnd, CTickSource& ticks)
    : m_engine(engine), m_doc(doc), m_clock(clock), m_frontEnd(frontEnd), m_ticks(ticks)
{
}

bool CListener::CanListen() const
{
    return m_engine.GetDevice().HearsOnItsOwn();
}

bool CListener::Listen(int nMaxWaitMs)
{
    if (m_engine.IsLearning() || !CanListen())
        return false;
    bool bReported = false;
    std::vector<std::uint32_t> durations;
    // Everything that has come is taken; only the first look may wait.
    for (int nWaitMs = nMaxWaitMs; m_engine.GetDevice().HearSignal(durations, nWaitMs); nWaitMs = 0)
        bReported = OnSignal(std::move(durations)) || bReported;
    return bReported;
}

bool CListener::OnSignal(std::vector<std::uint32_t> durations)
{
    const std::uint32_t nNow = m_ticks.GetTickCount();
    const SDecodedSignal decoded = DecodeSignal(durations);
    const bool bHeld = IsHeld(durations, decoded, nNow);
    // While the emitter is heard, a button still held goes on being held: the firing its press
    // set off must not part it into a second press.
    if (IsOwnLight(nNow) && !bHeld)
        return false;
    m_nLastTick = nNow;
    if (bHeld)
    {
        ++m_nRepeats;
        return false;
    }
    SHeardPress press;
    press.time = m_clock.GetBiosTime();
    press.nCarrier = GetProtocolCarrier(decoded.eProtocol);
    const SHeardMatch match =
        MatchHeard(m_doc, durations, decoded, GetMachineNanosPerSample(m_engine.GetDevice()));
    press.pRemote = match.pRemote;
    press.pButton = match.pButton;
    m_bHeard = true;
    m_nRepeats = decoded.nRepeats;
    m_lastDecoded = decoded;
    m_lastDurations = durations;
    press.durations = std::move(durations);
    Report(press);
    return true;
}

bool CListener::IsOwnLight(std::uint32_t nNow) const
{
    std::uint32_t nSent = 0;
    return m_engine.GetFiringDepth() != 0 ||
           (m_engine.GetLastSentTick(nSent) && nNow - nSent < kMuteMs);
}

bool CListener::IsHeld(const std::vector<std::uint32_t>& durations, const SDecodedSignal& decoded,
                       std::uint32_t nNow) const
{
    if (!m_bHeard || nNow - m_nLastTick >= kReleasedMs)
        return false;
    if (decoded.bRepeatOnly)
        return true;
    if (decoded.eProtocol != EProtocol::kUnknown)
        return decoded.IsSameCode(m_lastDecoded) && decoded.bToggle == m_lastDecoded.bToggle;
    return IsSameFrame(FirstFrame(durations), FirstFrame(m_lastDurations));
}

void CListener::Report(const SHeardPress& press)
{
    m_frontEnd.OnHeard(press);
    for (const CObserver& observer : m_observers)
        observer(press);
}
