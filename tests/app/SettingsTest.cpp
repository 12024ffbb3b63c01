#include "app/CSettings.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
class SettingsTest : public ::testing::Test
{
protected:
    QSettings& Store() { return m_store; }

    QTemporaryDir m_dir;
    QSettings m_store{m_dir.filePath("settings.ini"), QSettings::IniFormat};
};

TEST_F(SettingsTest, FirstStartTakesEveryDefault)
{
    CSettings settings;
    settings.Read(Store());

    EXPECT_EQ(settings.m_nParallelPort, 1);
    EXPECT_TRUE(settings.m_bDisableInterrupts);
    // The clock is refreshed from the battery clock every Sunday at 00:05.
    EXPECT_EQ(settings.m_clock.nMethod, EClockRefreshMethod::FromBios);
    EXPECT_EQ(settings.m_clock.nDay, EClockRefreshDay::Sunday);
    EXPECT_EQ(settings.m_clock.nHour, 0);
    EXPECT_EQ(settings.m_clock.nMinute, 5);
    EXPECT_EQ(settings.m_nFrameShowCmd, EFrameShowState::NotStored);
    EXPECT_EQ(settings.m_nFrameRight, CSettings::kNotStored);
    EXPECT_EQ(settings.m_megaPos.nLeft, CSettings::kNotStored);
    for (const int nWidth : settings.m_eventList.m_widths)
        EXPECT_EQ(nWidth, CSettings::kNotStored);
    EXPECT_EQ(settings.m_eventList.m_nSortColumn, 0);
    EXPECT_TRUE(settings.m_eventList.m_bSortForward);
    EXPECT_TRUE(settings.m_bStatusBarVisible);
    EXPECT_TRUE(settings.m_recentFiles.isEmpty());
    EXPECT_TRUE(settings.m_mqtt.IsOff());
}

// Gives every kept value a value of its own, none its default, so that a value written under
// one key and read under another, or not written at all, shows.
struct SChangeEveryValue
{
    void operator()(const QString&, int& nValue) { nValue = -100 - m_nNext++; }
    void operator()(const QString&, bool& bValue) { bValue = !bValue; }
    template <typename TEnum> void operator()(const QString&, TEnum& nValue, TEnum nFirst, TEnum)
    {
        nValue = nValue == nFirst ? static_cast<TEnum>(static_cast<int>(nFirst) + 1) : nFirst;
    }
    void operator()(const QString& strKey, QString& strValue) { strValue = strKey; }
    void operator()(const QString&, QByteArray& value) { value = QByteArray("\x00\x01layout", 8); }
    void operator()(const QString&, QStringList& paths) { paths = {"/a.qb", "/b.qb"}; }
    // A remote of an untitled document too, and a name a settings key could not hold.
    void operator()(const QString&, std::map<CSettings::CPadKey, QSize>& sizes)
    {
        sizes = {{{"/a.qb", "TV"}, QSize(300, 600)}, {{"", "Hi/Fi=1"}, QSize(120, 80)}};
    }

    int m_nNext = 0;
};

TEST_F(SettingsTest, ValuesSurviveWriteAndRead)
{
    CSettings written;
    CSettings::VisitValues(written, SChangeEveryValue());
    ASSERT_NE(written.GetValues(), CSettings().GetValues());
    written.Write(Store());

    CSettings read;
    read.Read(Store());
    EXPECT_EQ(read.GetValues(), written.GetValues());
    // Every value lives under its section and name, as earlier versions kept them.
    EXPECT_EQ(Store().value("Window Settings/Frame ShowCmd").toInt(), 1);
    EXPECT_EQ(Store().value("Window Settings/Mega Top").toInt(), read.m_megaPos.nTop);
    EXPECT_EQ(Store().value("Window Settings/Event Width 6").toInt(), read.m_eventList.m_widths[6]);
    EXPECT_EQ(Store().value("Sort Settings/Sort Forward").toInt(), 0);
    EXPECT_EQ(Store().value("Control Bars/Status Bar Visible").toInt(), 0);
    EXPECT_EQ(Store().value("Recent File List/File2").toString(), "/b.qb");
    EXPECT_EQ(Store().value("MQTT Settings/Password File").toString(),
              read.m_mqtt.m_strPasswordFile);
    EXPECT_EQ(read.m_padSizes, written.m_padSizes);

    // Fewer pads later leave no entry of the earlier ones behind.
    written.m_padSizes.erase(written.m_padSizes.begin());
    ASSERT_NE(written.GetValues(), read.GetValues());
    written.Write(Store());
    read.Read(Store());
    EXPECT_EQ(read.m_padSizes, written.m_padSizes);
}

TEST_F(SettingsTest, ValueThatIsNotANumberOrOutOfRangeKeepsItsDefault)
{
    Store().setValue("Application Settings/Parallel Port", "LPT2");
    Store().setValue("Application Settings/Clock Set Minute", 30);
    Store().setValue("Application Settings/Clock Set Day", 9);

    CSettings settings;
    settings.Read(Store());
    EXPECT_EQ(settings.m_nParallelPort, 1);
    EXPECT_EQ(settings.m_clock.nMinute, 30);
    EXPECT_EQ(settings.m_clock.nDay, EClockRefreshDay::Sunday);
}

TEST_F(SettingsTest, RecentFilesKeepFourMostRecentFirstWithoutRepeats)
{
    CSettings settings;
    for (const char* pszPath : {"/1.qb", "/2.qb", "/3.qb", "/4.qb", "/5.qb", "/3.qb"})
        settings.AddRecentFile(pszPath);
    EXPECT_EQ(settings.m_recentFiles, QStringList({"/3.qb", "/5.qb", "/4.qb", "/2.qb"}));

    // A shorter list must not leave an old fourth entry behind in the store.
    settings.Write(Store());
    settings.RemoveRecentFile("/5.qb");
    settings.Write(Store());
    CSettings read;
    read.Read(Store());
    EXPECT_EQ(read.m_recentFiles, QStringList({"/3.qb", "/4.qb", "/2.qb"}));
}
} // namespace
