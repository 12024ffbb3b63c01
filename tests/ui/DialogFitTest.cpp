#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "app/CMqttLink.h"
#include "app/CSettings.h"
#include "document/CQuorbexDoc.h"
#include "document/CRemote.h"
#include "engine/CQuorbexSession.h"
#include "ui/CButtonRecorderDlg.h"
#include "ui/CDeleteRemoteDlg.h"
#include "ui/CDialogDriver.h"
#include "ui/CImportCodesDlg.h"
#include "ui/CMegaButtonDlg.h"
#include "ui/CMqttDlg.h"
#include "ui/CNewFromCodeDlg.h"
#include "ui/CPortDialog.h"
#include "ui/DialogParts.h"

#include <QApplication>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace
{
// Shown, every label holds its whole text: one line as wide as its
// text, a wrapped one as tall as its lines, and the title fits beside the title bar's buttons.
void ExpectWhole(QDialog& dlg)
{
    // A dialog already shown is checked as the person sees it, after what it was told.
    if (!dlg.isVisible())
        dlg.show();
    QApplication::processEvents();
    // The test screen (800x600) is smaller than 1366x768.
    const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_EQ(room.expandedTo(dlg.sizeHint()), room) << room.width() << "x" << room.height();
    EXPECT_EQ(room.expandedTo(dlg.size()), room);
    for (const QLabel* pLabel : dlg.findChildren<QLabel*>())
    {
        if (!pLabel->isVisible())
            continue;
        const std::string strText = pLabel->text().toStdString();
        if (pLabel->wordWrap())
            EXPECT_GE(pLabel->height(), pLabel->heightForWidth(pLabel->width())) << strText;
        else
            EXPECT_GE(pLabel->width(), pLabel->sizeHint().width()) << strText;
    }
    EXPECT_GE(dlg.width(), GetWholeTitleWidth(dlg)) << dlg.windowTitle().toStdString();
    // For the closing walk: what each dialog took of the room (--gtest_output=xml lists them).
    ::testing::Test::RecordProperty(dlg.windowTitle().toStdString(),
                                    QStringLiteral("%1x%2 of %3x%4")
                                        .arg(dlg.width())
                                        .arg(dlg.height())
                                        .arg(room.width())
                                        .arg(room.height())
                                        .toStdString());
}

struct SFitCase
{
    const char* pszName;
    std::function<std::unique_ptr<QDialog>()> make;
};

void PrintTo(const SFitCase& test, std::ostream* pStream)
{
    *pStream << test.pszName;
}

class DialogFitTest : public ::testing::TestWithParam<SFitCase>
{
};

TEST_P(DialogFitTest, FitsTheScreenWithEveryTextWhole)
{
    const std::unique_ptr<QDialog> pDialog = GetParam().make();
    ExpectWhole(*pDialog);
}

std::unique_ptr<QDialog> MakeUnitDialog()
{
    const std::vector<SLircAvailability> devices{
        {"/dev/lirc0", true, false, true, ""},
        {"/dev/lirc1", true, true, false, ""},
        {"/dev/lirc2", false, false, false,
         "you may not open /dev/lirc2: join the group video (sudo adduser $USER video) and log "
         "in again"}};
    return std::make_unique<CPortDialog>(0, 0, CPortDialog::CAvailability{}, nullptr, devices,
                                         "lirc:/dev/lirc1,/dev/lirc0");
}

// The port refused, its reason shown.
std::unique_ptr<QDialog> MakeRefusedPortDialog()
{
    auto pDialog = MakeUnitDialog();
    pDialog->show();
    const CDialogDriver ui(*pDialog);
    ui.Click("port2");
    ui.Click("ok");
    return pDialog;
}

std::unique_ptr<QDialog> MakeRefusedMqttDialog()
{
    auto pDialog = std::make_unique<CMqttDlg>(SMqttConfig(), "this-pc",
                                              CMqttLink::GetDialogHelpers(), QString());
    pDialog->show();
    const CDialogDriver ui(*pDialog);
    ui.Type("broker", "mqtt://broker.lan:1883");
    ui.Type("node", "a node name with spaces that the broker would never take as one");
    ui.Click("ok");
    return pDialog;
}

// A code too wide for RC-5.
std::unique_ptr<QDialog> MakeRefusedCodeDialog()
{
    auto pDialog = std::make_unique<CNewFromCodeDlg>();
    pDialog->show();
    const CDialogDriver ui(*pDialog);
    auto& protocols = ui.Find<QComboBox>("protocol");
    protocols.setCurrentIndex(protocols.findText("RC-5"));
    ui.Type("address", "99");
    ui.Type("command", "300");
    QTest::keyClick(&ui.Find<QWidget>("command"), Qt::Key_Return);
    EXPECT_TRUE(pDialog->isVisible());
    EXPECT_FALSE(ui.Text("problem").isEmpty());
    return pDialog;
}

std::unique_ptr<QDialog> MakeDeleteRemoteDialog()
{
    static CRemoteMap remotes;
    remotes["TV"] = std::make_unique<CRemote>("TV", 0, 0x8400);
    return std::make_unique<CDeleteRemoteDlg>(remotes);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogFitTest,
                         ::testing::Values(SFitCase{"InfraredUnitWithTwoDevices", &MakeUnitDialog},
                                           SFitCase{"InfraredUnitRefusingAPort",
                                                    &MakeRefusedPortDialog},
                                           SFitCase{"MqttRefusal", &MakeRefusedMqttDialog},
                                           SFitCase{"NewFromCodeRefusal", &MakeRefusedCodeDialog},
                                           SFitCase{"DeleteRemote", &MakeDeleteRemoteDialog}),
                         [](const ::testing::TestParamInfo<SFitCase>& info)
                         { return info.param.pszName; });

class DialogCommandsTest : public CAppFixture, public ::testing::WithParamInterface<int>
{
};

// Every dialog the menus open, as the program opens it, over a document with a remote.
TEST_P(DialogCommandsTest, FitsTheScreenWithEveryTextWhole)
{
    ASSERT_TRUE(Start());
    AddRemoteWithButton("TV");
    bool bOpened = false;
    WhenDialogOpens(
        [&bOpened](QDialog& dlg)
        {
            bOpened = true;
            ExpectWhole(dlg);
            dlg.reject();
        });
    Frame().OnCommand(GetParam());
    EXPECT_TRUE(bOpened);
}

// The editors the Remote Builder opens.
TEST_F(DialogCommandsTest, TheBuildersEditorsFitToo)
{
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    CRemoteButton& movie = *Doc().AddButton(tv, "Movie", "", true);
    CSettings::SPosition place;
    CMegaButtonDlg editor(Doc(), tv, movie, place.nLeft, place.nTop, &Frame());
    ExpectWhole(editor);
    CButtonRecorderDlg recorder(*tv.FindButton("Power"), App().GetSession().GetEngine(),
                                App().GetUnit().GetDevice(), place.nLeft, place.nTop, &Frame());
    ExpectWhole(recorder);
}

// Import Codes at its fullest: a library listed and a file of 135 codes in the table.
TEST_F(DialogCommandsTest, ImportCodesWithALibraryAndALargeFileFits)
{
    ASSERT_TRUE(Start());
    App().GetSettings().m_strCodeLibrary = QStringLiteral(QUORBIT_FIXTURES "/import");
    bool bOpened = false;
    WhenDialogOpens(
        [&bOpened](QDialog& dlg)
        {
            auto* pImport = qobject_cast<CImportCodesDlg*>(&dlg);
            ASSERT_NE(pImport, nullptr);
            pImport->OpenFile(QStringLiteral(QUORBIT_FIXTURES "/import/big-remote.lircd.conf"));
            EXPECT_EQ(CDialogDriver(dlg).Find<QTableWidget>("codes").rowCount(), 135);
            bOpened = true;
            ExpectWhole(dlg);
            dlg.reject();
        });
    Frame().OnCommand(CMainFrame::kCmdImport);
    EXPECT_TRUE(bOpened);
}

// The Heard list docked beside the pads leaves the window room to fit the screen, its Learn
// button whole.
TEST_F(DialogCommandsTest, TheHeardListFits)
{
    ASSERT_TRUE(Start());
    auto& dock = *Frame().findChild<QDockWidget*>("heardDock");
    dock.show();
    Frame().show();
    QApplication::processEvents();
    const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_EQ(room.expandedTo(Frame().minimumSizeHint()), room);
    const auto& learn = *dock.findChild<QPushButton*>("heardLearn");
    EXPECT_GE(learn.width(), learn.sizeHint().width());
    EXPECT_GE(dock.width(), GetWholeTitleWidth(dock));
}

INSTANTIATE_TEST_SUITE_P(Menus, DialogCommandsTest,
                         ::testing::Values(CMainFrame::kCmdAddRemote, CMainFrame::kCmdDeleteRemote,
                                           CMainFrame::kCmdRemoteBuilder,
                                           CMainFrame::kCmdEventProgrammer,
                                           CMainFrame::kCmdParallelPort,
                                           CMainFrame::kCmdSystemClock, CMainFrame::kCmdImport));
} // namespace
