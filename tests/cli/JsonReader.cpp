#include "cli/JsonReader.h"

#include "base/TextEncoding.h"

#include <cstdlib>

namespace
{
class CJsonParser
{
public:
    explicit CJsonParser(const std::string& strText) : m_strText(strText) {}

    std::optional<SJson> ReadDocument()
    {
        SJson value;
        if (!ReadValue(value))
            return std::nullopt;
        SkipSpace();
        if (m_nAt != m_strText.size())
            return std::nullopt;
        return value;
    }

private:
    void SkipSpace()
    {
        while (m_nAt < m_strText.size() &&
               std::string_view(" \t\r\n").find(m_strText[m_nAt]) != std::string_view::npos)
            ++m_nAt;
    }

    bool Take(char c)
    {
        SkipSpace();
        if (m_nAt < m_strText.size() && m_strText[m_nAt] == c)
        {
            ++m_nAt;
            return true;
        }
        return false;
    }

    bool TakeWord(const char* pszWord)
    {
        const std::string_view word(pszWord);
        if (m_strText.compare(m_nAt, word.size(), word) != 0)
            return false;
        m_nAt += word.size();
        return true;
    }

    bool ReadValue(SJson& value)
    {
        SkipSpace();
        if (m_nAt == m_strText.size())
            return false;
        switch (m_strText[m_nAt])
        {
        case '{':
            return ReadObject(value);
        case '[':
            return ReadArray(value);
        case '"':
            value.nType = SJson::EType::String;
            return ReadString(value.strValue);
        case 't':
            value.nType = SJson::EType::Bool;
            value.bValue = true;
            return TakeWord("true");
        case 'f':
            value.nType = SJson::EType::Bool;
            return TakeWord("false");
        case 'n':
            return TakeWord("null");
        default:
            return ReadNumber(value);
        }
    }

    bool ReadObject(SJson& value)
    {
        value.nType = SJson::EType::Object;
        ++m_nAt;
        if (Take('}'))
            return true;
        do
        {
            std::string strKey;
            SJson member;
            SkipSpace();
            if (!ReadString(strKey) || !Take(':') || !ReadValue(member))
                return false;
            value.members.push_back({std::move(strKey), std::move(member)});
        } while (Take(','));
        return Take('}');
    }

    bool ReadArray(SJson& value)
    {
        value.nType = SJson::EType::Array;
        ++m_nAt;
        if (Take(']'))
            return true;
        do
        {
            SJson item;
            if (!ReadValue(item))
                return false;
            value.items.push_back(std::move(item));
        } while (Take(','));
        return Take(']');
    }

    bool ReadNumber(SJson& value)
    {
        const char* pszStart = m_strText.c_str() + m_nAt;
        if (*pszStart != '-' && (*pszStart < '0' || *pszStart > '9'))
            return false;
        char* pszEnd = nullptr;
        value.nType = SJson::EType::Number;
        value.dValue = std::strtod(pszStart, &pszEnd);
        m_nAt += static_cast<std::size_t>(pszEnd - pszStart);
        return pszEnd != pszStart;
    }

    bool ReadString(std::string& strValue)
    {
        if (m_nAt >= m_strText.size() || m_strText[m_nAt++] != '"')
            return false;
        while (m_nAt < m_strText.size())
        {
            const unsigned char c = static_cast<unsigned char>(m_strText[m_nAt++]);
            if (c == '"')
                return true;
            if (c < 0x20)
                return false;
            if (c == '\\')
            {
                if (!ReadEscape(strValue))
                    return false;
            }
            else if (c >= 0x80)
            {
                if (!ReadUtf8Sequence(c, strValue))
                    return false;
            }
            else
            {
                strValue += static_cast<char>(c);
            }
        }
        return false;
    }

    bool ReadEscape(std::string& strValue)
    {
        if (m_nAt >= m_strText.size())
            return false;
        const char c = m_strText[m_nAt++];
        const std::string_view simple("\"\\/bfnrt");
        const std::string_view meaning("\"\\/\b\f\n\r\t");
        if (const auto nAt = simple.find(c); nAt != std::string_view::npos)
        {
            strValue += meaning[nAt];
            return true;
        }
        if (c != 'u' || m_nAt + 4 > m_strText.size())
            return false;
        const std::string strHex = m_strText.substr(m_nAt, 4);
        char* pszEnd = nullptr;
        const unsigned long nCodePoint = std::strtoul(strHex.c_str(), &pszEnd, 16);
        // The listing never needs surrogate pairs: everything it writes is in the first plane.
        if (pszEnd != strHex.c_str() + 4 || (nCodePoint >= 0xD800 && nCodePoint < 0xE000))
            return false;
        m_nAt += 4;
        AppendUtf8(strValue, static_cast<char32_t>(nCodePoint));
        return true;
    }

    // A well-formed UTF-8 sequence: the right number of continuation bytes, no overlong form,
    // no surrogate, nothing beyond U+10FFFF.
    bool ReadUtf8Sequence(unsigned char nLead, std::string& strValue)
    {
        int nFollowing = 0;
        unsigned long nCodePoint = 0;
        if (nLead >= 0xC2 && nLead < 0xE0)
            nFollowing = 1, nCodePoint = nLead & 0x1F;
        else if (nLead >= 0xE0 && nLead < 0xF0)
            nFollowing = 2, nCodePoint = nLead & 0x0F;
        else if (nLead >= 0xF0 && nLead < 0xF5)
            nFollowing = 3, nCodePoint = nLead & 0x07;
        else
            return false;
        strValue += static_cast<char>(nLead);
        for (int i = 0; i < nFollowing; ++i)
        {
            if (m_nAt >= m_strText.size())
                return false;
            const unsigned char c = static_cast<unsigned char>(m_strText[m_nAt++]);
            if ((c & 0xC0) != 0x80)
                return false;
            nCodePoint = (nCodePoint << 6) | (c & 0x3F);
            strValue += static_cast<char>(c);
        }
        constexpr unsigned long kSmallest[] = {0, 0x80, 0x800, 0x10000};
        return nCodePoint >= kSmallest[nFollowing] && nCodePoint <= 0x10FFFF &&
               !(nCodePoint >= 0xD800 && nCodePoint < 0xE000);
    }

    const std::string& m_strText;
    std::size_t m_nAt = 0;
};

const SJson kMissing;
} // namespace

const SJson& SJson::operator[](const std::string& strKey) const
{
    for (const SJsonMember& member : members)
    {
        if (member.strKey == strKey)
            return member.value;
    }
    return kMissing;
}

std::vector<std::string> SJson::GetKeys() const
{
    std::vector<std::string> keys;
    for (const SJsonMember& member : members)
        keys.push_back(member.strKey);
    return keys;
}

std::optional<SJson> ReadJson(const std::string& strText)
{
    return CJsonParser(strText).ReadDocument();
}
