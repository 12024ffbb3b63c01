#include "base/TextEncoding.h"

#include <array>

namespace
{
// 0x80 to 0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
} // namespace

char32_t Windows1252ToCodePoint(unsigned char nByte)
{
    if (nByte >= 0x80 && nByte < 0xA0)
        return kHighControls[nByte - 0x80];
    return nByte;
}

unsigned char CodePointToWindows1252(char32_t nCodePoint)
{
    for (unsigned nByte = 0x20; nByte <= 0xFF; ++nByte)
    {
        const char32_t nCandidate = Windows1252ToCodePoint(static_cast<unsigned char>(nByte));
        if (nCandidate == nCodePoint && !IsControlCharacter(nCandidate))
            return static_cast<unsigned char>(nByte);
    }
    return 0;
}

bool IsControlCharacter(char32_t nCodePoint)
{
    return nCodePoint < 0x20 || (nCodePoint >= 0x7F && nCodePoint < 0xA0);
}

void AppendUtf8(std::string& strOut, char32_t nCodePoint)
{
    if (nCodePoint < 0x80)
    {
        strOut += static_cast<char>(nCodePoint);
        return;
    }
    if (nCodePoint < 0x800)
    {
        strOut += static_cast<char>(0xC0 | (nCodePoint >> 6));
    }
    else
    {
        // Windows-1252 reaches no further than the Basic Multilingual Plane.
        strOut += static_cast<char>(0xE0 | (nCodePoint >> 12));
        strOut += static_cast<char>(0x80 | ((nCodePoint >> 6) & 0x3F));
    }
    strOut += static_cast<char>(0x80 | (nCodePoint & 0x3F));
}

namespace
{
std::string ToUtf8(std::string_view windows1252, bool bShowControls)
{
    std::string strOut;
    for (const char c : windows1252)
    {
        const char32_t nCodePoint = Windows1252ToCodePoint(static_cast<unsigned char>(c));
        AppendUtf8(strOut, bShowControls && IsControlCharacter(nCodePoint) ? U'?' : nCodePoint);
    }
    return strOut;
}

// The code point starting at nIndex, moving nIndex past it; U+FFFF for a malformed, overlong or
// surrogate sequence, which no printable byte of the code page matches.
constexpr char32_t kInvalidCodePoint = 0xFFFF;

char32_t DecodeUtf8(std::string_view strUtf8, std::size_t& nIndex)
{
    const auto nLead = static_cast<unsigned char>(strUtf8[nIndex++]);
    if (nLead < 0x80)
        return nLead;
    const int nFollowing = nLead >= 0xF0 ? 3 : nLead >= 0xE0 ? 2 : nLead >= 0xC0 ? 1 : 0;
    if (nFollowing == 0 || nLead >= 0xF8)
        return kInvalidCodePoint;
    char32_t nCodePoint = nLead & (0x3F >> nFollowing);
    for (int n = 0; n < nFollowing; ++n)
    {
        if (nIndex == strUtf8.size() ||
            (static_cast<unsigned char>(strUtf8[nIndex]) & 0xC0) != 0x80)
            return kInvalidCodePoint;
        nCodePoint = (nCodePoint << 6) | (static_cast<unsigned char>(strUtf8[nIndex++]) & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    const bool bSurrogate = nCodePoint >= 0xD800 && nCodePoint < 0xE000;
    return nCodePoint < kSmallest[nFollowing] || bSurrogate ? kInvalidCodePoint : nCodePoint;
}
} // namespace

std::string ToDisplayText(const std::string& strWindows1252)
{
    return ToUtf8(strWindows1252, true);
}

std::string Windows1252ToUtf8(std::string_view windows1252)
{
    return ToUtf8(windows1252, false);
}

bool IsUtf8Text(std::string_view text)
{
    for (std::size_t nIndex = 0; nIndex < text.size();)
        if (DecodeUtf8(text, nIndex) == kInvalidCodePoint)
            return false;
    return true;
}

std::string ToDisplayUtf8(std::string_view utf8)
{
    std::string strOut;
    for (std::size_t nIndex = 0; nIndex < utf8.size();)
    {
        const char32_t nCodePoint = DecodeUtf8(utf8, nIndex);
        // AppendUtf8 writes the Basic Multilingual Plane, where the code page lies.
        const bool bShown = nCodePoint < kInvalidCodePoint && !IsControlCharacter(nCodePoint);
        AppendUtf8(strOut, bShown ? nCodePoint : U'?');
    }
    return strOut;
}

bool FromUtf8Text(const std::string& strUtf8, std::string& strWindows1252)
{
    strWindows1252.clear();
    for (std::size_t nIndex = 0; nIndex < strUtf8.size();)
    {
        const unsigned char nByte = CodePointToWindows1252(DecodeUtf8(strUtf8, nIndex));
        if (nByte == 0)
            return false;
        strWindows1252.push_back(static_cast<char>(nByte));
    }
    return true;
}

bool DecodePercentEscapes(const std::string& strText, std::string& strDecoded)
{
    const auto hexValue = [](char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    strDecoded.clear();
    for (std::size_t n = 0; n < strText.size(); ++n)
    {
        if (strText[n] != '%')
        {
            strDecoded += strText[n];
            continue;
        }
        if (n + 2 >= strText.size() || hexValue(strText[n + 1]) < 0 || hexValue(strText[n + 2]) < 0)
            return false;
        strDecoded += static_cast<char>(hexValue(strText[n + 1]) * 16 + hexValue(strText[n + 2]));
        n += 2;
    }
    return true;
}
