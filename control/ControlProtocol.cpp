#include "control/ControlProtocol.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace
{
struct SCommandWord
{
    const char* pszWord;
    EControlCommand nCommand;
    std::size_t nArguments;
};

constexpr std::array<SCommandWord, 7> kCommandWords{{
    {"OPEN", EControlCommand::Open, 1},
    {"SHOW", EControlCommand::Show, 0},
    {"FIRE", EControlCommand::Fire, 2},
    {"HOLD", EControlCommand::Hold, 3},
    {"LIST", EControlCommand::List, 0},
    {"STATUS", EControlCommand::Status, 0},
    {"LISTEN", EControlCommand::Listen, 0},
}};

bool IsControlByte(char c)
{
    const auto nByte = static_cast<unsigned char>(c);
    return (nByte < 0x20 && c != '\t') || nByte == 0x7F;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Reads the quoted word that starts at nIndex, leaving nIndex past its closing quote.
bool ReadQuotedWord(std::string_view strLine, std::size_t& nIndex, std::string& strWord,
                    std::string& strError)
{
    for (++nIndex; nIndex < strLine.size(); ++nIndex)
    {
        const char c = strLine[nIndex];
        if (c == '"')
        {
            ++nIndex;
            if (nIndex < strLine.size() && !IsBlank(strLine[nIndex]))
            {
                strError = "a closing quote must end its word";
                return false;
            }
            return true;
        }
        if (c == '\\')
        {
            if (++nIndex == strLine.size() || (strLine[nIndex] != '"' && strLine[nIndex] != '\\'))
            {
                strError = "only \\\" and \\\\ may follow a backslash";
                return false;
            }
        }
        strWord += strLine[nIndex];
    }
    strError = "a quote is not closed";
    return false;
}

std::string ToUpper(std::string strWord)
{
    std::transform(strWord.begin(), strWord.end(), strWord.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return strWord;
}
} // namespace

bool SplitControlWords(std::string_view strLine, std::vector<std::string>& words,
                       std::string& strError)
{
    words.clear();
    if (std::any_of(strLine.begin(), strLine.end(), IsControlByte))
    {
        strError = "the line holds control characters or binary data";
        return false;
    }
    std::size_t nIndex = 0;
    while (true)
    {
        while (nIndex < strLine.size() && IsBlank(strLine[nIndex]))
            ++nIndex;
        if (nIndex == strLine.size())
            return true;
        std::string& strWord = words.emplace_back();
        if (strLine[nIndex] == '"')
        {
            if (!ReadQuotedWord(strLine, nIndex, strWord, strError))
                return false;
            continue;
        }
        for (; nIndex < strLine.size() && !IsBlank(strLine[nIndex]); ++nIndex)
        {
            if (strLine[nIndex] == '"' || strLine[nIndex] == '\\')
            {
                strError = "a word with quotes or backslashes must be written in quotes";
                return false;
            }
            strWord += strLine[nIndex];
        }
    }
}

bool ParseControlRequest(std::string_view strLine, SControlRequest& request, std::string& strReply)
{
    std::vector<std::string> words;
    std::string strError;
    if (!SplitControlWords(strLine, words, strError))
    {
        strReply = FormatControlError("malformed", strError);
        return false;
    }
    if (words.empty())
    {
        strReply = FormatControlError("malformed", "the line is empty");
        return false;
    }
    const std::string strCommand = ToUpper(words.front());
    const auto it =
        std::find_if(kCommandWords.begin(), kCommandWords.end(),
                     [&](const SCommandWord& word) { return strCommand == word.pszWord; });
    if (it == kCommandWords.end())
    {
        strReply = FormatControlError(
            "unknown-command", "the commands are OPEN, SHOW, FIRE, HOLD, LIST, STATUS and LISTEN");
        return false;
    }
    if (words.size() - 1 != it->nArguments)
    {
        strReply = FormatControlError("malformed", std::string(it->pszWord) + " takes " +
                                                       std::to_string(it->nArguments) +
                                                       (it->nArguments == 1 ? " word" : " words"));
        return false;
    }
    request.nCommand = it->nCommand;
    request.arguments.assign(words.begin() + 1, words.end());
    return true;
}

bool ParseHoldMillis(std::string_view strText, std::uint32_t& nMillis)
{
    const auto [pEnd, error] =
        std::from_chars(strText.data(), strText.data() + strText.size(), nMillis);
    return error == std::errc() && pEnd == strText.data() + strText.size() && nMillis != 0 &&
           std::isdigit(static_cast<unsigned char>(strText.front()));
}

std::string QuoteControlWord(const std::string& strWord)
{
    const bool bBare = !strWord.empty() && std::none_of(strWord.begin(), strWord.end(),
                                                        [](char c) {
                                                            return IsBlank(c) || c == '"' ||
                                                                   c == '\\' || IsControlByte(c);
                                                        });
    if (bBare)
        return strWord;
    std::string strQuoted = "\"";
    for (const char c : strWord)
    {
        if (c == '"' || c == '\\')
            strQuoted += '\\';
        // A file name may hold a newline; a reply line must never break.
        strQuoted += IsControlByte(c) ? '?' : c;
    }
    return strQuoted + '"';
}

std::string FormatControlOk(const std::string& strText)
{
    return strText.empty() ? "OK\n" : "OK " + strText + "\n";
}

std::string FormatControlError(const std::string& strCode, const std::string& strText)
{
    // A reply is one line: a message's paragraphs run on, and no byte may end the line early.
    std::string strLine = strText;
    for (std::size_t nAt = strLine.find("\n\n"); nAt != std::string::npos;
         nAt = strLine.find("\n\n", nAt))
        strLine.replace(nAt, 2, "  ");
    for (char& c : strLine)
    {
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    }
    return "ERROR " + strCode + " " + strLine + "\n";
}

bool IsControlOk(std::string_view strLastLine)
{
    return strLastLine == "OK" || strLastLine.starts_with("OK ");
}

std::string FormatControlResult(const SControlResult& result)
{
    return result.IsOk() ? FormatControlOk(result.strText)
                         : FormatControlError(result.strCode, result.strText);
}

SControlResult ParseControlResult(std::string_view strLastLine)
{
    if (IsControlOk(strLastLine))
        return SControlResult::Done(
            std::string(strLastLine.substr(std::min<std::size_t>(3, strLastLine.size()))));
    // "ERROR CODE text"
    const std::string_view strRest =
        strLastLine.substr(std::min<std::size_t>(6, strLastLine.size()));
    const std::size_t nSpace = strRest.find(' ');
    if (nSpace == std::string_view::npos)
        return SControlResult::Refused(std::string(strRest), {});
    return SControlResult::Refused(std::string(strRest.substr(0, nSpace)),
                                   std::string(strRest.substr(nSpace + 1)));
}
