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

std::string ToDisplayText(const std::string& strWindows1252)
{
    std::string strOut;
    for (const char c : strWindows1252)
    {
        const char32_t nCodePoint = Windows1252ToCodePoint(static_cast<unsigned char>(c));
        AppendUtf8(strOut, IsControlCharacter(nCodePoint) ? U'?' : nCodePoint);
    }
    return strOut;
}
