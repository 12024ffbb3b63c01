#include "signal/SignalDecoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

namespace
{
using CRuns = std::span<const std::uint32_t>;

// A space this long ends a frame: longer than any space inside a frame of the protocols below
// (the 4.5 ms header spaces, with their jitter), shorter than the quietest gap between two
// frames (6 ms after the longest Sony frame).
constexpr std::uint32_t kFrameGap = 5500;
// How far a duration may stray from its nominal length: the sender's own jitter as a part of
// the length, and the receiver's stretching of marks (and so shortening of spaces) on top.
constexpr double kTolerance = 0.3;
constexpr double kStretchMicros = 150;

bool IsNear(std::uint32_t nMicros, double dNominal)
{
    return std::abs(nMicros - dNominal) <= dNominal * kTolerance + kStretchMicros;
}

// The frames of a signal: runs that begin with a mark and end on the mark before a long space.
std::vector<CRuns> SplitFrames(CRuns durations)
{
    std::vector<CRuns> frames;
    std::size_t nBegin = 0;
    for (std::size_t nRun = 1; nRun <= durations.size(); nRun += 2)
    {
        if (nRun == durations.size() || durations[nRun] >= kFrameGap)
        {
            frames.push_back(durations.subspan(nBegin, nRun - nBegin));
            nBegin = nRun + 1;
        }
    }
    return frames;
}

// Pulse-distance frames: a header mark and space, then a short mark per bit whose following
// space is short for a 0 and long for a 1 (least significant bit first), then a closing mark.
struct SPulseDistance
{
    EProtocol eProtocol;
    double dHeaderMark;
    double dHeaderSpace;
    double dBitMark;
    double dZeroSpace;
    double dOneSpace;
    int nBits;
};

constexpr SPulseDistance kNec{EProtocol::kNec, 9000, 4500, 560, 560, 1690, 32};
constexpr SPulseDistance kSamsung{EProtocol::kSamsung, 4500, 4500, 560, 560, 1690, 32};
constexpr SPulseDistance kJvc{EProtocol::kJvc, 8400, 4200, 526, 526, 1578, 16};
constexpr std::array kPulseDistanceForms{kNec, kSamsung, kJvc};
constexpr double kNecRepeatSpace = 2250;

// The bits of a frame of this form, or nothing when it is not one. JVC repeats its frame
// without the header.
std::optional<std::uint32_t> ReadPulseDistance(CRuns frame, const SPulseDistance& form,
                                               bool bHeader)
{
    const std::size_t nFirst = bHeader ? 2 : 0;
    if (frame.size() != nFirst + 2 * static_cast<std::size_t>(form.nBits) + 1)
        return std::nullopt;
    if (bHeader && !(IsNear(frame[0], form.dHeaderMark) && IsNear(frame[1], form.dHeaderSpace)))
        return std::nullopt;
    // From one mark's start to the next is what a receiver's stretching leaves alone, so the
    // bits are read from those periods.
    const double dZero = form.dBitMark + form.dZeroSpace;
    const double dOne = form.dBitMark + form.dOneSpace;
    std::uint32_t nValue = 0;
    for (int nBit = 0; nBit < form.nBits; ++nBit)
    {
        const std::uint32_t nMark = frame[nFirst + 2 * static_cast<std::size_t>(nBit)];
        const std::uint32_t nPeriod =
            nMark + frame[nFirst + 2 * static_cast<std::size_t>(nBit) + 1];
        const bool bOne = nPeriod > (dZero + dOne) / 2;
        if (!IsNear(nMark, form.dBitMark) || !IsNear(nPeriod, bOne ? dOne : dZero))
            return std::nullopt;
        nValue |= static_cast<std::uint32_t>(bOne) << nBit;
    }
    if (!IsNear(frame.back(), form.dBitMark))
        return std::nullopt;
    return nValue;
}

// NEC and Samsung send the command and its inverse; NEC follows the address with its inverse,
// Samsung with itself, and anything else there makes a 16-bit address.
std::optional<SDecodedSignal> MakeFourByteCode(EProtocol eProtocol, std::uint32_t nValue)
{
    const std::uint32_t nAddressLow = nValue & 0xFF;
    const std::uint32_t nAddressHigh = (nValue >> 8) & 0xFF;
    const std::uint32_t nCommand = (nValue >> 16) & 0xFF;
    if ((nValue >> 24) != (~nCommand & 0xFF))
        return std::nullopt;
    const std::uint32_t nDerived = eProtocol == EProtocol::kNec ? ~nAddressLow & 0xFF : nAddressLow;
    SDecodedSignal decoded;
    decoded.eProtocol = eProtocol;
    decoded.bExtended = nAddressHigh != nDerived;
    decoded.nAddress = decoded.bExtended ? nAddressLow | nAddressHigh << 8 : nAddressLow;
    decoded.nCommand = nCommand;
    decoded.nBits = 32;
    return decoded;
}

std::optional<SDecodedSignal> DecodePulseDistance(CRuns frame)
{
    for (const SPulseDistance& form : kPulseDistanceForms)
    {
        const std::optional<std::uint32_t> nValue = ReadPulseDistance(frame, form, true);
        if (!nValue)
            continue;
        if (form.eProtocol != EProtocol::kJvc)
            return MakeFourByteCode(form.eProtocol, *nValue);
        SDecodedSignal decoded;
        decoded.eProtocol = EProtocol::kJvc;
        decoded.nAddress = *nValue & 0xFF;
        decoded.nCommand = *nValue >> 8;
        decoded.nBits = form.nBits;
        return decoded;
    }
    return std::nullopt;
}

// A held NEC button sends only the header mark, a shorter space and a closing mark.
bool IsNecRepeat(CRuns frame)
{
    return frame.size() == 3 && IsNear(frame[0], kNec.dHeaderMark) &&
           IsNear(frame[1], kNecRepeatSpace) && IsNear(frame[2], kNec.dBitMark);
}

// Sony sends a header mark, then a mark per bit (long for a 1, least significant bit first),
// each after a short space: a 7-bit command, then 5, 8 or 13 bits of address.
std::optional<SDecodedSignal> DecodeSony(CRuns frame)
{
    constexpr double kHeaderMark = 2400;
    constexpr double kUnit = 600;
    const int nBits = static_cast<int>(frame.size() / 2);
    if (frame.size() % 2 == 0 || (nBits != 12 && nBits != 15 && nBits != 20) ||
        !IsNear(frame[0], kHeaderMark))
        return std::nullopt;
    std::uint32_t nValue = 0;
    for (int nBit = 0; nBit < nBits; ++nBit)
    {
        const std::uint32_t nMark = frame[2 + 2 * static_cast<std::size_t>(nBit)];
        const bool bOne = nMark > 1.5 * kUnit;
        if (!IsNear(frame[1 + 2 * static_cast<std::size_t>(nBit)], kUnit) ||
            !IsNear(nMark, bOne ? 2 * kUnit : kUnit))
            return std::nullopt;
        nValue |= static_cast<std::uint32_t>(bOne) << nBit;
    }
    SDecodedSignal decoded;
    decoded.eProtocol = EProtocol::kSony;
    decoded.nCommand = nValue & 0x7F;
    decoded.nAddress = nValue >> 7;
    decoded.nBits = nBits;
    return decoded;
}

// Biphase frames: every bit cell changes level in its middle. The cells are laid out in units
// (half a normal cell); where each mark starts is known to the unit from the periods between
// mark starts, which a receiver's stretching leaves alone, and where it ends follows from the
// layout: at the one cell middle before the next mark, else at the one cell boundary there.
struct SBiphaseLayout
{
    double dUnit;
    // The unit at which the first mark starts.
    int nFirstRise;
    // A 1 is a mark in the cell's first half (else in its second).
    bool bMarkFirstIsOne;
    std::vector<int> cellWidths;
};

class CBiphaseReader
{
public:
    explicit CBiphaseReader(const SBiphaseLayout& layout) : m_layout(layout)
    {
        for (const int nWidth : layout.cellWidths)
        {
            m_starts.push_back(m_nTotal);
            m_middles.push_back(m_nTotal + nWidth / 2);
            m_nTotal += nWidth;
        }
        m_starts.push_back(m_nTotal);
    }

