#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "document/CQuorbexDoc.h"
#include "support/CTempFolder.h"

#include <QApplication>
#include <QFile>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdio>

namespace
{
const QString kLivingRoom = QStringLiteral(QUORBIT_EXAMPLES "/living-room.qb");
// Holds only the remote TV, not the living room's HiFi.
const QString kOtherContent = QStringLiteral(QUORBIT_FIXTURES "/example.qb");

// Another program changes the window program's file while it has it open.
class ChangedOnDiskTest : public CAppFixture
{
protected:
    // Opens a copy of the living room, changes it here (the remote Amp), and then lets another
    // program put other content in the file, as a save does: a new file in its place.
    void OpenAndChangeBehind()
    {
        ASSERT_TRUE(QFile::copy(kLivingRoom, m_strPath));
        ASSERT_TRUE(Start(m_strPath));
        AddRemoteWithButton("Amp");
        ChangeBehind();
    }
    void ChangeBehind() const
    {
        const QString strNew = m_strPath + ".new";
        QFile::remove(strNew);
        ASSERT_TRUE(QFile::copy(kOtherContent, strNew));
        ASSERT_EQ(::rename(QFile::encodeName(strNew).constData(),
                           QFile::encodeName(m_strPath).constData()),
                  0);
    }
    // Brings the window to the front after another one had it.
    void ComeToTheFront()
    {
        m_elsewhere.show();
        m_elsewhere.activateWindow();
        QCoreApplication::processEvents();
        Frame().activateWindow();
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::activeWindow(), &Frame());
        QCoreApplication::processEvents();
    }
    bool FileHasAmp() const
    {
        return ReadFileBytes(QFile::encodeName(m_strPath).toStdString()).find("Amp") !=
               std::string::npos;
    }

    const QString m_strPath = GetTempPath("living.qb");
    QWidget m_elsewhere;
};

struct SSaveCase
{
    const char* pszName;
    QMessageBox::StandardButton nAnswer;
    bool bFileHasAmp;     // the save went ahead over the other program's change
    bool bDocumentHasAmp; // the change made here is still in the window
};

class ChangedOnDiskSaveTest : public ChangedOnDiskTest,
                              public testing::WithParamInterface<SSaveCase>
{
};

TEST_P(ChangedOnDiskSaveTest, SavingAsksWhetherToOverwriteOrReload)
{
    const SSaveCase& test = GetParam();
    OpenAndChangeBehind();
    CMessageBox::TakeShownTexts();
    CMessageBox::QueueAnswer(test.nAnswer);
    Frame().OnCommand(CMainFrame::kCmdFileSave);
    EXPECT_EQ(CMessageBox::TakeShownTexts(),
              QStringList{"Another program changed living.qb since Quorbit read it.\n\nSave "
                          "over it? Yes overwrites that change; No reloads the file, losing "
                          "the changes made here."});
    EXPECT_EQ(FileHasAmp(), test.bFileHasAmp);
    EXPECT_EQ(Doc().FindRemote("Amp") != nullptr, test.bDocumentHasAmp);
    EXPECT_EQ(Doc().FindRemote("HiFi") != nullptr, test.bDocumentHasAmp);
    EXPECT_EQ(Doc().IsModified(), test.nAnswer == QMessageBox::Cancel);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ChangedOnDiskSaveTest,
    testing::Values(SSaveCase{"CancelKeepsBoth", QMessageBox::Cancel, false, true},
                    SSaveCase{"NoReloadsTheFile", QMessageBox::No, false, false},
                    SSaveCase{"YesOverwrites", QMessageBox::Yes, true, true}),
    [](const testing::TestParamInfo<SSaveCase>& info) { return info.param.pszName; });

TEST_F(ChangedOnDiskTest, ComingToTheFrontOffersToReloadOnceForEachChange)
{
    OpenAndChangeBehind();
    CMessageBox::TakeShownTexts();
    CMessageBox::QueueAnswer(QMessageBox::No);
    ComeToTheFront();
    EXPECT_EQ(CMessageBox::TakeShownTexts(),
              QStringList{"Another program changed living.qb. Reload it, losing the changes made "
                          "here?"});
    EXPECT_NE(Doc().FindRemote("Amp"), nullptr);
    // Declined, the same change is not asked about again.
    ComeToTheFront();
    EXPECT_TRUE(CMessageBox::TakeShownTexts().isEmpty());

    ChangeBehind();
    CMessageBox::QueueAnswer(QMessageBox::Yes);
    ComeToTheFront();
    EXPECT_EQ(CMessageBox::TakeShownTexts().size(), 1);
    EXPECT_EQ(Doc().FindRemote("Amp"), nullptr);
    EXPECT_EQ(Doc().FindRemote("HiFi"), nullptr);
    EXPECT_FALSE(Doc().IsModified());
    // What was reloaded is what the file holds: saving it asks nothing.
    ComeToTheFront();
    Frame().OnCommand(CMainFrame::kCmdFileSave);
    EXPECT_TRUE(CMessageBox::TakeShownTexts().isEmpty());
}
} // namespace
