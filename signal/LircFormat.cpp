#include "signal/LircFormat.h"

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
    QUORBIT_LIRC_WORD("min_repeat", 20, nMinRepeat, int),
    QUORBIT_LIRC_WORD("rc6_mask", kMaxWord, nRc6Mask, std::uint64_t),
    QUORBIT_LIRC_WORD("toggle_bit_mask", kMaxWord, nToggleBitMask, std::uint64_t),
    QUORBIT_LIRC_WORD("frequency", kMaxCarrierHz, nCarrierHz, unsigned),
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

// Reads the file a line at a time: outside any remote, in a remote's header, or among its raw
// codes.
class CLircReader
{
public:
    bool Read(std::string_view text, std::vector<SExchangeCode>& codes, SExchangeError& error)
    {
        const std::vector<SWordLine> lines = SplitWordLines(text);
        const bool bBareList = !lines.empty() && ParseDecimal(lines[0].words[0], kMaxDuration);
        for (const SWordLine& line : lines)
        {
            if (!(bBareList ? ReadBareDurations(line) : ReadLine(line)))
                break;
        }
        if (m_error.strReason.empty())
            CheckEnd();
        return HandOver(m_codes, m_error, codes, error);
    }

private:
    enum class EState
    {
        Outside,
        Remote,
        RawCodes,
        Codes,
    };

    bool Refuse(int nLine, std::string strReason)
    {
        m_error = {nLine, std::move(strReason)};
        return false;
    }

    bool ReadLine(const SWordLine& line)
    {
        switch (m_nState)
        {
        case EState::Outside:
            return ReadOutside(line);
        case EState::Remote:
            return ReadHeader(line);
        case EState::RawCodes:
            return ReadRawCode(line);
        case EState::Codes:
            return ReadEncodedCode(line);
        }
        return false;
    }

    bool ReadOutside(const SWordLine& line)
    {
        if (!IsLine(line, "begin", "remote"))
            return Refuse(line.nLine, "\"begin remote\" was expected, not " + Quote(line.words[0]));
        m_nState = EState::Remote;
        m_nRemoteLine = line.nLine;
        m_remote = SLircRemote{};
        m_pending.clear();
        return true;
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
            return Refuse(line.nLine, Quote(line.words[0]) + " followed by " +
                                          Quote(line.words.size() > 1 ? line.words[1] : "") +
                                          " is no section of a remote");
        if (key == "name" && line.words.size() == 2)
            m_remote.strName = std::string(line.words[1]);
        else if (key == "flags")
            return ReadFlags(line);
        else if (SLircTiming SLircRemote::*pTiming = FindTimingWord(key))
            return ReadTiming(line, m_remote.*pTiming);
        for (const SNumberWord& number : kNumberWords)
            if (key == number.pszWord)
                return ReadNumber(line, number);
        // The rest (eps, aeps, duty_cycle, driver...) say how to receive; they change nothing
        // in what one press sends.
        return true;
    }

    bool ReadNumber(const SWordLine& line, const SNumberWord& number)
    {
        std::uint64_t nValue = 0;
        // gap may give a second figure, for remotes whose gaps vary; the first is the usual.
        const bool bCount =
            line.words.size() == 2 || (line.words[0] == "gap" && line.words.size() == 3);
        if (!bCount || !ParseLircNumber(line.words[1], nValue) || nValue > number.nMax ||
            (line.words[0] == "frequency" && nValue == 0))
            return Refuse(line.nLine, line.words[0] == "frequency"
                                          ? std::string("the frequency is not a number of hertz")
                                          : Quote(line.words[0]) + " takes a number up to " +
                                                std::to_string(number.nMax));
        number.pStore(m_remote, nValue);
        return true;
    }

    bool ReadTiming(const SWordLine& line, SLircTiming& timing)
    {
        std::uint64_t nPulse = 0;
        std::uint64_t nSpace = 0;
        if (line.words.size() != 3 || !ParseLircNumber(line.words[1], nPulse) ||
            !ParseLircNumber(line.words[2], nSpace) || nPulse > kMaxMicros || nSpace > kMaxMicros)
            return Refuse(line.nLine,
                          Quote(line.words[0]) + " takes a pulse and a space in microseconds");
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
                if (nFlag == 0 && !strFlag.empty())
                    return Refuse(line.nLine, "the flag " + Quote(strFlag) +
                                                  " names an encoding Quorbit cannot make");
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
            return Refuse(line.nLine, "a button is a name and a code, not " + Quote(line.words[0]) +
                                          " alone or with text");
        m_pending.push_back({std::string(line.words[0]), nCode, line.nLine});
        return true;
    }

    std::string FindTimingFault() const
    {
        const SLircRemote& remote = m_remote;
        if (!remote.one.IsSet() && !remote.zero.IsSet())
            return "gives its buttons as codes for a receiver's driver, without the timings "
                   "(one, zero) that make a signal of them";
        if (!remote.one.IsSet() || !remote.zero.IsSet())
            return "needs a pulse and a space for both one and zero";
        if (remote.nBits == 0 || remote.nPreDataBits + remote.nBits + remote.nPostDataBits > 64)
            return "needs bits from 1, and no more than 64 with pre_data_bits and post_data_bits";
        return {};
    }