    // The cells' bits, the first in the most significant place, or nothing when the runs do
    // not fill the layout.
    std::optional<std::uint32_t> Read(CRuns runs) const
    {
        std::vector<char> marks(static_cast<std::size_t>(m_nTotal), 0);
        int nRise = m_layout.nFirstRise;
        for (std::size_t nMark = 0; nMark < runs.size(); nMark += 2)
        {
            const bool bLast = nMark + 1 == runs.size();
            int nNextRise = m_nTotal + 1;
            if (!bLast)
            {
                const long nPeriod = std::lround((runs[nMark] + runs[nMark + 1]) / m_layout.dUnit);
                if (nPeriod < 2 || nRise + nPeriod >= m_nTotal)
                    return std::nullopt;
                nNextRise = nRise + static_cast<int>(nPeriod);
            }
            const std::optional<int> nFall = FindFall(nRise, nNextRise);
            if (!nFall || !IsNear(runs[nMark], (*nFall - nRise) * m_layout.dUnit))
                return std::nullopt;
            std::fill(marks.begin() + nRise, marks.begin() + *nFall, 1);
            nRise = nNextRise;
        }
        std::uint32_t nValue = 0;
        for (std::size_t nCell = 0; nCell < m_middles.size(); ++nCell)
        {
            const bool bFirst = marks[static_cast<std::size_t>(m_starts[nCell])];
            const bool bSecond = marks[static_cast<std::size_t>(m_middles[nCell])];
            if (bFirst == bSecond)
                return std::nullopt;
            nValue = nValue << 1 | (m_layout.bMarkFirstIsOne ? bFirst : bSecond);
        }
        return nValue;
    }

private:
    static int CountBetween(const std::vector<int>& places, int nAfter, int nBefore)
    {
        return static_cast<int>(std::count_if(places.begin(), places.end(),
                                              [&](int nPlace)
                                              { return nPlace > nAfter && nPlace < nBefore; }));
    }

