#include "signal/LircFormat.h"

#include "base/TextEncoding.h"
#include "signal/ExchangeText.h"
#include "signal/LircEncoding.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace
{
// The daemon's usual tolerances for matching what it receives: 30 % or 100 µs.
constexpr const char* kTolerances = "  eps   30\n  aeps  100\n";
constexpr std::size_t kDurationsPerLine = 8;
// Longer than any signal a button holds, short enough that no sum of them overflows.
constexpr unsigned long kMaxDuration = 10'000'000;
constexpr unsigned long kMaxCarrierHz = 10'000'000;

std::string FormatDurations(const std::vector<std::uint32_t>& durations)
{
    std::string strText;
    for (std::size_t nIndex = 0; nIndex < durations.size(); ++nIndex)
    {
        char szNumber[16];
        std::snprintf(szNumber, sizeof szNumber, "%8u", static_cast<unsigned>(durations[nIndex]));
        const bool bLineStart = nIndex % kDurationsPerLine == 0;
        strText += (bLineStart ? "     " : "") + std::string(szNumber);
        if (nIndex + 1 == durations.size() || (nIndex + 1) % kDurationsPerLine == 0)
            strText += '\n';
    }
    return strText;
}

bool IsLine(const SWordLine& line, std::string_view first, std::string_view second)
{
    return line.words.size() == 2 && line.words[0] == first && line.words[1] == second;
}

std::string Quote(std::string_view word)
{
    return "\"" + std::string(word) + "\"";
}

bool ParseLircNumber(std::string_view word, std::uint64_t& nValue)
{
    return ParseNumber(word, nValue, true);
}

// The header words whose value is one number or a pulse and space, and where it goes.
struct SNumberWord
{
    const char* pszWord;
    std::uint64_t nMax;
    void (*pStore)(SLircRemote&, std::uint64_t);
};

constexpr std::uint64_t kMaxMicros = 10'000'000;
constexpr std::uint64_t kMaxWord = ~std::uint64_t{0};
// Far more repeats than any remote sends (a press of them lasts minutes); the bound keeps a
// damaged file from making one press of gigabytes.
constexpr std::uint64_t kMaxMinRepeat = 1000;
// The pulses and spaces the encoded codes of one file may make: thousands of buttons of
// ordinary remotes, while a file of many codes that each repeat a long frame hundreds of times
// cannot take gigabytes.
constexpr std::size_t kMaxEncodedDurations = 32'000'000;

#define QUORBIT_LIRC_WORD(word, max, field, type)                                                  \
    SNumberWord                                                                                    \
    {                                                                                              \
        word, max, [](SLircRemote& remote, std::uint64_t nValue) {                                 \
            remote.field = static_cast<type>(nValue);                                              \
        }                                                                                          \
    }
const SNumberWord kNumberWords[] = {
    QUORBIT_LIRC_WORD("bits", 64, nBits, int),
    QUORBIT_LIRC_WORD("pre_data_bits", 64, nPreDataBits, int),
    QUORBIT_LIRC_WORD("post_data_bits", 64, nPostDataBits, int),
    QUORBIT_LIRC_WORD("pre_data", kMaxWord, nPreData, std::uint64_t),
    QUORBIT_LIRC_WORD("post_data", kMaxWord, nPostData, std::uint64_t),
    QUORBIT_LIRC_WORD("plead", kMaxMicros, nPlead, std::uint32_t),
    QUORBIT_LIRC_WORD("ptrail", kMaxMicros, nPtrail, std::uint32_t),
    QUORBIT_LIRC_WORD("gap", kMaxMicros, nGap, std::uint32_t),
    QUORBIT_LIRC_WORD("repeat_gap", kMaxMicros, nRepeatGap, std::uint32_t),
    QUORBIT_LIRC_WORD("min_repeat", kMaxMinRepeat, nMinRepeat, int),
    QUORBIT_LIRC_WORD("rc6_mask", kMaxWord, nRc6Mask, std::uint64_t),
    QUORBIT_LIRC_WORD("toggle_bit_mask", kMaxWord, nToggleBitMask, std::uint64_t),
    QUORBIT_LIRC_WORD("repeat_mask", kMaxWord, nRepeatMask, std::uint64_t),
    QUORBIT_LIRC_WORD("frequency", kMaxCarrierHz, nCarrierHz, unsigned),
    // A percentage from 1 to 100; one outside them says nothing a daemon could send, and the
    // remote is read as if it gave none.
    SNumberWord{"duty_cycle", kMaxWord,
                [](SLircRemote& remote, std::uint64_t nValue)
                { remote.nDutyPercent = nValue <= 100 ? static_cast<unsigned>(nValue) : 0; }},
};
#undef QUORBIT_LIRC_WORD

SLircTiming SLircRemote::*FindTimingWord(std::string_view word)
{
    static const std::pair<const char*, SLircTiming SLircRemote::*> kTimings[] = {
        {"header", &SLircRemote::header}, {"one", &SLircRemote::one},
        {"zero", &SLircRemote::zero},     {"foot", &SLircRemote::foot},
        {"repeat", &SLircRemote::repeat}, {"pre", &SLircRemote::pre},
        {"post", &SLircRemote::post}};
    for (const auto& [pszWord, pTiming] : kTimings)
        if (word == pszWord)
            return pTiming;
    return nullptr;
}

// A button of an encoded remote, made into durations once the remote's header is complete.
struct SPendingCode
{
    std::string strName;
    std::uint64_t nCode = 0;
    int nLine = 0;
};

bool HoldsRemote(const std::vector<SWordLine>& lines)
{
    return std::any_of(lines.begin(), lines.end(),
                       [](const SWordLine& line) { return IsLine(line, "begin", "remote"); });
}

// A bare list holds numbers only; a file with a remote in it is a remote file, whatever text
// comes before its first remote.
bool IsBareList(const std::vector<SWordLine>& lines)
{
    return !lines.empty() && ParseDecimal(lines[0].words[0], kMaxDuration) != 0 &&
           !HoldsRemote(lines);
}

// Reads the file a line at a time: outside any remote, in a remote's header, among its codes,
// or passing over the rest of a remote that cannot be read.
class CLircReader
{
public:
    bool Read(std::string_view text, std::vector<SExchangeCode>& codes,
              std::vector<SSkippedRemote>& skipped, SExchangeError& error)
    {
        // Lines and names stay where they are: each byte becomes one character.
        const std::string converted = IsUtf8Text(text) ? std::string() : Windows1252ToUtf8(text);
        const std::vector<SWordLine> lines =
            SplitWordLines(converted.empty() ? text : std::string_view(converted));
        if (IsBareList(lines))
            ReadBareList(lines);
        else
        {
            for (const SWordLine& line : lines)
                ReadLine(line);
            CheckEnd();
        }
        if (!HandOver(m_codes, m_error, codes, error))
            return false;
        skipped = std::move(m_skipped);
        return true;
    }

private:
    enum class EState
    {
        Outside,
        Remote,
        RawCodes,
        Codes,
        Skipping,
    };

    // The remote being read cannot be: it is passed over up to its "end remote", under the
    // fault of its header where it has one, as that comes first.
    bool Refuse(SExchangeError fault)
    {
        if (!m_headerFault.strReason.empty())
            fault = m_headerFault;
        m_skipped.push_back({m_remote.strName, std::move(fault)});
        m_codes.resize(m_nRemoteCodes);
        m_bInCode = false;
        m_nState = EState::Skipping;
        return false;
    }

    // A header line that cannot be read spoils the remote, which is passed over at its end:
    // one that lists scancodes alone is refused for that first.
    bool NoteHeaderFault(int nLine, std::string strReason)
    {
        if (m_headerFault.strReason.empty())
            m_headerFault = {nLine, std::move(strReason)};
        return true;
    }

    void ReadLine(const SWordLine& line)
    {
        const bool bInRemote = m_nState != EState::Outside && m_nState != EState::Skipping;
        if (bInRemote && IsLine(line, "begin", "remote"))
            Refuse({m_nRemoteLine, "the remote that begins here has no \"end remote\" before the "
                                   "next remote, on line " +
                                       std::to_string(line.nLine)});
        switch (m_nState)
        {
        case EState::Outside:
        case EState::Skipping:
            ReadOutside(line);
            break;
        case EState::Remote:
            ReadHeader(line);
            break;
        case EState::RawCodes:
        case EState::Codes:
            if (IsLine(line, "end", "remote"))
            {
                RefuseOpenSection();
                m_nState = EState::Outside;
            }
            else if (m_nState == EState::RawCodes)
                ReadRawCode(line);
            else
                ReadEncodedCode(line);
            break;
        }
    }

    // Outside a remote, and in one passed over, only the start or end of a remote counts.
    void ReadOutside(const SWordLine& line)
    {
        if (IsLine(line, "end", "remote"))
            m_nState = EState::Outside;
        if (!IsLine(line, "begin", "remote"))
            return;
        m_nState = EState::Remote;
        m_nRemoteLine = line.nLine;
        m_remote = SLircRemote{};
        m_nToggleBit = 0;
        m_headerFault = {};
        m_flagFault = {};
        m_pending.clear();
        m_nRemoteCodes = m_codes.size();
    }

    bool ReadHeader(const SWordLine& line)
    {
        const std::string_view key = line.words[0];
        if (IsLine(line, "end", "remote"))
        {
            m_nState = EState::Outside;
            return FinishRemote();
        }
        if (IsLine(line, "begin", "raw_codes") || IsLine(line, "begin", "codes"))
        {
            m_nState = line.words[1] == "codes" ? EState::Codes : EState::RawCodes;
            m_nRawCodesLine = line.nLine;
            return true;
        }
        if (key == "begin" || key == "end")
            return Refuse({line.nLine, Quote(line.words[0]) + " followed by " +
                                           Quote(line.words.size() > 1 ? line.words[1] : "") +
                                           " is no section of a remote"});
        if (key == "name" && line.words.size() == 2)
            m_remote.strName = std::string(line.words[1]);
        else if (key == "flags")
            return ReadFlags(line);
        else if (key == "toggle_bit" || key == "repeat_bit")
            return ReadToggleBit(line);
        else if (SLircTiming SLircRemote::*pTiming = FindTimingWord(key))
            return ReadTiming(line, m_remote.*pTiming);
        for (const SNumberWord& number : kNumberWords)
            if (key == number.pszWord)
                return ReadNumber(line, number);
        // The rest (eps, aeps, driver...) say how to receive; they change nothing in what one
        // press sends.
        return true;
    }

    bool ReadNumber(const SWordLine& line, const SNumberWord& number)
    {
        std::uint64_t nValue = 0;
        // gap may give a second figure, for remotes whose gaps vary; the daemon sends the
        // shorter.
        const bool bGaps = line.words[0] == "gap" && line.words.size() == 3;
        std::uint64_t nSecond = 0;
        const bool bCount = line.words.size() == 2 || bGaps;
        if (!bCount || !ParseLircNumber(line.words[1], nValue) || nValue > number.nMax ||
            (bGaps && (!ParseLircNumber(line.words[2], nSecond) || nSecond > number.nMax)) ||
            (line.words[0] == "frequency" && nValue == 0))
            return NoteHeaderFault(line.nLine,
                                   line.words[0] == "frequency"
                                       ? std::string("the frequency is not a number of hertz")
                                       : Quote(line.words[0]) + " takes a number up to " +
                                             std::to_string(number.nMax));
        number.pStore(m_remote, nSecond != 0 ? std::min(nValue, nSecond) : nValue);
        return true;
    }

    // The older way of naming the one toggle bit: its place from 1 at the first bit sent.
    bool ReadToggleBit(const SWordLine& line)
    {
        std::uint64_t nValue = 0;
        if (line.words.size() != 2 || !ParseLircNumber(line.words[1], nValue) || nValue > 64)
            return NoteHeaderFault(line.nLine,
                                   Quote(line.words[0]) + " takes the place of a bit, up to 64");
        m_nToggleBit = static_cast<int>(nValue);
        return true;
    }

    bool ReadTiming(const SWordLine& line, SLircTiming& timing)
    {
        std::uint64_t nPulse = 0;
        std::uint64_t nSpace = 0;
        if (line.words.size() != 3 || !ParseLircNumber(line.words[1], nPulse) ||
            !ParseLircNumber(line.words[2], nSpace) || nPulse > kMaxMicros || nSpace > kMaxMicros)
            return NoteHeaderFault(line.nLine, Quote(line.words[0]) +
                                                   " takes a pulse and a space in microseconds");
        timing = {static_cast<std::uint32_t>(nPulse), static_cast<std::uint32_t>(nSpace)};
        return true;
    }

    bool ReadFlags(const SWordLine& line)
    {
        for (std::size_t nWord = 1; nWord < line.words.size(); ++nWord)
        {
            std::string_view flags = line.words[nWord];
            while (!flags.empty())
            {
                const std::size_t nEnd = std::min(flags.find('|'), flags.size());
                const std::string strFlag(flags.substr(0, nEnd));
                flags.remove_prefix(std::min(nEnd + 1, flags.size()));
                const unsigned nFlag = FindLircFlag(strFlag);
                if (nFlag == 0 && !strFlag.empty() && m_flagFault.strReason.empty())
                    m_flagFault = {line.nLine, "the flag " + Quote(strFlag) +
                                                   " names an encoding Quorbit cannot make"};
                m_remote.nFlags |= nFlag;
            }
        }
        return true;
    }

    bool ReadEncodedCode(const SWordLine& line)
    {
        if (IsLine(line, "end", "codes"))
        {
            m_nState = EState::Remote;
            return true;
        }
        std::uint64_t nCode = 0;
        // A button may list several codes, sent in turn on successive presses; the first is
        // what a press sends.
        if (line.words.size() < 2 || !ParseLircNumber(line.words[1], nCode))
            return Refuse({line.nLine, "a button is a name and a code, not " +
                                           Quote(line.words[0]) + " alone or with text"});
        m_pending.push_back({std::string(line.words[0]), nCode, line.nLine});
        return true;
    }

    std::string FindTimingFault() const
    {
        const SLircRemote& remote = m_remote;
        if (!remote.one.IsSet() || !remote.zero.IsSet())
            return "needs a pulse and a space for both one and zero";
        const int nAllBits = remote.nPreDataBits + remote.nBits + remote.nPostDataBits;
        if (remote.nBits == 0 || nAllBits > 64)
            return "needs bits from 1, and no more than 64 with pre_data_bits and post_data_bits";
        if (m_nToggleBit > nAllBits)
            return "has its toggle bit at " + std::to_string(m_nToggleBit) + ", past its " +
                   std::to_string(nAllBits) + " bits";
        return {};
    }

    // The older toggle_bit, where the file gives it: the toggle bit, unless toggle_bit_mask
    // names others, and for RC-6 without rc6_mask also the bit sent twice as long.
    void ApplyToggleBit()
    {
        SLircRemote& remote = m_remote;
        if (m_nToggleBit == 0)
            return;
        const int nAllBits = remote.nPreDataBits + remote.nBits + remote.nPostDataBits;
        const std::uint64_t nPlace = std::uint64_t{1} << (nAllBits - m_nToggleBit);
        if ((remote.nFlags & kLircRc6) && remote.nRc6Mask == 0)
            remote.nRc6Mask = nPlace;
        if (remote.nToggleBitMask == 0)
            remote.nToggleBitMask = nPlace;
    }

    // An encoded remote's buttons become durations once its whole header is known. Raw codes
    // are sent as they stand, whatever encoding the flags name, as the daemon sends them.
    bool FinishRemote()
    {
        const std::string strRemote = m_remote.strName.empty() ? "the remote" : m_remote.strName;
        if (m_pending.empty())
            return m_headerFault.strReason.empty() || Refuse(m_headerFault);
        // A remote of scancodes alone is refused for that, before any fault of its header.
        if (!m_remote.one.IsSet() && !m_remote.zero.IsSet())
        {
            m_headerFault = {};
            return Refuse({m_nRemoteLine, strRemote +
                                              " gives its buttons as codes for a receiver's "
                                              "driver, without the timings (one, zero) that "
                                              "make a signal of them"});
        }
        if (!m_headerFault.strReason.empty() || !m_flagFault.strReason.empty())
            return Refuse(m_flagFault);
        const std::string strFault = FindTimingFault();
        if (!strFault.empty())
            return Refuse({m_nRemoteLine, strRemote + " " + strFault});
        ApplyToggleBit();
        m_remote.nFirstCode = m_pending.front().nCode;
        for (const SPendingCode& pending : m_pending)
            if (!AddEncodedCode(pending, strRemote))
                return false;
        return true;
    }

    bool AddEncodedCode(const SPendingCode& pending, const std::string& strRemote)
    {
        if (m_remote.nBits < 64 && pending.nCode >> m_remote.nBits != 0)
            return Refuse({pending.nLine, pending.strName + ": the code is wider than the " +
                                              std::to_string(m_remote.nBits) + " bits of " +
                                              strRemote});
        std::uint32_t nGap = 0;
        SExchangeCode code{pending.strName, EncodeLircCode(m_remote, pending.nCode, nGap),
                           m_remote.nCarrierHz, pending.nLine};
        // Timings that run together (a lead pulse and a bit's pulse) may add up to more than
        // any signal holds.
        if (std::any_of(code.durations.begin(), code.durations.end(),
                        [](std::uint32_t nMicros) { return nMicros > kMaxDuration; }))
            return Refuse({pending.nLine, pending.strName + " makes a pulse or space longer than " +
                                              std::to_string(kMaxDuration) + " µs"});
        m_nEncodedDurations += code.durations.size();
        if (m_nEncodedDurations > kMaxEncodedDurations)
            return Refuse({pending.nLine, "the codes up to " + pending.strName +
                                              " make more than " +
                                              std::to_string(kMaxEncodedDurations) +
                                              " pulses and spaces, more than any remote holds"});
        code.strSource = m_remote.strName;
        code.nDutyPercent = m_remote.nDutyPercent;
        m_codes.push_back(std::move(code));
        return true;
    }

    bool ReadRawCode(const SWordLine& line)
    {
        if (line.words[0] == "name")
        {
            if (line.words.size() != 2)
                return Refuse({line.nLine, "a name is one word after \"name\""});
            if (!FinishCode())
                return false;
            m_codes.push_back({std::string(line.words[1]), {}, m_remote.nCarrierHz, line.nLine});
            m_codes.back().strSource = m_remote.strName;
            m_codes.back().nDutyPercent = m_remote.nDutyPercent;
            m_bInCode = true;
            return true;
        }
        if (IsLine(line, "end", "raw_codes"))
        {
            m_nState = EState::Remote;
            return FinishCode();
        }
        if (!m_bInCode)
            return Refuse({line.nLine, Quote(line.words[0]) + " comes before the first name"});
        const std::string strFault = ReadDurations(line, m_codes.back());
        return strFault.empty() || Refuse({line.nLine, strFault});
    }

    // Why a word of the line is no duration; empty when each is one.
    static std::string ReadDurations(const SWordLine& line, SExchangeCode& code)
    {
        for (const std::string_view word : line.words)
        {
            const unsigned long nMicros = ParseDecimal(word, kMaxDuration);
            if (nMicros == 0)
                return Quote(word) + " is not a duration in microseconds (1 to " +
                       std::to_string(kMaxDuration) + ")";
            code.durations.push_back(static_cast<std::uint32_t>(nMicros));
        }
        return {};
    }

    void ReadBareList(const std::vector<SWordLine>& lines)
    {
        m_codes.push_back({std::string(), {}, 0, lines.front().nLine});
        for (const SWordLine& line : lines)
        {
            const std::string strFault = ReadDurations(line, m_codes.back());
            if (!strFault.empty())
            {
                m_error = {line.nLine, strFault};
                return;
            }
        }
        if (m_codes.back().durations.size() % 2 == 0)
            m_codes.back().durations.pop_back();
    }

    // A code ends at the next name or at the end of the raw codes.
    bool FinishCode()
    {
        if (!m_bInCode)
            return true;
        m_bInCode = false;
        SExchangeCode& code = m_codes.back();
        if (code.durations.empty())
            return Refuse({code.nLine, code.strName + " has no durations"});
        if (code.durations.size() % 2 == 0)
            code.durations.pop_back();
        return true;
    }

    // A remote still open at the end of the file, or at an "end remote" among its codes.
    void RefuseOpenSection()
    {
        if (m_nState == EState::RawCodes || m_nState == EState::Codes)
            Refuse(
                {m_nRawCodesLine, m_nState == EState::Codes
                                      ? "the codes that begin here have no \"end codes\""
                                      : "the raw codes that begin here have no \"end raw_codes\""});
        else if (m_nState == EState::Remote)
            Refuse({m_nRemoteLine, "the remote that begins here has no \"end remote\""});
    }

    void CheckEnd()
    {
        RefuseOpenSection();
        if (!m_codes.empty())
            return;
        m_error =
            m_skipped.empty() ? SExchangeError{0, "it holds no code"} : m_skipped.front().error;
    }

    EState m_nState = EState::Outside;
    int m_nRemoteLine = 0;
    int m_nRawCodesLine = 0;
    SLircRemote m_remote;
    int m_nToggleBit = 0;
    SExchangeError m_headerFault;
    // The first flag naming an encoding Quorbit cannot make, which matters to encoded codes.
    SExchangeError m_flagFault;
    std::vector<SPendingCode> m_pending;
    bool m_bInCode = false;
    // The codes read before the remote being read, kept should it be passed over.
    std::size_t m_nRemoteCodes = 0;
    std::size_t m_nEncodedDurations = 0;
    std::vector<SExchangeCode> m_codes;
    std::vector<SSkippedRemote> m_skipped;
    SExchangeError m_error;
};
} // namespace

