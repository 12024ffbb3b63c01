#include "app/CAppFixture.h"
#include "app/CFileDialog.h"
#include "app/CMainFrame.h"
#include "ui/CDialogDriver.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

namespace
{
class SettingsFileTest : public CAppFixture
{
protected:
    static QString GetPath() { return CSettingsFile::Open().fileName(); }

    static mode_t GetMode()
    {
        struct stat status
        {
        };
        return ::stat(QFile::encodeName(GetPath()).constData(), &status) == 0
                   ? status.st_mode & 07777
                   : 0;
    }

    // The file's text as it is on disk, not as this process's settings cache holds it.
    static QString ReadFile()
    {
        QFile file(GetPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

// The file names the person's documents and broker: it was made 0644 by the umask.
TEST_F(SettingsFileTest, FileIsReadableByItsOwnerAlone)
{
    for (const bool bExisting : {false, true})
    {
        SCOPED_TRACE(bExisting);
        QFile::remove(GetPath());
        if (bExisting)
        {
            StoreSettings([](CSettings& settings) { settings.AddRecentFile("/a.qb"); });
            ::chmod(QFile::encodeName(GetPath()).constData(), 0644);
        }
        const mode_t nMask = ::umask(0);
        ASSERT_TRUE(StartAgain());
        App().GetSettings().AddRecentFile("/b.qb");
        App().SaveSettings();
        ::umask(nMask);
        EXPECT_EQ(GetMode(), 0600u);
        EXPECT_TRUE(ReadFile().contains("/b.qb"));
    }
}

// A program ended by a logout or a kill never reaches Exit: what changed is on disk already.
TEST_F(SettingsFileTest, ChangedSettingIsOnDiskBeforeExit)
{
    const QString strDocument = WriteTempFile("kitchen.qb", QByteArray());
    ASSERT_TRUE(Start());
    CFileDialog::QueuePath(strDocument);
    ASSERT_TRUE(App().GetDocuments().OnFileSaveAs());
    EXPECT_TRUE(ReadFile().contains("File1=" + strDocument)) << ReadFile().toStdString();

    WhenDialogOpens(
        [](QDialog& dialog)
        {
            const CDialogDriver ui(dialog);
            ui.Find<QComboBox>("day").setCurrentText("Daily");
            ui.Click("ok");
        });
    Frame().OnCommand(CMainFrame::kCmdSystemClock);
    EXPECT_TRUE(ReadFile().contains("Clock%20Set%20Day=0")) << ReadFile().toStdString();

    Frame().resize(613, 417);
    EXPECT_TRUE(QTest::qWaitFor(
        []
        {
            const CSettings settings = LoadSettings();
            return settings.m_nFrameRight - settings.m_nFrameLeft == 613;
        }));
}
} // namespace