    // Where a mark starting at nRise ends, given the next mark starts at nNextRise.
    std::optional<int> FindFall(int nRise, int nNextRise) const
    {
        const bool bOnGrid = std::binary_search(m_starts.begin(), m_starts.end(), nRise) ||
                             std::binary_search(m_middles.begin(), m_middles.end(), nRise);
        if (!bOnGrid)
            return std::nullopt;
        for (const std::vector<int>* pPlaces : {&m_middles, &m_starts})
        {
            const int nCount = CountBetween(*pPlaces, nRise, nNextRise);
            if (nCount > 1)
                return std::nullopt;
            if (nCount == 1)
                return *std::find_if(pPlaces->begin(), pPlaces->end(),
                                     [&](int nPlace) { return nPlace > nRise; });
        }
        return std::nullopt;
    }

    const SBiphaseLayout& m_layout;
    std::vector<int> m_starts;
    std::vector<int> m_middles;
    int m_nTotal = 0;
};

// RC-5: 14 cells of 1.778 ms, a 1 being a mark in the second half: two start bits (the second
// inverted into the command's seventh bit), the toggle, 5 address bits and 6 command bits.
std::optional<SDecodedSignal> DecodeRc5(CRuns frame)
{
    static const SBiphaseLayout kLayout{889, 1, false, std::vector<int>(14, 2)};
    const std::optional<std::uint32_t> nValue = CBiphaseReader(kLayout).Read(frame);
    if (!nValue)
        return std::nullopt;
    SDecodedSignal decoded;
    decoded.eProtocol = EProtocol::kRc5;
    decoded.nCommand = (*nValue & 0x3F) | (~*nValue >> 6 & 0x40);
    decoded.nAddress = *nValue >> 6 & 0x1F;
    decoded.bToggle = (*nValue >> 11 & 1) != 0;
    decoded.nBits = 14;
    return decoded;
}

// RC-6 mode 0: a leader mark of 6 units (0.444 ms) and a space of 2, then cells with a 1 as a
// mark in the first half: the start bit, 3 mode bits, the toggle in a cell twice as wide, then
// 8 address and 8 command bits.
std::optional<SDecodedSignal> DecodeRc6(CRuns frame)
{
    constexpr double kUnit = 444.4;
    static const SBiphaseLayout kLayout{
        kUnit, 0, true, {2, 2, 2, 2, 4, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}};
    if (frame.size() < 3 || !IsNear(frame[0], 6 * kUnit) || !IsNear(frame[1], 2 * kUnit))
        return std::nullopt;
    const std::optional<std::uint32_t> nValue = CBiphaseReader(kLayout).Read(frame.subspan(2));
    // The start bit is 1 and mode 0 is 000.
    if (!nValue || (*nValue >> 17) != 0b1000)
        return std::nullopt;
    SDecodedSignal decoded;
    decoded.eProtocol = EProtocol::kRc6;
    decoded.nCommand = *nValue & 0xFF;
    decoded.nAddress = *nValue >> 8 & 0xFF;
    decoded.bToggle = (*nValue >> 16 & 1) != 0;
    decoded.nBits = 21;
    return decoded;
}

// The first protocol that explains the whole frame. RC-6 goes before Sony: its leader could
// pass for a Sony header, while a Sony frame never fills RC-6's cells.
std::optional<SDecodedSignal> DecodeFrame(CRuns frame)
{
    if (IsNecRepeat(frame))
    {
        SDecodedSignal decoded;
        decoded.eProtocol = EProtocol::kNec;
        decoded.bRepeatOnly = true;
        return decoded;
    }
    for (const auto decode : {DecodePulseDistance, DecodeRc6, DecodeSony, DecodeRc5})
        if (std::optional<SDecodedSignal> decoded = decode(frame))
            return decoded;
    return std::nullopt;
}

bool IsRepeatOf(const SDecodedSignal& first, CRuns frame)
{
    if (first.eProtocol == EProtocol::kNec && IsNecRepeat(frame))
        return true;
    if (first.eProtocol == EProtocol::kJvc)
    {
        const std::optional<std::uint32_t> nValue = ReadPulseDistance(frame, kJvc, false);
        if (nValue && *nValue == (first.nAddress | first.nCommand << 8))
            return true;
    }
    const std::optional<SDecodedSignal> decoded = DecodeFrame(frame);
    return decoded && !decoded->bRepeatOnly && decoded->IsSameCode(first);
}

std::string FormatHex(std::uint32_t nValue)
{
    char szText[16];
    std::snprintf(szText, sizeof szText, nValue > 0xFF ? "0x%04X" : "0x%02X", nValue);
    return szText;
}
} // namespace

