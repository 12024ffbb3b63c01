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
}

TEST_F(SettingsTest, ValuesSurviveWriteAndRead)
{
    CSettings written;
    written.m_nParallelPort = 3;
    written.m_bDisableInterrupts = false;
    written.m_clock = {EClockRefreshMethod::None, EClockRefreshDay::Saturday, 23, 59};
    written.m_nFrameShowCmd = EFrameShowState::Maximized;
    written.m_nFrameLeft = -4;
    written.m_nFrameBottom = 700;
    written.m_builderPos = {10, 20};
    written.m_eventList.m_widths[6] = 123;
    written.m_eventList.m_nSortColumn = 4;
    written.m_eventList.m_bSortForward = false;
    written.m_bStatusBarVisible = false;
    written.m_toolbarState = QByteArray("\x00\x01layout", 8);
    written.m_recentFiles = {"/a.qb", "/b.qb"};
    written.Write(Store());

    CSettings read;
    read.Read(Store());
    EXPECT_EQ(read.m_nParallelPort, 3);
    EXPECT_FALSE(read.m_bDisableInterrupts);
    EXPECT_EQ(read.m_clock.nDay, EClockRefreshDay::Saturday);
    EXPECT_EQ(read.m_clock.nHour, 23);
    EXPECT_EQ(read.m_clock.nMinute, 59);
    EXPECT_EQ(read.m_clock.nMethod, EClockRefreshMethod::None);
    EXPECT_EQ(read.m_nFrameShowCmd, EFrameShowState::Maximized);
    EXPECT_EQ(read.m_nFrameLeft, -4);
    EXPECT_EQ(read.m_nFrameBottom, 700);
    EXPECT_EQ(read.m_builderPos.nTop, 20);
    EXPECT_EQ(read.m_eventList.m_widths[6], 123);
    EXPECT_EQ(read.m_eventList.m_nSortColumn, 4);
    EXPECT_FALSE(read.m_eventList.m_bSortForward);
    EXPECT_FALSE(read.m_bStatusBarVisible);
    EXPECT_EQ(read.m_toolbarState, written.m_toolbarState);
    EXPECT_EQ(read.m_recentFiles, written.m_recentFiles);
    // Every value lives under its section and name.
    EXPECT_EQ(Store().value("Sort Settings/Sort Column").toInt(), 4);
    EXPECT_EQ(Store().value("Window Settings/Event Width 6").toInt(), 123);
    EXPECT_EQ(Store().value("Recent File List/File2").toString(), "/b.qb");
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
