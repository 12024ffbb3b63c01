#include "engine/HeardMatching.h"

#include "document/CQuorbexDoc.h"
#include "signal/ButtonSignal.h"
#include "signal/SignalDecoder.h"
#include "signal/SignalDurations.h"

#include <algorithm>

std::span<const std::uint32_t> FirstFrame(std::span<const std::uint32_t> durations)
{
    for (std::size_t nRun = 1; nRun < durations.size(); nRun += 2)
        if (durations[nRun] >= kFrameGapMicros)
            return durations.first(nRun);
    return durations;
}

bool IsSameFrame(std::span<const std::uint32_t> heard, std::span<const std::uint32_t> recorded)
{
    if (heard.empty() || heard.size() != recorded.size())
        return false;
    return std::ranges::equal(heard, recorded,
                              [](std::uint32_t nHeard, std::uint32_t nRecorded)
                              {
                                  const std::uint32_t nSlack =
                                      kHeardSlackMicros + nRecorded * kHeardSlackPercent / 100;
                                  const std::uint32_t nApart =
                                      nHeard > nRecorded ? nHeard - nRecorded : nRecorded - nHeard;
                                  return nApart <= nSlack;
                              });
}

namespace
{
bool Matches(const CRemoteButton& button, std::span<const std::uint32_t> frame,
             const SDecodedSignal& decoded, double dNanosPerSample)
{
    if (button.m_bMega || button.m_bits.GetLength() == 0)
        return false;
    // The code the button was made from where it keeps one, else what its recording decodes to.
    if (decoded.eProtocol != EProtocol::kUnknown)
        return decoded.IsSameCode(GetButtonCode(button, dNanosPerSample));
    return IsSameFrame(frame, FirstFrame(GetButtonDurations(button, dNanosPerSample)));
}
} // namespace

SHeardMatch MatchHeard(const CQuorbexDoc& doc, std::span<const std::uint32_t> durations,
                       const SDecodedSignal& decoded, double dNanosPerSample)
{
    const std::span<const std::uint32_t> frame = FirstFrame(durations);
    for (const auto& [strRemote, pRemote] : *doc.m_pRemotes)
        for (const auto& [strButton, pButton] : pRemote->m_buttons)
            if (Matches(*pButton, frame, decoded, dNanosPerSample))
                return {pRemote.get(), pButton.get()};
    return {};
}
