#include "engine/CFiringEngine.h"

#include "base/CStringTable.h"
#include "device/CInfraredDevice.h"
#include "device/SamplePeriod.h"
#include "document/CFrontEnd.h"
#include "document/CRemoteButton.h"
#include "engine/ButtonPlayback.h"
#include "engine/CTickSource.h"
#include "signal/ButtonSignal.h"
#include "signal/SignalDecoder.h"
#include "signal/SignalEncoder.h"

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

// The frames of the button held for nHoldMillis: its code's, else its recording's own.
CTimedFrames MakeHeldFrames(const CRemoteButton& button, const SDecodedSignal& code,
                            std::uint32_t nHoldMillis, double dNanosPerSample)
{
    const std::uint64_t nHoldMicros = std::uint64_t{nHoldMillis} * 1000;
    CTimedFrames frames;
    if (EncodeHeldFrames(code, nHoldMicros, frames))
        return frames;
    return HoldRecording(GetButtonDurations(button, dNanosPerSample), nHoldMicros);
}

std::string FormatMillis(std::uint64_t nMicros)
{
    return std::to_string((nMicros + 500) / 1000) + " ms";
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
    const double dNanos = GetMachineNanosPerSample(*m_pDevice);
    const SDecodedSignal recorded = GetButtonCode(button, dNanos);
    const SDecodedSignal code = StartPress(button, recorded);
    // The recording itself when it holds the toggle bit this press sends, else the code made
    // anew with the other bit.
    SEncodedSignal encoded;
    if (code.bToggle != recorded.bToggle && EncodeSignal(code, encoded))
        m_pDevice->TransmitDurations(encoded.durations, dNanos);
    else
        PlayButton(*m_pDevice, button);
    return ReportFault(button);
}

bool CFiringEngine::Hold(CRemoteButton& button, std::uint32_t nHoldMillis)
{
    if (nHoldMillis == 0 || button.GetFiringLength() == 0)
        return Fire(button);
    if (const std::string strWhy = GetHoldRefusal(button, nHoldMillis); !strWhy.empty())
    {
        Report(StringId::kFireFailed, button, strWhy);
        return false;
    }
    const double dNanos = GetMachineNanosPerSample(*m_pDevice);
    const SDecodedSignal code = StartPress(button, GetButtonCode(button, dNanos));
    m_pDevice->TransmitTimedFrames(MakeHeldFrames(button, code, nHoldMillis, dNanos), dNanos);
    return ReportFault(button);
}

std::string CFiringEngine::GetHoldRefusal(const CRemoteButton& button, std::uint32_t nHoldMillis)
{
    if (button.m_bMega)
        return "a megabutton is not held as a whole: each of its steps says how long it holds "
               "its button";
    if (nHoldMillis > kLongestHoldMillis)
        return "a hold lasts at most " + std::to_string(kLongestHoldMillis) + " ms, not " +
               std::to_string(nHoldMillis) + " ms";
    const double dNanos = GetMachineNanosPerSample(*m_pDevice);
    const std::uint64_t nLength =
        GetTimedLength(MakeHeldFrames(button, GetButtonCode(button, dNanos), nHoldMillis, dNanos));
    const std::uint64_t nLongest = m_pDevice->GetLongestTimedMicros(dNanos);
    if (nLength <= nLongest)
        return {};
    return std::string(m_pDevice->GetBackendName()) + " plays at most " + FormatMillis(nLongest) +
           " at a time (one recording of " + std::to_string(kBitstreamSamples) +
           " samples), and holding the button " + std::to_string(nHoldMillis) + " ms sends " +
           FormatMillis(nLength);
}

SDecodedSignal CFiringEngine::StartPress(const CRemoteButton& button, SDecodedSignal code)
{
    SetUpButtonCarrier(*m_pDevice, button);
    if (HasToggleBit(code.eProtocol))
        code.bToggle = NextToggle(button, code.bToggle);
    return code;
}

bool CFiringEngine::NextToggle(const CRemoteButton& button, bool bRecorded)
{
    const auto [it, bFirst] = m_lastToggles.try_emplace(&button, bRecorded);
    if (!bFirst)
        it->second = !it->second;
    return it->second;
}

bool CFiringEngine::ReportFault(const CRemoteButton& button)
{
    NoteSent();
    if (m_pDevice->GetLastFault().empty())
        return true;
    Report(StringId::kFireFailed, button, m_pDevice->GetLastFault());
    return false;
}

bool CFiringEngine::SendSignal(const std::vector<std::uint32_t>& durations, std::uint32_t nCarrier)
{
    if (m_pDevice->TakesCarrier())
        m_pDevice->SetSendCarrier(nCarrier);
    m_pDevice->TransmitDurations(durations, GetMachineNanosPerSample(*m_pDevice));
    NoteSent();
    return m_pDevice->GetLastFault().empty();
}

void CFiringEngine::NoteSent()
{
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
        if (!Hold(*step.m_pButton, static_cast<std::uint32_t>(std::max(step.m_nHoldMillis, 0))))
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
    button.m_facts = MakeLearnedFacts(*m_pDevice, button.m_bits);
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
