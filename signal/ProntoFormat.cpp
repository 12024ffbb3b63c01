#include "signal/ProntoFormat.h"

#include "signal/ExchangeText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace
{
// The period of the clock the carrier word counts in, in microseconds.
constexpr double kClockMicros = 0.241246;
constexpr unsigned kLearnedType = 0x0000;
constexpr unsigned kMaxWord = 0xFFFF;
constexpr std::size_t kHeaderWords = 4;

double CarrierMicros(unsigned nCarrierWord)
{
    return nCarrierWord * kClockMicros;
}

std::string FormatWord(unsigned nWord)
{
    char szWord[16]; // room for any unsigned, though a word holds four digits
    std::snprintf(szWord, sizeof szWord, "%04X", nWord);
    return szWord;
}

void AppendWord(std::string& strText, unsigned nWord)
{
    strText += (strText.empty() ? "" : " ") + FormatWord(nWord);
}

bool FormatCode(const std::vector<std::uint32_t>& durations, unsigned nCarrierWord,
                std::string& strCode, std::string& strError)
{
    const std::size_t nPairs = (durations.size() + 1) / 2;
    if (nPairs == 0 || nPairs > kMaxWord)
    {
        strError = nPairs == 0 ? "it holds no signal" : "it has more bursts than a code can hold";
        return false;
    }
    for (const unsigned nWord : {kLearnedType, nCarrierWord, static_cast<unsigned>(nPairs), 0u})
        AppendWord(strCode, nWord);
    const double dUnit = CarrierMicros(nCarrierWord);
    for (std::size_t nRun = 0; nRun < nPairs * 2; ++nRun)
    {
        const std::uint32_t nMicros =
            nRun < durations.size() ? durations[nRun] : kTrailingGapMicros;
        const long nUnits = std::max(1l, std::lround(nMicros / dUnit));
        if (nUnits > static_cast<long>(kMaxWord))
        {
            strError = std::string("a ") + (nRun % 2 == 0 ? "mark" : "space") + " of " +
                       std::to_string(nMicros) + " µs is longer than a word holds at this carrier";
            return false;
        }
        AppendWord(strCode, static_cast<unsigned>(nUnits));
    }
    return true;
}

// One word of the input, with the name written before it when it begins a code.
struct SToken
{
    unsigned nValue = 0;
    int nLine = 0;
    std::string_view name;
    int nNameLine = 0;
};

bool IsName(std::string_view word)
{
    return word.size() > 1 && word.back() == ':';
}

bool ParseWord(std::string_view word, unsigned& nValue)
{
    const char* pEnd = word.data() + word.size();
    const auto [pStop, error] = std::from_chars(word.data(), pEnd, nValue, 16);
    return word.size() == 4 && error == std::errc() && pStop == pEnd;
}

bool RefuseNameAlone(std::string_view name, int nLine, SExchangeError& error)
{
    error = {nLine, "no code follows the name " + std::string(name)};
    return false;
}

bool Tokenise(std::string_view text, std::vector<SToken>& tokens, SExchangeError& error)
{
    std::string_view pendingName;
    int nNameLine = 0;
    for (const SWordLine& line : SplitWordLines(text))
    {
        for (const std::string_view word : line.words)
        {
            if (IsName(word))
            {
                if (!pendingName.empty())
                    return RefuseNameAlone(pendingName, nNameLine, error);
                pendingName = word.substr(0, word.size() - 1);
                nNameLine = line.nLine;
                continue;
            }
            SToken token{0, line.nLine, pendingName, nNameLine};
            if (!ParseWord(word, token.nValue))
            {
                error = {line.nLine,
                         "\"" + std::string(word) + "\" is not a four-digit hexadecimal word"};
                return false;
            }
            tokens.push_back(token);
            pendingName = {};
        }
    }
    return pendingName.empty() || RefuseNameAlone(pendingName, nNameLine, error);
}

// The code that begins at tokens[nFirst]; nFirst moves past it.
bool ParseCode(const std::vector<SToken>& tokens, std::size_t& nFirst, SExchangeCode& code,
               SExchangeError& error)
{
    const SToken& start = tokens[nFirst];
    error.nLine = start.nLine;
    const std::size_t nLeft = tokens.size() - nFirst;
    if (nLeft < kHeaderWords)
    {
        error.strReason = "a code needs at least four words, this one has " + std::to_string(nLeft);
        return false;
    }
    const unsigned nCarrierWord = tokens[nFirst + 1].nValue;
    const std::size_t nPairs = tokens[nFirst + 2].nValue + tokens[nFirst + 3].nValue;
    if (start.nValue != kLearnedType)
        error.strReason =
            "only learned codes (0000) are read, not codes of type " + FormatWord(start.nValue);
    else if (nCarrierWord == 0)
        error.strReason = "the carrier word is 0";
    else if (nPairs == 0)
        error.strReason = "the code holds no burst pairs";
    else if (nLeft < kHeaderWords + 2 * nPairs)
        error.strReason = "the code announces " + std::to_string(nPairs) + " burst pairs (" +
                          std::to_string(2 * nPairs) + " words) but " +
                          std::to_string(nLeft - kHeaderWords) + " words follow";
    if (!error.strReason.empty())
        return false;

    const double dUnit = CarrierMicros(nCarrierWord);
    code = {std::string(start.name),
            {},
            static_cast<unsigned>(std::lround(1e6 / dUnit)),
            start.name.empty() ? start.nLine : start.nNameLine};
    const std::size_t nEnd = nFirst + kHeaderWords + 2 * nPairs;
    for (std::size_t nWord = nFirst + kHeaderWords; nWord < nEnd; ++nWord)
    {
        const SToken& token = tokens[nWord];
        if (!token.name.empty())
            error = {token.nLine, "the name " + std::string(token.name) +
                                      " comes inside the code that begins on line " +
                                      std::to_string(start.nLine)};
        else if (token.nValue == 0 && nWord + 1 != nEnd)
            error = {token.nLine, "a burst of the code that begins on line " +
                                      std::to_string(start.nLine) + " has a time of 0"};
        if (!error.strReason.empty())
            return false;
        code.durations.push_back(static_cast<std::uint32_t>(std::lround(token.nValue * dUnit)));
    }
    // The last off time is the silence after the code.
    code.durations.pop_back();
    nFirst = nEnd;
    return true;
}
} // namespace

