#include "signal/LircEncoding.h"

#include "signal/RunBuilder.h"

#include <algorithm>
#include <array>
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
        : m_remote(remote), m_nAllBits(remote.nPreDataBits + remote.nBits + remote.nPostDataBits)
    {
    }

    void Pair(std::uint32_t nPulse, std::uint32_t nSpace)
    {
        m_builder.Add(nPulse);
        m_builder.Add(-static_cast<double>(nSpace));
    }

    void Pulse(std::uint32_t nPulse) { m_builder.Add(nPulse); }

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
            m_builder.Add(-static_cast<double>(remote.foot.nSpace));
            Pulse(remote.foot.nPulse);
        }
    }

    CRunBuilder& GetBuilder() { return m_builder; }

private:
    void Bit(bool bOne)
    {
        const SLircRemote& remote = m_remote;
        const int nFromEnd = m_nAllBits - 1 - m_nSent++;
        const bool bDouble = (remote.nFlags & kLircRc6) && nFromEnd >= 0 && nFromEnd < 64 &&
                             (remote.nRc6Mask >> nFromEnd & 1);
        const double dScale = bDouble ? 2 : 1;
        const SLircTiming& timing = bOne ? remote.one : remote.zero;
        const double dPulse = timing.nPulse * dScale;
        const double dSpace = timing.nSpace * dScale;
        // Biphase (RC-5 and RC-6 alike): a 1 is a space then a pulse.
        const bool bSpaceFirst = (remote.nFlags & (kLircShift | kLircRc6)) && bOne;
        m_builder.Add(bSpaceFirst ? -dSpace : dPulse);
        m_builder.Add(bSpaceFirst ? dPulse : -dSpace);
    }

    const SLircRemote& m_remote;
    const int m_nAllBits;
    int m_nSent = 0;
    CRunBuilder m_builder;
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
    // The daemon flips the toggle bits for the first press it sends, as for every new one.
    nCode ^= remote.nToggleBitMask;
    CLircWriter writer(remote);
    CRunBuilder& builder = writer.GetBuilder();
    for (int nFrame = 0; nFrame <= remote.nMinRepeat; ++nFrame)
    {
        const double dStart = builder.GetLength();
        writer.Frame(nCode, nFrame > 0);
        const double dLength = builder.GetLength() - dStart;
        // repeat_gap follows the remote's repeat sequence; repeated frames keep the gap.
        const bool bAfterRepeat = nFrame > 0 && remote.repeat.IsSet() && remote.nRepeatGap != 0;
        double dGap = bAfterRepeat ? remote.nRepeatGap : remote.nGap;
        if (remote.nFlags & kLircConstLength)
            dGap = std::max(dGap - dLength, 0.0);
        builder.Add(-dGap);
        nTrailingGap = static_cast<std::uint32_t>(dGap);
    }
    return builder.GetDurations();
}
