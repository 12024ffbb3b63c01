#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A remote of the Linux infrared daemon's configuration file that describes its codes by their
// encoding (a header, a pulse and space for each bit, pre_data...) rather than as raw durations.
// Durations in microseconds; 0 where the file gave none.
struct SLircTiming
{
    std::uint32_t nPulse = 0;
    std::uint32_t nSpace = 0;

    bool IsSet() const { return nPulse != 0 && nSpace != 0; }
};

enum ELircFlag : unsigned
{
    kLircRaw = 1u << 0,
    kLircShift = 1u << 1, // SHIFT_ENC, RC5: a 1 is a space then a pulse
    kLircRc6 = 1u << 2,
    kLircSpace = 1u << 3,
    kLircReverse = 1u << 4,
    kLircNoHeadRep = 1u << 5,
    kLircNoFootRep = 1u << 6,
    kLircConstLength = 1u << 7,
    kLircRepeatHeader = 1u << 8,
};

struct SLircRemote
{
    std::string strName;
    unsigned nFlags = 0;
    int nBits = 0;
    SLircTiming header, one, zero, foot, repeat, pre, post;
    std::uint32_t nPlead = 0;
    std::uint32_t nPtrail = 0;
    int nPreDataBits = 0;
    int nPostDataBits = 0;
    std::uint64_t nPreData = 0;
    std::uint64_t nPostData = 0;
    std::uint32_t nGap = 0;
    std::uint32_t nRepeatGap = 0;
    int nMinRepeat = 0;
    // Which bits of pre_data, data and post_data (counted from the last sent) are sent twice
    // as long, for RC-6.
    std::uint64_t nRc6Mask = 0;
    // The bits of pre_data, data and post_data (counted from the last sent) that change with
    // every new press.
    std::uint64_t nToggleBitMask = 0;
    // The bits of the code (data alone) inverted in every repeat of a press.
    std::uint64_t nRepeatMask = 0;
    // The code of the remote's first button: the daemon starts its toggle bits from it.
    std::uint64_t nFirstCode = 0;
    unsigned nCarrierHz = 0;
    unsigned nDutyPercent = 0; // 1 to 100; 0 when the file gives none
};

// The flag a word of the flags line names; 0 for one this reader does not know.
unsigned FindLircFlag(const std::string& strWord);

// The signal the first press of the button with this code sends: the frame, then min_repeat
// repeats (the repeat sequence where the remote has one), each followed by its gap, with the
// toggle bits as the daemon sets them for a first press. Durations end on the last pulse;
// nTrailingGap takes the gap after it.
std::vector<std::uint32_t> EncodeLircCode(const SLircRemote& remote, std::uint64_t nCode,
                                          std::uint32_t& nTrailingGap);