bool FormatProntoCodes(const std::vector<SExchangeCode>& codes, unsigned nCarrierHz,
                       std::string& strText, std::string& strError)
{
    std::string strCodes;
    for (const SExchangeCode& code : codes)
    {
        const auto nCarrierWord = static_cast<unsigned>(
            std::lround(1e6 / (GetCarrierOr(code, nCarrierHz) * kClockMicros)));
        std::string strCode;
        if (!FormatCode(code.durations, nCarrierWord, strCode, strError))
        {
            strError = (code.strName.empty() ? "the code" : code.strName) + ": " + strError;
            return false;
        }
        strCodes +=
            (code.strName.empty() ? "" : MakeExchangeName(code.strName) + ": ") + strCode + "\n";
    }
    strText = std::move(strCodes);
    return true;
}

bool ParseProntoCodes(std::string_view text, std::vector<SExchangeCode>& codes,
                      SExchangeError& error)
{
    std::vector<SToken> tokens;
    if (!Tokenise(text, tokens, error))
        return false;
    if (tokens.empty())
    {
        error = {0, "it holds no code"};
        return false;
    }
    std::vector<SExchangeCode> read;
    for (std::size_t nFirst = 0; nFirst < tokens.size();)
    {
        if (!ParseCode(tokens, nFirst, read.emplace_back(), error))
            return false;
    }
    codes = std::move(read);
    return true;
}
