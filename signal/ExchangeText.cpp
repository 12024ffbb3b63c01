#include "signal/ExchangeText.h"

#include <algorithm>
#include <charconv>

namespace
{
constexpr std::string_view kBlanks = " \t\r\f\v";
// The byte-order mark some editors put before UTF-8 text.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The line up to its comment: a '#' that begins a word begins one; within a word ("KEY-#")
// it is part of the word.
std::string_view WithoutComment(std::string_view line)
{
    for (std::size_t nHash = line.find('#'); nHash != std::string_view::npos;
         nHash = line.find('#', nHash + 1))
        if (nHash == 0 || kBlanks.find(line[nHash - 1]) != std::string_view::npos)
            return line.substr(0, nHash);
    return line;
}
} // namespace

bool TakeWordLine(std::string_view& rest, int& nLine, SWordLine& words)
{
    if (nLine == 0 && rest.starts_with(kByteOrderMark))
        rest.remove_prefix(kByteOrderMark.size());
    // Text without a line holds one, empty.
    while (!rest.empty() || nLine == 0)
    {
        ++nLine;
        const std::size_t nEnd = std::min(rest.find('\n'), rest.size());
        std::string_view line = WithoutComment(rest.substr(0, nEnd));
        rest.remove_prefix(std::min(nEnd + 1, rest.size()));
        words = {nLine, {}};
        while (true)
        {
            const std::size_t nFirst = line.find_first_not_of(kBlanks);
            if (nFirst == std::string_view::npos)
                break;
            line.remove_prefix(nFirst);
            const std::size_t nLength = std::min(line.find_first_of(kBlanks), line.size());
            words.words.push_back(line.substr(0, nLength));
            line.remove_prefix(nLength);
        }
        if (!words.words.empty())
            return true;
    }
    return false;
}

std::vector<SWordLine> SplitWordLines(std::string_view text)
{
    std::vector<SWordLine> lines;
    int nLine = 0;
    for (SWordLine line; TakeWordLine(text, nLine, line);)
        lines.push_back(std::move(line));
    return lines;
}

std::string MakeExchangeName(const std::string& strName)
{
    std::string strWord = strName;
    std::replace_if(
        strWord.begin(), strWord.end(), [](char c) { return c == ' ' || c == '\t' || c == ':'; },
        '_');
    // Only a '#' at the start would be read as a comment.
    if (strWord.starts_with('#'))
        strWord[0] = '_';
    return strWord;
}

unsigned long ParseDecimal(std::string_view strWord, unsigned long nMax)
{
    unsigned long nValue = 0;
    const char* pEnd = strWord.data() + strWord.size();
    const auto [pStop, error] = std::from_chars(strWord.data(), pEnd, nValue);
    if (error != std::errc() || pStop != pEnd || nValue > nMax)
        return 0;
    return nValue;
}

bool ParseNumber(std::string_view strWord, std::uint64_t& nValue, bool bOctal)
{
    int nBase = 10;
    if (strWord.size() > 2 && strWord[0] == '0' && (strWord[1] == 'x' || strWord[1] == 'X'))
    {
        nBase = 16;
        strWord.remove_prefix(2);
    }
    else if (bOctal && strWord.size() > 1 && strWord[0] == '0')
        nBase = 8;
    const char* pEnd = strWord.data() + strWord.size();
    const auto [pStop, ec] = std::from_chars(strWord.data(), pEnd, nValue, nBase);
    return ec == std::errc() && pStop == pEnd && !strWord.empty();
}

bool HandOver(std::vector<SExchangeCode>& read, const SExchangeError& found,
              std::vector<SExchangeCode>& codes, SExchangeError& error)
{
    if (!found.strReason.empty())
    {
        error = found;
        return false;
    }
    codes = std::move(read);
    return true;
}
