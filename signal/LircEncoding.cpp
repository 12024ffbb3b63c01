#include "signal/LircEncoding.h"

#include "signal/RunBuilder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <utility>

namespace
{
constexpr std::array<std::pair<const char*, unsigned>, 10> kFlagWords{{
    {"RAW_CODES", kLircRaw},
    {"SHIFT_ENC", kLircShift},
    {"RC5", kLircShift},
    {"RC6", kLircRc6},
    {"SPACE_ENC", kLircSpace},
    {"REVERSE", kLircReverse},
    {"NO_HEAD_REP", kLircNoHeadRep},
    {"NO_FOOT_REP", kLircNoFootRep},
    {"CONST_LENGTH", kLircConstLength},
    {"REPEAT_HEADER", kLircRepeatHeader},
}};

class CLircWriter
{
public:
    explicit CLircWriter(const SLircRemote& remote)
        : m_remote(remote), m_nAllBits(remote.nPreDataBits + remote.nBits + remote.nPostDataBits),
          m_nToggleState(FirstToggleState(remote))
    {
    }

    void Pair(std::uint32_t nPulse, std::uint32_t nSpace)
    {
        Add(nPulse);
        Add(-static_cast<double>(nSpace));
    }

    void Pulse(std::uint32_t nPulse) { Add(nPulse); }

    // A pulse (above 0) or a space (below), counted in the length as the builder lays it.
    void Add(double dMicros)
    {
        if (!m_builder.GetRuns().empty() || dMicros > 0)
            m_dLength += std::abs(dMicros);
        m_builder.Add(dMicros);
    }

    // What was added, from the first pulse; kept as it goes, as a press may hold a thousand
    // frames.
    double GetLength() const { return m_dLength; }

    std::vector<std::uint32_t> GetDurations() const { return m_builder.GetDurations(); }

    // The bits of nData, the most significant first (the least with REVERSE).
    void Bits(std::uint64_t nData, int nBits)
    {
        for (int nBit = 0; nBit < nBits; ++nBit)
        {
            const int nFrom = m_remote.nFlags & kLircReverse ? nBit : nBits - 1 - nBit;
            Bit((nData >> nFrom & 1) != 0);
        }
    }

    void Frame(std::uint64_t nCode, bool bRepeat)
    {
        m_nSent = 0;
        const SLircRemote& remote = m_remote;
        const bool bRepeatSequence = bRepeat && remote.repeat.IsSet();
        if (remote.header.IsSet() &&
            (bRepeatSequence ? (remote.nFlags & kLircRepeatHeader) != 0
                             : !(bRepeat && (remote.nFlags & kLircNoHeadRep))))
            Pair(remote.header.nPulse, remote.header.nSpace);
        Pulse(remote.nPlead);
        if (bRepeatSequence)
            Pair(remote.repeat.nPulse, remote.repeat.nSpace);
        else
        {
            Bits(remote.nPreData, remote.nPreDataBits);
            if (remote.pre.IsSet())
                Pair(remote.pre.nPulse, remote.pre.nSpace);
            Bits(nCode, remote.nBits);
            if (remote.post.IsSet())
                Pair(remote.post.nPulse, remote.post.nSpace);
            Bits(remote.nPostData, remote.nPostDataBits);
        }
        Pulse(remote.nPtrail);
        if (!bRepeatSequence && remote.foot.IsSet() &&
            !(bRepeat && (remote.nFlags & kLircNoFootRep)))
        {
            Add(-static_cast<double>(remote.foot.nSpace));
            Pulse(remote.foot.nPulse);
        }
    }

private:
    // The toggle bits of a first press. The daemon starts from the first button's code: where
    // it has none of the toggle bits, all of them are flipped; else those it has are.
    static std::uint64_t FirstToggleState(const SLircRemote& remote)
    {
        std::uint64_t nFirst = remote.nFirstCode;
        if (remote.nFlags & kLircReverse)
        {
            nFirst = 0;
            for (int nBit = 0; nBit < remote.nBits; ++nBit)
                nFirst |= (remote.nFirstCode >> nBit & 1) << (remote.nBits - 1 - nBit);
        }
        const std::uint64_t nHeld = nFirst & remote.nToggleBitMask;
        return nHeld != 0 ? nHeld : remote.nToggleBitMask;
    }

    void Bit(bool bOne)
    {
        const SLircRemote& remote = m_remote;
        const int nFromEnd = m_nAllBits - 1 - m_nSent++;
        const std::uint64_t nPlace =
            nFromEnd >= 0 && nFromEnd < 64 ? std::uint64_t{1} << nFromEnd : 0;
        if (remote.nToggleBitMask & nPlace)
        {
            // A lone toggle bit is sent as the state says; several are flipped by it.
            const bool bState = (m_nToggleState & nPlace) != 0;
            bOne = std::has_single_bit(remote.nToggleBitMask) ? bState : bOne != bState;
        }
        const bool bDouble = (remote.nFlags & kLircRc6) && (remote.nRc6Mask & nPlace);
        const double dScale = bDouble ? 2 : 1;
        const SLircTiming& timing = bOne ? remote.one : remote.zero;
        const double dPulse = timing.nPulse * dScale;
        const double dSpace = timing.nSpace * dScale;
        // Biphase (RC-5 and RC-6 alike): a 1 is a space then a pulse.
        const bool bSpaceFirst = (remote.nFlags & (kLircShift | kLircRc6)) && bOne;
        Add(bSpaceFirst ? -dSpace : dPulse);
        Add(bSpaceFirst ? dPulse : -dSpace);
    }

    const SLircRemote& m_remote;
    const int m_nAllBits;
    const std::uint64_t m_nToggleState;
    int m_nSent = 0;
    CRunBuilder m_builder;
    double m_dLength = 0;
};
} // namespace

unsigned FindLircFlag(const std::string& strWord)
{
    for (const auto& [pszWord, nFlag] : kFlagWords)
        if (strWord == pszWord)
            return nFlag;
    return 0;
}

std::vector<std::uint32_t> EncodeLircCode(const SLircRemote& remote, std::uint64_t nCode,
                                          std::uint32_t& nTrailingGap)
{
    CLircWriter writer(remote);
    for (int nFrame = 0; nFrame <= remote.nMinRepeat; ++nFrame)
    {
        const double dStart = writer.GetLength();
        writer.Frame(nFrame > 0 ? nCode ^ remote.nRepeatMask : nCode, nFrame > 0);
        double dLength = writer.GetLength() - dStart;
        // Where repeats go without the header, the daemon counts the first frame without it
        // too, so the gap after it is longer by the header.
        if (nFrame == 0 && (remote.nFlags & kLircNoHeadRep) && remote.header.IsSet())
            dLength -= remote.header.nPulse + remote.header.nSpace;
        // repeat_gap follows the remote's repeat sequence as it stands, whatever the length;
        // repeated frames keep the gap.
        const bool bAfterRepeat = nFrame > 0 && remote.repeat.IsSet() && remote.nRepeatGap != 0;
        double dGap = bAfterRepeat ? remote.nRepeatGap : remote.nGap;
        if ((remote.nFlags & kLircConstLength) && !bAfterRepeat)
            dGap = std::max(dGap - dLength, 0.0);
        writer.Add(-dGap);
        nTrailingGap = static_cast<std::uint32_t>(dGap);
    }
    return writer.GetDurations();
}
