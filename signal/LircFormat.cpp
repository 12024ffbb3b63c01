#include "signal/LircFormat.h"

#include "signal/ExchangeText.h"

#include <cstdio>

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
        if (!m_error.strReason.empty())
        {
            error = m_error;
            return false;
        }
        codes = std::move(m_codes);
        return true;
    }

private:
    enum class EState
    {
        Outside,
        Remote,
        RawCodes,
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
        }
        return false;
    }

    bool ReadOutside(const SWordLine& line)
    {
        if (!IsLine(line, "begin", "remote"))
            return Refuse(line.nLine, "\"begin remote\" was expected, not " + Quote(line.words[0]));
        m_nState = EState::Remote;
        m_nRemoteLine = line.nLine;
        m_nCarrierHz = 0;
        return true;
    }

    bool ReadHeader(const SWordLine& line)
    {
        const std::string_view key = line.words[0];
        if (IsLine(line, "end", "remote"))
            m_nState = EState::Outside;
        else if (IsLine(line, "begin", "raw_codes"))
        {
            m_nState = EState::RawCodes;
            m_nRawCodesLine = line.nLine;
        }
        else if (key == "begin" || key == "end")
            return Refuse(line.nLine, "only raw codes are read, not " + Quote(line.words[0]) +
                                          " followed by " +
                                          Quote(line.words.size() > 1 ? line.words[1] : ""));
        else if (key == "frequency")
            return ReadCarrier(line);
        return true;
    }

    bool ReadCarrier(const SWordLine& line)
    {
        m_nCarrierHz = line.words.size() == 2 ? ParseDecimal(line.words[1], kMaxCarrierHz) : 0;
        return m_nCarrierHz != 0 || Refuse(line.nLine, "the frequency is not a number of hertz");
    }

    bool ReadRawCode(const SWordLine& line)
    {
        if (line.words[0] == "name")
        {
            if (line.words.size() != 2)
                return Refuse(line.nLine, "a name is one word after \"name\"");
            if (!FinishCode())
                return false;
            m_codes.push_back({std::string(line.words[1]), {}, m_nCarrierHz, line.nLine});
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
        if (m_nState == EState::RawCodes)
            Refuse(m_nRawCodesLine, "the raw codes that begin here have no \"end raw_codes\"");
        else if (m_nState == EState::Remote)
            Refuse(m_nRemoteLine, "the remote that begins here has no \"end remote\"");
        else if (m_codes.empty())
            Refuse(0, "it holds no raw code");
        else if (m_codes.back().strName.empty() && m_codes.back().durations.size() % 2 == 0)
            m_codes.back().durations.pop_back();
    }

    EState m_nState = EState::Outside;
    int m_nRemoteLine = 0;
    int m_nRawCodesLine = 0;
    unsigned m_nCarrierHz = 0;
    bool m_bInCode = false;
    std::vector<SExchangeCode> m_codes;
    SExchangeError m_error;
};
} // namespace

std::string FormatLircRemote(const std::string& strRemote, const std::vector<SExchangeCode>& codes,
                             unsigned nCarrierHz)
{
    std::string strText = "# Written by Quorbit: raw codes in microseconds, a pulse first.\n"
                          "begin remote\n\n  name  " +
                          MakeExchangeName(strRemote) + "\n  flags RAW_CODES\n" + kTolerances +
                          "  frequency " + std::to_string(nCarrierHz) + "\n  gap   " +
                          std::to_string(kTrailingGapMicros) + "\n\n  begin raw_codes\n";
    for (const SExchangeCode& code : codes)
        strText +=
            "\n    name " + MakeExchangeName(code.strName) + "\n" + FormatDurations(code.durations);
    return strText + "\n  end raw_codes\n\nend remote\n";
}

bool ParseLircCodes(std::string_view text, std::vector<SExchangeCode>& codes, SExchangeError& error)
{
    return CLircReader().Read(text, codes, error);
}
