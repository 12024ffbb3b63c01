#include "ui/EventFormat.h"

#include "base/CTime.h"
#include "base/TextEncoding.h"
#include "document/CRemote.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace
{
// The locale's long time format without its time-zone field: the clock pane and the list show
// local time of the clock, which carries no zone. Quoted literals are kept as they stand.
QString GetTimeOfDayFormat(const QLocale& locale)
{
    const QString strLong = locale.timeFormat(QLocale::LongFormat);
    QString strFormat;
    bool bQuoted = false;
    for (const QChar ch : strLong)
    {
        if (ch == '\'')
            bQuoted = !bQuoted;
        if (bQuoted || ch != 't')
            strFormat.append(ch);
    }
    return strFormat.simplified();
}
} // namespace

QString FormatLongDate(const CTime& time)
{
    const QDate date(time.GetYear(), time.GetMonth(), time.GetDay());
    return QLocale().toString(date, QLocale::LongFormat);
}

QString FormatTimeOfDay(const CTime& time)
{
    const QLocale locale;
    const QTime timeOfDay(time.GetHour(), time.GetMinute(), time.GetSecond());
    return locale.toString(timeOfDay, GetTimeOfDayFormat(locale));
}

QString ToDisplayString(const std::string& strDocText)
{
    QString strText;
    strText.reserve(static_cast<qsizetype>(strDocText.size()));
    for (const char ch : strDocText)
    {
        const char32_t nCodePoint = Windows1252ToCodePoint(static_cast<unsigned char>(ch));
        strText.append(QString::fromUcs4(&nCodePoint, 1));
    }
    return strText;
}

QString FormatButtonName(const CRemote& remote, const CRemoteButton& button)
{
    return ToDisplayString(remote.m_strName) + ": " + ToDisplayString(button.GetDisplayText());
}
