#include "engine/CFiringEngine.h"

#include "base/CStringTable.h"
#include "device/CInfraredDevice.h"
#include "device/SamplePeriod.h"
#include "document/CFrontEnd.h"
#include "document/CRemoteButton.h"
#include "engine/CTickSource.h"
#include "signal/SignalDecoder.h"
#include "signal/SignalDurations.h"

#include <algorithm>
#include <span>
#include <vector>

namespace
{
// Milliseconds allowed from the start of a step to the start of the next. A delay index from a
// damaged file must not read outside the table.
std::uint32_t GetStepDelayMs(int nDelay)
{
    const int nIndex = std::clamp(nDelay, 0, kStepDelayCount - 1);
    return static_cast<std::uint32_t>(kStepDelays[nIndex]) * 100;
}
} // namespace

CFiringEngine::CFiringEngine(CInfraredDevice& device, CFrontEnd& frontEnd, CTickSource& ticks)
    : m_pDevice(&device), m_frontEnd(frontEnd), m_ticks(ticks), m_captureField(kBitstreamBytes)
{
}

bool CFiringEngine::Fire(CRemoteButton& button)
{
    if (button.GetFiringLength() == 0)
        return true;
    if (!button.m_bMega)
        return FirePlain(button);
    const CScopedCount depth = EnterFiringScope();
    const CScopedCount firing([&button] { button.BeginFiring(); },
                              [&button] { button.EndFiring(); });
    return FireSteps(button);
}

bool CFiringEngine::FirePlain(const CRemoteButton& button)
{
    std::uint32_t nCarrier = 0;
    if (m_pDevice->TakesCarrier())
        nCarrier = GetProtocolCarrier(
            DecodeSignal(ToDurations(button.m_bits, GetMachineNanosPerSample(*m_pDevice)))
                .eProtocol);
    Transmit(button.m_bits, nCarrier);
    if (m_pDevice->GetLastFault().empty())
        return true;
    Report(StringId::kFireFailed, button, m_pDevice->GetLastFault());
    return false;
}

bool CFiringEngine::SendSignal(const std::vector<std::uint32_t>& durations, std::uint32_t nCarrier)
{
    Transmit(ToBitstream(durations, GetMachineNanosPerSample(*m_pDevice)), nCarrier);
    return m_pDevice->GetLastFault().empty();
}

void CFiringEngine::Transmit(const CBitstream& bits, std::uint32_t nCarrier)
{
    if (m_pDevice->TakesCarrier())
        m_pDevice->SetSendCarrier(nCarrier);
    m_pDevice->TransmitBitstream(bits.GetBytes().data(), bits.GetLength());
    m_bSent = true;
    m_nSentTick = m_ticks.GetTickCount();
}

void CFiringEngine::Report(int nStringId, const CRemoteButton& button, const std::string& strWhy)
{
    m_frontEnd.ShowMessage(nStringId, button.GetDisplayText() + ":  " + strWhy, EMessageBox::Stop);
}

bool CFiringEngine::FireSteps(CRemoteButton& megabutton)
{
    // The editing rules refuse to change a firing button, so the steps stay as they are while
    // messages are pumped between them.
    for (const CMegaStep& step : megabutton.m_steps)
    {
        const std::uint32_t nStart = m_ticks.GetTickCount();
        const std::uint32_t nDeadline = nStart + GetStepDelayMs(step.m_nDelay);
        if (m_onStep)
            m_onStep(step);
        if (!Fire(*step.m_pButton))
            return false;
        // A nested megabutton has already waited its own steps' delays.
        if (!step.m_pButton->m_bMega)
            WaitUntil(nStart, nDeadline);
    }
    return true;
}

void CFiringEngine::WaitUntil(std::uint32_t nStart, std::uint32_t nDeadline)
{
    const bool bWrapped = nDeadline < nStart;
    for (std::uint32_t nNow = m_ticks.GetTickCount();
         !HasIntervalEnded(nNow, nStart, nDeadline, bWrapped); nNow = m_ticks.GetTickCount())
        PumpWaitMessages(nDeadline - nNow);
}

bool CFiringEngine::GetLastSentTick(std::uint32_t& nTick) const
{
    nTick = m_nSentTick;
    return m_bSent;
}

bool CFiringEngine::Learn(CRemoteButton& button, std::uint32_t nCapacity)
{
    EndLearning();
    const std::uint32_t nLimit = std::min(nCapacity, static_cast<std::uint32_t>(kBitstreamBytes));
    std::uint32_t nCaptured = nLimit;
    m_pDevice->CaptureBitstream(m_captureField.data(), nCaptured);
    if (!m_pDevice->GetLastFault().empty())
    {
        Report(StringId::kLearnFailed, button, m_pDevice->GetLastFault());
        return false;
    }
    button.m_bits = CBitstream(
        std::span<const std::uint8_t>(m_captureField.data(), std::min(nCaptured, nLimit)));
    if (!m_pDevice->GetLastNotice().empty())
        Report(StringId::kLearnCut, button, m_pDevice->GetLastNotice());
    return true;
}

bool CFiringEngine::EnableDetector(const CRemoteButton& button)
{
    m_pDevice->EnableDetector();
    m_bLearning = m_pDevice->GetLastFault().empty();
    if (m_bLearning)
        return true;
    Report(StringId::kLearnFailed, button, m_pDevice->GetLastFault());
    return false;
}

void CFiringEngine::PumpWaitMessages(std::uint32_t nMaxWaitMs)
{
    m_frontEnd.PumpWaitMessages(nMaxWaitMs);
}

void CFiringEngine::EnterFiring()
{
    if (++m_nDepth == 1)
        m_frontEnd.EnableCloseCommand(false);
}

void CFiringEngine::LeaveFiring()
{
    if (--m_nDepth == 0)
        m_frontEnd.EnableCloseCommand(true);
}

CScopedCount CFiringEngine::EnterFiringScope()
{
    return CScopedCount([this] { EnterFiring(); }, [this] { LeaveFiring(); });
}

void CFiringEngine::SetStepObserver(std::function<void(const CMegaStep&)> onStep)
{
    m_onStep = std::move(onStep);
}