    // An encoded remote's buttons become durations once its whole header is known.
    bool FinishRemote()
    {
        if (m_pending.empty())
            return true;
        const std::string strFault = FindTimingFault();
        const std::string strRemote = m_remote.strName.empty() ? "the remote" : m_remote.strName;
        if (!strFault.empty())
            return Refuse(m_nRemoteLine, strRemote + " " + strFault);
        for (const SPendingCode& pending : m_pending)
        {
            if (m_remote.nBits < 64 && pending.nCode >> m_remote.nBits != 0)
                return Refuse(pending.nLine, pending.strName + ": the code is wider than the " +
                                                 std::to_string(m_remote.nBits) + " bits of " +
                                                 strRemote);
            std::uint32_t nGap = 0;
            SExchangeCode code{pending.strName, EncodeLircCode(m_remote, pending.nCode, nGap),
                               m_remote.nCarrierHz, pending.nLine};
            // Timings that run together (a lead pulse and a bit's pulse) may add up to more
            // than any signal holds.
            if (std::any_of(code.durations.begin(), code.durations.end(),
                            [](std::uint32_t nMicros) { return nMicros > kMaxDuration; }))
                return Refuse(pending.nLine, pending.strName +
                                                 " makes a pulse or space longer "
                                                 "than " +
                                                 std::to_string(kMaxDuration) + " µs");
            code.strSource = m_remote.strName;
            m_codes.push_back(std::move(code));
        }
        return true;
    }

    bool ReadRawCode(const SWordLine& line)
    {
        if (line.words[0] == "name")
        {
            if (line.words.size() != 2)
                return Refuse(line.nLine, "a name is one word after \"name\"");
            if (!FinishCode())
                return false;
            m_codes.push_back({std::string(line.words[1]), {}, m_remote.nCarrierHz, line.nLine});
            m_codes.back().strSource = m_remote.strName;
            m_bInCode = true;
            return true;
        }
        if (IsLine(line, "end", "raw_codes"))
        {
            m_nState = EState::Remote;
            return FinishCode();
        }
        if (!m_bInCode)
            return Refuse(line.nLine, Quote(line.words[0]) + " comes before the first name");
        return ReadDurations(line, m_codes.back());
    }

    bool ReadDurations(const SWordLine& line, SExchangeCode& code)
    {
        for (const std::string_view word : line.words)
        {
            const unsigned long nMicros = ParseDecimal(word, kMaxDuration);
            if (nMicros == 0)
                return Refuse(line.nLine, Quote(word) +
                                              " is not a duration in microseconds (1 to " +
                                              std::to_string(kMaxDuration) + ")");
            code.durations.push_back(static_cast<std::uint32_t>(nMicros));
        }
        return true;
    }

    bool ReadBareDurations(const SWordLine& line)
    {
        if (m_codes.empty())
            m_codes.push_back({std::string(), {}, 0, line.nLine});
        return ReadDurations(line, m_codes.back());
    }

    // A code ends at the next name or at the end of the raw codes.
    bool FinishCode()
    {
        if (!m_bInCode)
            return true;
        m_bInCode = false;
        SExchangeCode& code = m_codes.back();
        if (code.durations.empty())
            return Refuse(code.nLine, code.strName + " has no durations");
        if (code.durations.size() % 2 == 0)
            code.durations.pop_back();
        return true;
    }

    void CheckEnd()
    {
        if (m_nState == EState::RawCodes || m_nState == EState::Codes)
            Refuse(m_nRawCodesLine,
                   m_nState == EState::Codes
                       ? "the codes that begin here have no \"end codes\""
                       : "the raw codes that begin here have no \"end raw_codes\"");
        else if (m_nState == EState::Remote)
            Refuse(m_nRemoteLine, "the remote that begins here has no \"end remote\"");
        else if (m_codes.empty())
            Refuse(0, "it holds no code");
        else if (m_codes.back().strName.empty() && m_codes.back().durations.size() % 2 == 0)
            m_codes.back().durations.pop_back();
    }

    EState m_nState = EState::Outside;
    int m_nRemoteLine = 0;
    int m_nRawCodesLine = 0;
    SLircRemote m_remote;
    std::vector<SPendingCode> m_pending;
    bool m_bInCode = false;
    std::vector<SExchangeCode> m_codes;
    SExchangeError m_error;
};
} // namespace

namespace
{
// A remote has one carrier: the one most of its codes name, else nCarrierHz.
unsigned FindRemoteCarrier(const std::vector<SExchangeCode>& codes, unsigned nCarrierHz)
{
    std::map<unsigned, std::size_t> counts;
    for (const SExchangeCode& code : codes)
        if (code.nCarrierHz != 0)
            ++counts[code.nCarrierHz];
    const auto it =
        std::ranges::max_element(counts, {}, [](const auto& entry) { return entry.second; });
    return it != counts.end() ? it->first : nCarrierHz;
}
} // namespace

std::string FormatLircRemote(const std::string& strRemote, const std::vector<SExchangeCode>& codes,
                             unsigned nCarrierHz)
{
    std::string strText = "# Written by Quorbit: raw codes in microseconds, a pulse first.\n"
                          "begin remote\n\n  name  " +
                          MakeExchangeName(strRemote) + "\n  flags RAW_CODES\n" + kTolerances +
                          "  frequency " + std::to_string(FindRemoteCarrier(codes, nCarrierHz)) +
                          "\n  gap   " + std::to_string(kTrailingGapMicros) +
                          "\n\n  begin raw_codes\n";
    for (const SExchangeCode& code : codes)
        strText +=
            "\n    name " + MakeExchangeName(code.strName) + "\n" + FormatDurations(code.durations);
    return strText + "\n  end raw_codes\n\nend remote\n";
}

bool ParseLircCodes(std::string_view text, std::vector<SExchangeCode>& codes, SExchangeError& error)
{
    return CLircReader().Read(text, codes, error);
}