bool SDecodedSignal::IsSameCode(const SDecodedSignal& other) const
{
    return eProtocol == other.eProtocol && nAddress == other.nAddress &&
           nCommand == other.nCommand && nBits == other.nBits && bRepeatOnly == other.bRepeatOnly;
}

SDecodedSignal DecodeSignal(std::span<const std::uint32_t> durations)
{
    // A signal ends on a mark; the silence after it is no part of any frame.
    if (durations.size() % 2 == 0 && !durations.empty())
        durations = durations.first(durations.size() - 1);
    const std::vector<CRuns> frames = SplitFrames(durations);
    std::optional<SDecodedSignal> found;
    for (std::size_t nFrame = 0; nFrame < frames.size(); ++nFrame)
    {
        std::optional<SDecodedSignal> decoded = DecodeFrame(frames[nFrame]);
        // A repeat frame stands for the code only when no frame carries one.
        if (!decoded || (found && decoded->bRepeatOnly))
            continue;
        found = decoded;
        found->nFrameStart = static_cast<std::size_t>(frames[nFrame].data() - durations.data());
        if (found->bRepeatOnly)
            continue;
        found->nRepeats = static_cast<int>(
            std::count_if(frames.begin() + static_cast<std::ptrdiff_t>(nFrame) + 1, frames.end(),
                          [&](CRuns frame) { return IsRepeatOf(*found, frame); }));
        break;
    }
    SDecodedSignal result = found.value_or(SDecodedSignal{});
    result.nRuns = durations.size();
    return result;
}

const char* GetProtocolName(EProtocol eProtocol)
{
    switch (eProtocol)
    {
    case EProtocol::kNec:
        return "NEC";
    case EProtocol::kSamsung:
        return "Samsung";
    case EProtocol::kJvc:
        return "JVC";
    case EProtocol::kSony:
        return "Sony";
    case EProtocol::kRc5:
        return "RC-5";
    case EProtocol::kRc6:
        return "RC-6";
    case EProtocol::kUnknown:
        break;
    }
    return "unknown";
}

std::uint32_t GetProtocolCarrier(EProtocol eProtocol)
{
    if (eProtocol == EProtocol::kUnknown)
        return 0;
    if (eProtocol == EProtocol::kRc5 || eProtocol == EProtocol::kRc6)
        return 36000;
    return eProtocol == EProtocol::kSony ? 40000 : 38000;
}

std::string DescribeSignal(const SDecodedSignal& decoded)
{
    if (decoded.eProtocol == EProtocol::kUnknown)
        return decoded.nRuns == 0 ? "no signal"
                                  : "unknown (" + std::to_string(decoded.nRuns) + " runs)";
    std::string strText = GetProtocolName(decoded.eProtocol);
    if (decoded.bRepeatOnly)
        return strText + " repeat";
    if (decoded.eProtocol == EProtocol::kSony)
        strText.append(" ").append(std::to_string(decoded.nBits)).append("-bit");
    if (decoded.bExtended)
        strText.append(" extended");
    strText.append(" address ").append(FormatHex(decoded.nAddress));
    strText.append(" command ").append(FormatHex(decoded.nCommand));
    if (decoded.nRepeats > 0)
        strText.append(", repeated ")
            .append(std::to_string(decoded.nRepeats))
            .append(decoded.nRepeats == 1 ? " time" : " times");
    return strText;
}
