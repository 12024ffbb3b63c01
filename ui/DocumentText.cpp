#include "ui/DocumentText.h"

#include "base/TextEncoding.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace
{
constexpr unsigned kFirstPrintable = 0x20;

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
        const unsigned char nByte = CodePointToWindows1252(nCodePoint);
        strDocText.push_back(static_cast<char>(nByte != 0 ? nByte : '?'));
    }
    return strDocText;
}

QString FindUnstorableCharacter(const QString& strText)
{
    for (const char32_t nCodePoint : strText.toUcs4())
    {
        if (CodePointToWindows1252(nCodePoint) == 0)
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
