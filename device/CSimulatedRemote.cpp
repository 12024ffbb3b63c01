#include "device/CSimulatedRemote.h"

namespace
{
// Frame timing in samples (microseconds).
constexpr std::uint32_t kHeaderMark = 9000;
constexpr std::uint32_t kHeaderSpace = 4500;
constexpr std::uint32_t kBitMark = 562;
constexpr std::uint32_t kZeroSpace = 562;
constexpr std::uint32_t kOneSpace = 1687;

void AppendByte(CSimulatedRemote::CRuns& runs, std::uint8_t nByte)
{
    for (int nBit = 0; nBit < 8; ++nBit)
    {
        runs.push_back(kBitMark);
        runs.push_back((nByte >> nBit) & 1 ? kOneSpace : kZeroSpace);
    }
}
} // namespace

CSimulatedRemote::CRuns CSimulatedRemote::MakeFrame(std::uint8_t nAddress, std::uint8_t nCommand)
{
    CRuns runs{kIdleSamples, kHeaderMark, kHeaderSpace};
    for (const std::uint8_t nByte : {nAddress, static_cast<std::uint8_t>(~nAddress), nCommand,
                                     static_cast<std::uint8_t>(~nCommand)})
        AppendByte(runs, nByte);
    runs.push_back(kBitMark);
    return runs;
}

std::uint8_t CSimulatedRemote::GetNextCommand() const
{
    // An odd step visits every command before one comes round again.
    return static_cast<std::uint8_t>(0x12 + 0x35 * m_nCommandSteps);
}

CSimulatedRemote::CRuns CSimulatedRemote::NextSignal()
{
    if (m_queued.empty())
        return MakeFrame(kAddress, GetNextCommand());
    CRuns runs = std::move(m_queued.front());
    m_queued.pop_front();
    return runs;
}

void CSimulatedRemote::SetMillisecondCount(std::function<std::uint32_t()> getTicks)
{
    m_getTicks = std::move(getTicks);
}

void CSimulatedRemote::Press()
{
    const CRuns runs = NextSignal();
    if (!m_bRepeatCommand)
        ++m_nCommandSteps;
    m_edges.clear();
    std::uint64_t nAt = 0;
    for (const std::uint32_t nRun : runs)
        m_edges.push_back(nAt += nRun);
    // A signal that ends on silence has no last change: the line is idle from there anyway.
    if (m_edges.size() % 2 != 0)
        m_edges.pop_back();
    m_nNextEdge = 0;
    m_nSample = 0;
    m_bInfrared = false;
    m_bAwaitingPress = static_cast<bool>(m_getTicks);
    if (m_bAwaitingPress)
        m_nPoweredAt = m_getTicks();
}

bool CSimulatedRemote::HasPressBegun()
{
    // Unsigned: the count may wrap while the person takes their time.
    if (m_getTicks() - m_nPoweredAt < kPressDelayMs)
        return false;
    m_bAwaitingPress = false;
    return true;
}

bool CSimulatedRemote::TakeHeard(std::vector<std::uint32_t>& durations)
{
    if (m_heard.empty())
        return false;
    durations = std::move(m_heard.front());
    m_heard.pop_front();
    return true;
}
