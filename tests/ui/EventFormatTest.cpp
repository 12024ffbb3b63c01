#include "ui/EventFormat.h"
#include "support/TimeZone.h"

#include "base/CTime.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace
{
class CScopedLocale
{
public:
    explicit CScopedLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~CScopedLocale() { QLocale::setDefault(m_old); }
    CScopedLocale(const CScopedLocale&) = delete;
    CScopedLocale& operator=(const CScopedLocale&) = delete;

private:
    QLocale m_old;
};

TEST(EventFormatTest, TimeOfDayAndLongDateFollowTheLocale)
{
    const CScopedTimeZone zone("UTC0");
    const CTime time(1998, 6, 2, 7, 5, 9);
    {
        const CScopedLocale locale(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(FormatTimeOfDay(time), "7:05:09 AM");
        EXPECT_EQ(FormatLongDate(time), "Tuesday, June 2, 1998");
    }
    const CScopedLocale locale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatTimeOfDay(time), "07:05:09");
    EXPECT_EQ(FormatLongDate(time), "Dienstag, 2. Juni 1998");
}

TEST(EventFormatTest, TimeOfDayCarriesNoZoneInAnyLocale)
{
    const CScopedTimeZone zone("UTC0");
    const CTime time(1998, 6, 2, 7, 5, 9);
    for (const QLocale& each :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory))
    {
        const CScopedLocale locale(each);
        const QString strText = FormatTimeOfDay(time);
        EXPECT_FALSE(strText.isEmpty()) << each.name().toStdString();
        EXPECT_FALSE(strText.contains("UTC") || strText.contains("GMT"))
            << each.name().toStdString() << ": " << strText.toStdString();
    }
}

TEST(EventFormatTest, DocumentTextsComeFromTheirCodePage)
{
    EXPECT_EQ(ToDisplayString("Caf\xe9 \x80"
                              "5"),
              QString::fromUtf8("Café €5"));
}
} // namespace
