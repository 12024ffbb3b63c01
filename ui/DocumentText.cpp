#include "ui/DocumentText.h"

#include "base/TextEncoding.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace
{
constexpr unsigned kFirstPrintable = 0x20;

// The byte that stands for a code point, or 0 when the code page has no printable byte for it.
unsigned char FindByte(char32_t nCodePoint)
{
    for (unsigned nByte = kFirstPrintable; nByte <= 0xFF; ++nByte)
    {
        const char32_t nCandidate = Windows1252ToCodePoint(static_cast<unsigned char>(nByte));
        if (nCandidate == nCodePoint && !IsControlCharacter(nCandidate))
            return static_cast<unsigned char>(nByte);
    }
    return 0;
}

QString GetPrintableCharacters()
{
    QString strCharacters;
    for (unsigned nByte = kFirstPrintable; nByte <= 0xFF; ++nByte)
    {
        const char32_t nCodePoint = Windows1252ToCodePoint(static_cast<unsigned char>(nByte));
        if (!IsControlCharacter(nCodePoint))
            strCharacters.append(QString::fromUcs4(&nCodePoint, 1));
    }
    return strCharacters;
}
} // namespace

std::string ToDocumentString(const QString& strText)
{
    std::string strDocText;
    for (const char32_t nCodePoint : strText.toUcs4())
    {
        const unsigned char nByte = FindByte(nCodePoint);
        strDocText.push_back(static_cast<char>(nByte != 0 ? nByte : '?'));
    }
    return strDocText;
}

QString FindUnstorableCharacter(const QString& strText)
{
    for (const char32_t nCodePoint : strText.toUcs4())
    {
        if (FindByte(nCodePoint) == 0)
            return QString::fromUcs4(&nCodePoint, 1);
    }
    return {};
}

QValidator* CreateDocumentTextValidator(QObject* pParent)
{
    const QRegularExpression allowed("[" + QRegularExpression::escape(GetPrintableCharacters()) +
                                     "]*");
    return new QRegularExpressionValidator(allowed, pParent);
}
