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
    EXPECT_EQ(settings.m_bDisableInterrupts, 1);
    // The clock is refreshed from the battery clock every Sunday at 00:05.
    EXPECT_EQ(settings.m_clock.nMethod, 1);
    EXPECT_EQ(settings.m_clock.nDay, 1);
    EXPECT_EQ(settings.m_clock.nHour, 0);
    EXPECT_EQ(settings.m_clock.nMinute, 5);
    EXPECT_EQ(settings.m_nFrameShowCmd, CSettings::kNotStored);
    EXPECT_EQ(settings.m_nFrameRight, CSettings::kNotStored);
    EXPECT_EQ(settings.m_megaPos.nLeft, CSettings::kNotStored);
    for (const int nWidth : settings.m_eventWidths)
        EXPECT_EQ(nWidth, CSettings::kNotStored);
    EXPECT_EQ(settings.m_nSortColumn, 0);
    EXPECT_EQ(settings.m_bSortForward, 1);
    EXPECT_EQ(settings.m_bStatusBarVisible, 1);
    EXPECT_TRUE(settings.m_recentFiles.isEmpty());
}

TEST_F(SettingsTest, ValuesSurviveWriteAndRead)
{
    CSettings written;
    written.m_nParallelPort = 3;
    written.m_bDisableInterrupts = 0;
    written.m_clock = {0, 7, 23, 59};
    written.m_nFrameShowCmd = 3;
    written.m_nFrameLeft = -4;
    written.m_nFrameBottom = 700;
    written.m_builderPos = {10, 20};
    written.m_eventWidths[6] = 123;
    written.m_nSortColumn = 4;
    written.m_bSortForward = 0;
    written.m_bStatusBarVisible = 0;
    written.m_toolbarState = QByteArray("\x00\x01layout", 8);
    written.m_recentFiles = {"/a.qb", "/b.qb"};
    written.Write(Store());

    CSettings read;
    read.Read(Store());
    EXPECT_EQ(read.m_nParallelPort, 3);
    EXPECT_EQ(read.m_bDisableInterrupts, 0);
    EXPECT_EQ(read.m_clock.nDay, 7);
    EXPECT_EQ(read.m_clock.nHour, 23);
    EXPECT_EQ(read.m_clock.nMinute, 59);
    EXPECT_EQ(read.m_clock.nMethod, 0);
    EXPECT_EQ(read.m_nFrameShowCmd, 3);
    EXPECT_EQ(read.m_nFrameLeft, -4);
    EXPECT_EQ(read.m_nFrameBottom, 700);
    EXPECT_EQ(read.m_builderPos.nTop, 20);
    EXPECT_EQ(read.m_eventWidths[6], 123);
    EXPECT_EQ(read.m_nSortColumn, 4);
    EXPECT_EQ(read.m_bSortForward, 0);
    EXPECT_EQ(read.m_bStatusBarVisible, 0);
    EXPECT_EQ(read.m_toolbarState, written.m_toolbarState);
    EXPECT_EQ(read.m_recentFiles, written.m_recentFiles);
    // Every value lives under its section and name.
    EXPECT_EQ(Store().value("Sort Settings/Sort Column").toInt(), 4);
    EXPECT_EQ(Store().value("Window Settings/Event Width 6").toInt(), 123);
    EXPECT_EQ(Store().value("Recent File List/File2").toString(), "/b.qb");
}

TEST_F(SettingsTest, ValueThatIsNotANumberKeepsItsDefault)
{
    Store().setValue("Application Settings/Parallel Port", "LPT2");
    Store().setValue("Application Settings/Clock Set Minute", 30);

    CSettings settings;
    settings.Read(Store());
    EXPECT_EQ(settings.m_nParallelPort, 1);
    EXPECT_EQ(settings.m_clock.nMinute, 30);
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