namespace
{
// A remote has one carrier and one duty cycle: the one most of its codes name, else nDefault.
unsigned FindRemoteValue(const std::vector<SExchangeCode>& codes, unsigned SExchangeCode::*pValue,
                         unsigned nDefault)
{
    std::map<unsigned, std::size_t> counts;
    for (const SExchangeCode& code : codes)
        if (code.*pValue != 0)
            ++counts[code.*pValue];
    const auto it =
        std::ranges::max_element(counts, {}, [](const auto& entry) { return entry.second; });
    return it != counts.end() ? it->first : nDefault;
}
} // namespace

std::string FormatLircRemote(const std::string& strRemote, const std::vector<SExchangeCode>& codes,
                             unsigned nCarrierHz)
{
    std::string strText =
        "# Written by Quorbit: raw codes in microseconds, a pulse first.\n"
        "begin remote\n\n  name  " +
        MakeExchangeName(strRemote) + "\n  flags RAW_CODES\n" + kTolerances + "  frequency " +
        std::to_string(FindRemoteValue(codes, &SExchangeCode::nCarrierHz, nCarrierHz)) + "\n";
    if (const unsigned nDuty = FindRemoteValue(codes, &SExchangeCode::nDutyPercent, 0); nDuty != 0)
        strText += "  duty_cycle " + std::to_string(nDuty) + "\n";
    strText += "  gap   " + std::to_string(kTrailingGapMicros) + "\n\n  begin raw_codes\n";
    for (const SExchangeCode& code : codes)
        strText +=
            "\n    name " + MakeExchangeName(code.strName) + "\n" + FormatDurations(code.durations);
    return strText + "\n  end raw_codes\n\nend remote\n";
}

bool ParseLircCodes(std::string_view text, std::vector<SExchangeCode>& codes,
                    std::vector<SSkippedRemote>& skipped, SExchangeError& error)
{
    return CLircReader().Read(text, codes, skipped, error);
}

bool HoldsLircRemote(std::string_view text)
{
    return HoldsRemote(SplitWordLines(text));
}

std::string DescribeSkippedRemote(const SSkippedRemote& skipped)
{
    const std::string strRemote =
        skipped.strName.empty() ? "a remote without a name" : "the remote " + skipped.strName;
    return ToDisplayUtf8("skipped " + strRemote + ": " + skipped.error.strReason);
}
