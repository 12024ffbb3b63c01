#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "base/CStringTable.h"
#include "document/CQuorbexDoc.h"
#include "ui/CRemotePadDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace
{
using RemoteCommandsTest = CAppFixture;

QAction* FindRemoteEntry(const CMainFrame& frame, const CRemote& remote)
{
    for (QAction* pAction : frame.GetViewMenu()->actions())
    {
        if (pAction->data().toInt() == remote.m_nMenuId)
            return pAction;
    }
    return nullptr;
}

TEST_F(RemoteCommandsTest, AddRemoteEntersTheTypedNameWithTheChosenStyle)
{
    ASSERT_TRUE(Start());
    WhenDialogOpens(
        [](QDialog& dlg)
        {
            QTest::keyClicks(dlg.findChild<QLineEdit*>("name"), "Amp");
            dlg.findChild<QComboBox*>("style")->setCurrentIndex(4);
            QTest::mouseClick(dlg.findChild<QPushButton*>("ok"), Qt::LeftButton);
        });
    Frame().OnCommand(CMainFrame::kCmdAddRemote);

    const CRemote* pAmp = Doc().FindRemote("Amp");
    ASSERT_NE(pAmp, nullptr);
    EXPECT_EQ(pAmp->m_nStyle, 4);
    EXPECT_NE(FindRemoteEntry(Frame(), *pAmp), nullptr);
    EXPECT_TRUE(Doc().IsModified());
}

struct SDeleteCase
{
    const char* pszName;
    bool bUsedByEvent;
    bool bUsedByOtherRemote;
    QMessageBox::StandardButton nAnswer;
    const char* pszShown;
    bool bDeleted;
};

class DeleteRemoteTest : public CAppFixture, public ::testing::WithParamInterface<SDeleteCase>
{
};

TEST_P(DeleteRemoteTest, RefusesARemoteInUseAndAsksBeforeDeleting)
{
    const SDeleteCase& test = GetParam();
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    CRemoteButton& power = *tv.FindButton("Power");
    CRemote& hifi = *Doc().AddRemote("HiFi", 7);
    if (test.bUsedByEvent)
    {
        CTimedEvent fields;
        fields.m_strName = "Wake";
        fields.m_pRemote = &tv;
        fields.m_pButton = &power;
        fields.m_bDisabled = true; // in use all the same
        ASSERT_NE(Doc().AddEvent(fields), nullptr);
    }
    if (test.bUsedByOtherRemote)
        Doc().AddButton(hifi, "Party", "", true)->m_steps.push_back(CMegaStep{&tv, &power, 0});
    Frame().OnCommand(tv.m_nMenuId);
    const QPointer<CRemotePadDlg> pPad(CRemotePadDlg::FindPad(tv));
    ASSERT_TRUE(pPad);
    CMessageBox::TakeShownTexts();

    // Names are offered in order, HiFi first.
    WhenDialogOpens(
        [](QDialog& dlg)
        {
            dlg.findChild<QComboBox*>("name")->setCurrentText("TV");
            QTest::mouseClick(dlg.findChild<QPushButton*>("ok"), Qt::LeftButton);
        });
    CMessageBox::QueueAnswer(test.nAnswer);
    Frame().OnCommand(CMainFrame::kCmdDeleteRemote);

    EXPECT_EQ(CMessageBox::TakeShownTexts(), QStringList{test.pszShown});
    EXPECT_EQ(Doc().FindRemote("TV") == nullptr, test.bDeleted);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(pPad.isNull(), test.bDeleted) << "the deleted remote's pad goes with it";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeleteRemoteTest,
    ::testing::Values(
        SDeleteCase{"UsedByEvent", true, false, QMessageBox::Yes,
                    "TV (used by Wake):  This remote is being used in one or more programmed "
                    "events.\n\nPlease "
                    "adjust or remove the event(s) before deleting this remote.",
                    false},
        SDeleteCase{"UsedByOtherRemote", false, true, QMessageBox::Yes,
                    "TV (used by HiFi: Party):  This remote has buttons being used by one or more "
                    "megabuttons in other "
                    "remotes.\n\nPlease adjust or remove the megabutton(s) before deleting this "
                    "remote.",
                    false},
        SDeleteCase{"ConfirmedNo", false, false, QMessageBox::No,
                    "TV:  Are you sure you want to delete this remote?", false},
        SDeleteCase{"ConfirmedYes", false, false, QMessageBox::Yes,
                    "TV:  Are you sure you want to delete this remote?", true}),
    [](const auto& info) { return std::string(info.param.pszName); });

TEST_F(RemoteCommandsTest, ChoosingARemoteAgainFocusesItsOpenPad)
{
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    Frame().OnCommand(tv.m_nMenuId);
    CRemotePadDlg* pPad = CRemotePadDlg::FindPad(tv);
    ASSERT_NE(pPad, nullptr);
    EXPECT_TRUE(pPad->isVisible());
    EXPECT_TRUE(FindRemoteEntry(Frame(), tv)->isChecked());

    Frame().activateWindow();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &Frame());
    Frame().OnCommand(tv.m_nMenuId);
    QCoreApplication::processEvents();
    EXPECT_EQ(CRemotePadDlg::FindPad(tv), pPad);
    EXPECT_EQ(Frame().findChildren<CRemotePadDlg*>().size(), 1);
    EXPECT_EQ(QApplication::activeWindow(), pPad);

    pPad->close();
    Frame().UpdateCommandUI();
    EXPECT_FALSE(tv.m_bPadOpen);
    EXPECT_FALSE(FindRemoteEntry(Frame(), tv)->isChecked());
}

TEST_F(RemoteCommandsTest, PadOpenAtSaveComesBackAtItsPlaceAndGoesWithTheDocument)
{
    ASSERT_TRUE(Start(QUORBIT_EXAMPLES "/living-room.qb"));
    CRemote& tv = *Doc().FindRemote("TV");
    ASSERT_TRUE(tv.m_bPadOpen);
    const QPointer<CRemotePadDlg> pPad(CRemotePadDlg::FindPad(tv));
    EXPECT_TRUE(pPad->isVisible());
    EXPECT_EQ(pPad->geometry().topLeft(), QPoint(40, 60));
    EXPECT_EQ(pPad->parentWidget(), &Frame());

    Frame().OnCommand(CMainFrame::kCmdFileNew);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(pPad.isNull());
}
} // namespace
