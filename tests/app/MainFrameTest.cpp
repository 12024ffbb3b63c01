#include "app/CAppFixture.h"
#include "app/CFileDialog.h"
#include "app/CFramePlacement.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "base/CStringTable.h"
#include "common/CLastFiredStore.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "engine/CScheduler.h"
#include "ui/CDialogDriver.h"
#include "ui/CEventListModel.h"
#include "ui/CEventProgrammerDlg.h"
#include "ui/CHelpWindow.h"
#include "ui/CListCtrlEx.h"
#include "ui/CQuorbexView.h"
#include "ui/CRemotePadDlg.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <map>
#include <ostream>
#include <utility>
#include <vector>

namespace
{
using MainFrameTest = CAppFixture;
using EntryList = std::vector<std::pair<QString, int>>;

const QString kLivingRoom = QStringLiteral(QUORBIT_EXAMPLES "/living-room.qb");

QMenu* GetMenu(const CMainFrame& frame, int nIndex)
{
    return frame.menuBar()->actions().at(nIndex)->menu();
}

// The View menu's entries after its last separator: the remotes, with their command ids.
EntryList GetRemoteEntries(const CMainFrame& frame)
{
    EntryList entries;
    for (const QAction* pAction : frame.GetViewMenu()->actions())
    {
        if (pAction->isSeparator())
            entries.clear();
        else
            entries.emplace_back(pAction->text(), pAction->data().toInt());
    }
    return entries;
}

// The recent-file entries of the File menu, or its placeholder, with whether they are enabled.
std::vector<std::pair<QString, bool>> GetRecentEntries(const CMainFrame& frame)
{
    std::vector<std::pair<QString, bool>> entries;
    for (const QAction* pAction : GetMenu(frame, 0)->actions())
    {
        const QString strText = pAction->text();
        if (strText == "Recent File" || (strText.startsWith('&') && strText[1].isDigit()))
            entries.emplace_back(strText, pAction->isEnabled());
    }
    return entries;
}

// Drops the file from a source that offers these actions and, with Shift held as file managers
// read it, proposes a move where it may. The action the window answered, IgnoreAction if none.
Qt::DropAction DropFile(CMainFrame& frame, const QString& strPath,
                        Qt::DropActions offered = Qt::CopyAction)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(strPath)});
    // A drop reaches only the widget that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(10, 10), offered, &mime, Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&frame, &enter);
    QDropEvent drop(QPointF(10, 10), offered, &mime, Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&frame, &drop);
    QCoreApplication::processEvents();
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

TEST_F(MainFrameTest, FirstStartShowsAnEmptyUntitledDocumentAtTheDefaults)
{
    ASSERT_TRUE(Start());
    CMainFrame& frame = Frame();
    EXPECT_TRUE(frame.isVisible());
    EXPECT_FALSE(frame.isMaximized());
    // The program's icon comes with the first turn of the event loop.
    QCoreApplication::processEvents();
    EXPECT_EQ(frame.windowIcon().pixmap(32).size(), QSize(32, 32)) << "the program's icon";
    EXPECT_EQ(frame.windowTitle(), "Untitled[*] - Quorbit Remote Control Centre");
    EXPECT_FALSE(frame.isWindowModified());
    EXPECT_EQ(frame.GetClockText(), "6:59 AM");
    EXPECT_TRUE(frame.GetSchedulerTimer().isActive());
    EXPECT_EQ(frame.GetSchedulerTimer().interval(), 1000);
    ASSERT_NE(Doc().m_pRemotes, nullptr);
    EXPECT_TRUE(Doc().m_pRemotes->empty());

    const QHeaderView* pHeader = frame.GetView().GetList().header();
    for (int nColumn = 0; nColumn < 7; ++nColumn)
        EXPECT_GE(frame.GetView().GetColumnWidth(nColumn), pHeader->sectionSizeHint(nColumn));
    EXPECT_EQ(pHeader->sortIndicatorSection(), 0);
    EXPECT_EQ(pHeader->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(GetRecentEntries(frame),
              (std::vector<std::pair<QString, bool>>{{"Recent File", false}}));

    // Each tick writes the clock's time, to the minute.
    m_pClock->m_now = CTime(1998, 6, 1, 7, 0, 30);
    App().GetSession().GetScheduler().SchedulerTick();
    EXPECT_EQ(frame.GetClockText(), "7:00 AM");
}

// F1, from the main window or a pad, and Help > Quorbit Help open the manual shipped with the
// program; run from the build folder, it is found in the sources.
TEST_F(MainFrameTest, F1OpensTheManualFromEveryWindow)
{
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    Frame().OnCommand(tv.m_nMenuId);
    QCoreApplication::processEvents();
    QAction* pHelp = Frame().FindCommand(CMainFrame::kCmdHelp);
    ASSERT_NE(pHelp, nullptr);
    EXPECT_EQ(pHelp->text(), "Quorbit &Help");
    EXPECT_EQ(GetMenu(Frame(), 2)->actions().first(), pHelp);

    QWidget* pPad = CRemotePadDlg::FindPad(tv);
    pPad->activateWindow();
    QTest::keyClick(pPad, Qt::Key_F1);
    auto* pWindow = Frame().findChild<CHelpWindow*>();
    ASSERT_NE(pWindow, nullptr);
    EXPECT_TRUE(pWindow->isVisible());
    EXPECT_EQ(pWindow->windowTitle(), "Quorbit Help");
    const QTextDocument& manual = *pWindow->GetBrowser().document();
    EXPECT_TRUE(manual.toPlainText().startsWith("Quorbit\n"));
    EXPECT_TRUE(manual.toPlainText().contains("The window program"));
    EXPECT_EQ(pWindow->GetBrowser().source().fileName(), "README.md");

    // Asked again, the open window comes forward.
    Frame().OnCommand(CMainFrame::kCmdHelp);
    EXPECT_EQ(Frame().findChildren<CHelpWindow*>().size(), 1);

    // In a modal dialog too, where the main window's own shortcuts do not reach; the manual
    // then belongs to the dialog, which would otherwise keep it from taking any input.
    bool bShownOverDialog = false;
    WhenDialogOpens(
        [&bShownOverDialog](QDialog& dlg)
        {
            QTest::keyClick(&dlg, Qt::Key_F1);
            const auto* pOver = dlg.findChild<CHelpWindow*>();
            bShownOverDialog = pOver && pOver->isVisible();
            dlg.reject();
        });
    Frame().OnCommand(CMainFrame::kCmdEventProgrammer);
    EXPECT_TRUE(bShownOverDialog);

    // It has no Close button; Escape closes it.
    QApplication::setActiveWindow(pWindow);
    QTest::keyClick(&pWindow->GetBrowser(), Qt::Key_Escape);
    EXPECT_FALSE(pWindow->isVisible());
}

struct SPlacementCase
{
    const char* pszName;
    QPoint stored;       // top-left; negative or past the screen's edge as needed
    bool bPastRightEdge; // stored left placed 100 pixels before the screen's right edge
    EFrameShowState nShowCmd;
    QPoint expected;
};

// Test names say which case failed; the case itself need not be printed.
void PrintTo(const SPlacementCase& test, std::ostream* pStream)
{
    *pStream << test.pszName;
}

class PlacementTest : public CAppFixture, public ::testing::WithParamInterface<SPlacementCase>
{
};

TEST_P(PlacementTest, StoredPlacementComesBackPulledOntoTheScreen)
{
    const SPlacementCase& test = GetParam();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint stored =
        test.bPastRightEdge ? QPoint(screen.right() - 100, test.stored.y()) : test.stored;
    const QSize size(600, 400);
    StoreSettings(
        [&](CSettings& settings)
        {
            settings.m_nFrameShowCmd = test.nShowCmd;
            settings.m_nFrameLeft = stored.x();
            settings.m_nFrameTop = stored.y();
            settings.m_nFrameRight = stored.x() + size.width();
            settings.m_nFrameBottom = stored.y() + size.height();
        });
    ASSERT_TRUE(Start());

    // The window system may nudge a window further in so that its frame stays on the screen.
    const QRect normal = Frame().normalGeometry();
    const QMargins frame = Frame().windowHandle()->frameMargins();
    EXPECT_GE(normal.left(), test.expected.x());
    EXPECT_LE(normal.left(), test.expected.x() + frame.left());
    EXPECT_GE(normal.top(), test.expected.y());
    EXPECT_LE(normal.top(), test.expected.y() + frame.top());
    EXPECT_EQ(normal.size(), size);
    EXPECT_EQ(Frame().isMaximized(), test.nShowCmd == EFrameShowState::Maximized);
    EXPECT_EQ(Frame().isMinimized(), test.nShowCmd == EFrameShowState::Minimized);
}

INSTANTIATE_TEST_SUITE_P(
    MainFrame, PlacementTest,
    ::testing::Values(SPlacementCase{"MaximisedFromALargerScreen", QPoint(0, 50), true,
                                     EFrameShowState::Maximized, QPoint(0, 0)},
                      SPlacementCase{"AboveAndLeftOfTheScreen", QPoint(-30, -40), false,
                                     EFrameShowState::Normal, QPoint(0, 0)},
                      SPlacementCase{"LeftOfTheScreenOnly", QPoint(-30, 40), false,
                                     EFrameShowState::Normal, QPoint(0, 40)},
                      SPlacementCase{"InsideTheScreen", QPoint(20, 30), false,
                                     EFrameShowState::Normal, QPoint(20, 30)},
                      SPlacementCase{"Minimised", QPoint(20, 30), false, EFrameShowState::Minimized,
                                     QPoint(20, 30)}),
    [](const ::testing::TestParamInfo<SPlacementCase>& info) { return info.param.pszName; });

TEST_F(MainFrameTest, ClosingAMaximisedWindowStoresItsNormalRectangleAndTheColumns)
{
    ASSERT_TRUE(Start());
    Frame().setGeometry(40, 50, 500, 300);
    Frame().showMaximized();
    Frame().GetView().GetList().setColumnWidth(2, 77);

    EXPECT_TRUE(Frame().close());
    EXPECT_FALSE(Frame().GetSchedulerTimer().isActive());
    App().ExitInstance();

    const CSettings settings = LoadSettings();
    EXPECT_EQ(settings.m_nFrameShowCmd, EFrameShowState::Maximized);
    EXPECT_EQ(settings.m_nFrameLeft, 40);
    EXPECT_EQ(settings.m_nFrameTop, 50);
    EXPECT_EQ(settings.m_nFrameRight, 540);
    EXPECT_EQ(settings.m_nFrameBottom, 350);
    EXPECT_EQ(settings.m_eventList.m_widths[2], 77);
    EXPECT_FALSE(settings.m_toolbarState.isEmpty());
}

// The geometry Qt saved places the window when it is there; the rectangle is only for files
// of earlier versions.
TEST(FramePlacementTest, SavedGeometryWinsOverTheRectangle)
{
    QMainWindow closed;
    closed.setGeometry(60, 70, 420, 280);
    closed.show();
    CSettings settings;
    CFramePlacement::Store(closed, settings);
    EXPECT_EQ(settings.m_nFrameRight, 480);
    settings.m_nFrameLeft = 300;

    QMainWindow opened;
    CFramePlacement::Restore(opened, settings);
    EXPECT_EQ(opened.normalGeometry().size(), QSize(420, 280));
    EXPECT_LT(opened.normalGeometry().left(), 300);
    EXPECT_TRUE(opened.isVisible());
}

struct SNewCase
{
    const char* pszName;
    bool bModified;
    QMessageBox::StandardButton nAnswer;
    bool bEmptied;
    bool bSaved;
};

void PrintTo(const SNewCase& test, std::ostream* pStream)
{
    *pStream << test.pszName;
}

class FileNewTest : public CAppFixture, public ::testing::WithParamInterface<SNewCase>
{
};

TEST_P(FileNewTest, AsksAboutUnsavedChangesFirst)
{
    const SNewCase& test = GetParam();
    ASSERT_TRUE(Start());
    AddRemoteWithButton("TV");
    Doc().SetModifiedFlag(test.bModified);
    const QString strPath = GetTempPath("saved.qb");
    if (test.bSaved)
        CFileDialog::QueuePath(strPath);
    if (test.bModified)
        CMessageBox::QueueAnswer(test.nAnswer);

    EXPECT_TRUE(Frame().OnCommand(CMainFrame::kCmdFileNew));

    const QStringList expectedQuestions =
        test.bModified ? QStringList{"Save changes to Untitled?"} : QStringList{};
    EXPECT_EQ(CMessageBox::TakeShownTexts(), expectedQuestions);
    EXPECT_EQ(Doc().m_pRemotes->empty(), test.bEmptied);
    EXPECT_EQ(QFileInfo::exists(strPath), test.bSaved);
    EXPECT_EQ(Frame().windowTitle(), "Untitled[*] - Quorbit Remote Control Centre");
}

INSTANTIATE_TEST_SUITE_P(
    MainFrame, FileNewTest,
    ::testing::Values(SNewCase{"Unmodified", false, QMessageBox::Cancel, true, false},
                      SNewCase{"Cancelled", true, QMessageBox::Cancel, false, false},
                      SNewCase{"ChangesDropped", true, QMessageBox::No, true, false},
                      SNewCase{"ChangesSavedFirst", true, QMessageBox::Yes, true, true}),
    [](const ::testing::TestParamInfo<SNewCase>& info) { return info.param.pszName; });

TEST_F(MainFrameTest, CancellingTheSaveQuestionAtCloseKeepsTheSchedulerRunning)
{
    ASSERT_TRUE(Start());
    AddRemoteWithButton("TV");

    CMessageBox::QueueAnswer(QMessageBox::Cancel);
    EXPECT_FALSE(Frame().close());
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_TRUE(Frame().GetSchedulerTimer().isActive());

    CMessageBox::QueueAnswer(QMessageBox::No);
    EXPECT_TRUE(Frame().close());
    EXPECT_FALSE(Frame().GetSchedulerTimer().isActive());
    EXPECT_EQ(CMessageBox::TakeShownTexts().size(), 2);
}

// A firing keeps its time beside the document, so opening the document takes it from there.
TEST_F(MainFrameTest, OpeningADocumentTakesWhenItsEventsLastFired)
{
    ASSERT_TRUE(Start(kLivingRoom));
    CTimedEvent fired = *Doc().m_pEvents->begin()->second;
    fired.m_lastFired = CTime(2026, 12, 7, 7, 0, 0);
    std::string strError;
    ASSERT_TRUE(CLastFiredStore().Remember(
        QFile::encodeName(QFileInfo(kLivingRoom).absoluteFilePath()).toStdString(), fired,
        strError))
        << strError;
    ASSERT_TRUE(App().GetDocuments().OpenDocumentFile(kLivingRoom));
    EXPECT_EQ(Doc().FindEvent(fired.m_strName)->m_lastFired, fired.m_lastFired);
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(MainFrameTest, CommandsThatNeedARemoteAreGreyedWithoutOne)
{
    ASSERT_TRUE(Start());
    const int needRemote[] = {CMainFrame::kCmdDeleteRemote, CMainFrame::kCmdRemoteBuilder,
                              CMainFrame::kCmdEventProgrammer};
    for (const int nId : needRemote)
        EXPECT_FALSE(Frame().FindCommand(nId)->isEnabled()) << nId;
    EXPECT_TRUE(Frame().FindCommand(CMainFrame::kCmdAddRemote)->isEnabled());

    Doc().AddRemote("TV", 0);
    for (const int nId : needRemote)
        EXPECT_TRUE(Frame().FindCommand(nId)->isEnabled()) << nId;
}

TEST_F(MainFrameTest, WhileAMegabuttonFiresTheWindowGuardsTheDocument)
{
    StoreSettings([&](CSettings& settings) { settings.m_recentFiles = {kLivingRoom}; });
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    CRemoteButton& macro = *Doc().AddButton(tv, "Macro", "", true);
    macro.m_steps.push_back(CMegaStep{&tv, tv.FindButton("Power"), 0}); // 0.5 s
    Doc().SetModifiedFlag(false);

    const std::vector<int> greyed = {CMainFrame::kCmdFileNew, CMainFrame::kCmdFileOpen,
                                     CMainFrame::kCmdExit, CMainFrame::kCmdDeleteRemote,
                                     CMainFrame::kCmdParallelPort};
    const std::vector<int> available = {CMainFrame::kCmdFileSave, CMainFrame::kCmdAddRemote,
                                        CMainFrame::kCmdSystemClock,
                                        CMainFrame::kCmdEventProgrammer};
    std::map<int, bool> enabled;
    std::vector<std::pair<QString, bool>> recentDuring;
    bool bClosed = true;
    bool bOpened = true;
    // Runs in the firing's first wait for its step; time moves on only once it is done.
    QTimer::singleShot(0, &Frame(),
                       [&]
                       {
                           for (const std::vector<int>* pIds : {&greyed, &available})
                           {
                               for (const int nId : *pIds)
                                   enabled[nId] = Frame().FindCommand(nId)->isEnabled();
                           }
                           recentDuring = GetRecentEntries(Frame());
                           bClosed = Frame().close();
                           bOpened = App().GetDocuments().OpenDocumentFile(kLivingRoom);
                           DropFile(Frame(), kLivingRoom);
                           m_pTicks->Advance(500);
                       });
    App().GetSession().GetEngine().Fire(macro);
    QCoreApplication::processEvents();

    for (const int nId : greyed)
        EXPECT_FALSE(enabled.at(nId)) << nId;
    for (const int nId : available)
        EXPECT_TRUE(enabled.at(nId)) << nId;
    EXPECT_EQ(recentDuring, (std::vector<std::pair<QString, bool>>{{"Recent File", false}}));
    EXPECT_FALSE(bClosed);
    EXPECT_FALSE(bOpened);
    // Neither the open nor the drop replaced the document under the firing.
    EXPECT_NE(Doc().FindRemote("TV"), nullptr);
    EXPECT_TRUE(Frame().isVisible());

    // Afterwards everything is back.
    EXPECT_TRUE(Frame().FindCommand(CMainFrame::kCmdFileNew)->isEnabled());
    ASSERT_EQ(GetRecentEntries(Frame()).size(), 1u);
    EXPECT_TRUE(GetRecentEntries(Frame()).front().second);
    EXPECT_TRUE(CMessageBox::TakeShownTexts().isEmpty());
}

TEST_F(MainFrameTest, EnterOrDoubleClickInTheListOpensTheEventProgrammerOnlyWithARemote)
{
    ASSERT_TRUE(Start());
    CListCtrlEx& list = Frame().GetView().GetList();
    std::vector<bool> heldWhileOpen;
    // Each action is followed by a look for the programmer it opened, which is closed.
    const auto act = [&](const std::function<void()>& action)
    {
        QTimer::singleShot(0,
                           [&]
                           {
                               if (auto* pDialog = qobject_cast<CEventProgrammerDlg*>(
                                       QApplication::activeModalWidget()))
                               {
                                   heldWhileOpen.push_back(Doc().m_bEventsDialogOpen);
                                   pDialog->reject();
                               }
                           });
        action();
        QCoreApplication::processEvents();
    };
    const auto openFromTheList = [&]
    {
        act([&] { QTest::mouseDClick(list.viewport(), Qt::LeftButton); });
        act([&] { QTest::keyClick(&list, Qt::Key_Return); });
    };
    openFromTheList();
    EXPECT_TRUE(heldWhileOpen.empty());

    Doc().AddRemote("TV", 0);
    openFromTheList();
    // One-time events that fire meanwhile stay for the person to see.
    EXPECT_EQ(heldWhileOpen, std::vector<bool>(2, true));
    EXPECT_FALSE(Doc().m_bEventsDialogOpen);
}

TEST_F(MainFrameTest, KeysOpenTheDialogsAndDeleteRemovesTheChosenEventAfterAsking)
{
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    CTimedEvent fields;
    fields.m_strName = "Wake";
    fields.m_pRemote = &tv;
    fields.m_pButton = tv.FindButton("Power");
    ASSERT_NE(Doc().AddEvent(fields), nullptr);
    CListCtrlEx& list = Frame().GetView().GetList();
    for (const auto& [nKey, pszDialog] :
         {std::pair{Qt::Key_E, "eventProgrammer"}, std::pair{Qt::Key_B, "remoteBuilder"}})
    {
        Frame().activateWindow();
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::activeWindow(), &Frame());
        QString strOpened;
        WhenDialogOpens(
            [&strOpened](QDialog& dialog)
            {
                strOpened = dialog.objectName();
                dialog.reject();
            });
        QTest::keyClick(&list, nKey, Qt::ControlModifier);
        QCoreApplication::processEvents();
        EXPECT_EQ(strOpened, pszDialog) << "Ctrl+" << char(nKey);
    }

    list.setCurrentIndex(list.model()->index(0, 0));
    CMessageBox::QueueAnswer(QMessageBox::No);
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(CMessageBox::TakeShownTexts(),
              QStringList{"Wake:  Are you sure you want to remove this event?"});
    EXPECT_NE(Doc().FindEvent("Wake"), nullptr);
    CMessageBox::QueueAnswer(QMessageBox::Yes);
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(Doc().FindEvent("Wake"), nullptr);
}

TEST_F(MainFrameTest, TheEventProgrammerFillsTheListAndOpensWhereItWasClosed)
{
    ASSERT_TRUE(Start());
    AddRemoteWithButton("TV");
    WhenDialogOpens(
        [](QDialog& dlg)
        {
            const CDialogDriver ui(dlg);
            ui.Type("event", "Wake");
            ui.Click("add");
            dlg.setGeometry(QRect(QPoint(120, 90), dlg.size())); // the inner corner
            ui.Click("close");
        });
    Frame().OnCommand(CMainFrame::kCmdEventProgrammer);

    ASSERT_NE(Doc().FindEvent("Wake"), nullptr);
    EXPECT_EQ(Frame().GetView().GetModel().rowCount(), 1);
    const CSettings::SPosition& position = App().GetSettings().m_programmerPos;
    EXPECT_EQ(QPoint(position.nLeft, position.nTop), QPoint(120, 90));
}

TEST_F(MainFrameTest, AnOpenMenuHoldsTheScheduler)
{
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    CTimedEvent fields;
    fields.m_strName = "Wake";
    fields.m_time = CTime(1998, 6, 1, 7, 0, 0);
    fields.m_nFrequency = kFrequencyOnce;
    fields.m_pRemote = &tv;
    fields.m_pButton = tv.FindButton("Power");
    ASSERT_NE(Doc().AddEvent(fields), nullptr);
    m_pClock->m_now = CTime(1998, 6, 1, 7, 0, 0);

    QMenu* pFile = GetMenu(Frame(), 0);
    auto* pConfigure =
        qobject_cast<QMenu*>(Frame().FindCommand(CMainFrame::kCmdParallelPort)->parent());
    ASSERT_NE(pConfigure, nullptr);
    pFile->popup(QPoint(0, 0));
    pConfigure->popup(QPoint(20, 20));
    EXPECT_EQ(Frame().GetOpenMenuCount(), 2);
    EXPECT_EQ(Doc().m_armed.m_nFiring, 1);

    App().GetSession().GetScheduler().SchedulerTick();
    EXPECT_NE(Doc().FindEvent("Wake"), nullptr) << "fired while a menu was open";

    pConfigure->hide();
    EXPECT_EQ(Doc().m_armed.m_nFiring, 1);
    pFile->hide();
    EXPECT_EQ(Doc().m_armed.m_nFiring, 0);
    m_pClock->m_now = CTime(1998, 6, 1, 7, 0, 30);
    App().GetSession().GetScheduler().SchedulerTick();
    EXPECT_EQ(Doc().FindEvent("Wake"), nullptr) << "a one-time event is gone once fired";
}

TEST_F(MainFrameTest, RemoteEntriesFollowTheRemotesWithIdsNeverHandedOutTwice)
{
    ASSERT_TRUE(Start());
    for (const char* pszName : {"TV", "HiFi", "VCR"})
        Doc().AddRemote(pszName, 0);
    EXPECT_EQ(GetRemoteEntries(Frame()),
              (EntryList{{"TV", 0x8400}, {"HiFi", 0x8401}, {"VCR", 0x8402}}));

    // Ids in the document's range are remote commands; the next one is no command at all.
    EXPECT_TRUE(Frame().OnCommand(0x8402));
    EXPECT_TRUE(Doc().FindRemote("VCR")->m_bPadOpen);
    EXPECT_FALSE(Frame().OnCommand(0x8403));

    CMessageBox::QueueAnswer(QMessageBox::Yes);
    ASSERT_TRUE(Doc().DeleteRemote(*Doc().FindRemote("HiFi")));
    Doc().AddRemote("R&B", 0);
    EXPECT_EQ(GetRemoteEntries(Frame()),
              (EntryList{{"TV", 0x8400}, {"VCR", 0x8402}, {"R&&B", 0x8403}}));

    CMessageBox::QueueAnswer(QMessageBox::No);
    Frame().OnCommand(CMainFrame::kCmdFileNew);
    EXPECT_TRUE(GetRemoteEntries(Frame()).empty());
    EXPECT_EQ(Frame().GetViewMenu()->actions().size(), 7) << "the fixed entries stay";
}

struct SBadFileCase
{
    const char* pszName;
    const char* pszFile;
    QByteArray content; // not written when the case is a missing file
    int nStringId;
};

void PrintTo(const SBadFileCase& test, std::ostream* pStream)
{
    *pStream << test.pszName;
}

class BadFileTest : public CAppFixture, public ::testing::WithParamInterface<SBadFileCase>
{
protected:
    QString MakeFile() const
    {
        const SBadFileCase& test = GetParam();
        return test.content.isNull() ? GetTempPath(test.pszFile)
                                     : WriteTempFile(test.pszFile, test.content);
    }
};

TEST_P(BadFileTest, NamedAtStartEndsTheProgramAfterItsMessage)
{
    const QString strPath = MakeFile();
    EXPECT_FALSE(Start(strPath));

    const QStringList shown = CMessageBox::TakeShownTexts();
    ASSERT_EQ(shown.size(), 1);
    if (GetParam().nStringId == StringId::kOpenFailed)
        EXPECT_TRUE(shown[0].startsWith(strPath + ": ")) << shown[0].toStdString();
    else
        EXPECT_EQ(shown[0].toStdString(),
                  FormatString(GetParam().nStringId, strPath.toStdString()));
    EXPECT_FALSE(Frame().isVisible());
}

TEST_P(BadFileTest, OpenedLaterLeavesTheDocumentAsItWas)
{
    ASSERT_TRUE(Start());
    AddRemoteWithButton("TV");
    const QString strPath = MakeFile();
    CFileDialog::QueuePath(strPath);
    Frame().OnCommand(CMainFrame::kCmdFileOpen);

    // Only the refusal: the changes need no saving for a file that will not replace them.
    const QStringList shown = CMessageBox::TakeShownTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(strPath)) << shown[0].toStdString();
    EXPECT_NE(Doc().FindRemote("TV"), nullptr);
    EXPECT_EQ(GetRemoteEntries(Frame()), (EntryList{{"TV", 0x8400}}));
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(App().GetDocuments().GetTitle(), "Untitled");
    EXPECT_TRUE(App().GetSettings().m_recentFiles.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    MainFrame, BadFileTest,
    ::testing::Values(SBadFileCase{"NotADocument", "notes.qb",
                                   "These are notes, not remote controls.", StringId::kInvalidFile},
                      SBadFileCase{"TooShort", "short.qb", "QB", StringId::kInvalidFile},
                      SBadFileCase{"NewerVersion", "newer.qb", QByteArray("QB\x02\x02\0\0\0\0", 8),
                                   StringId::kNewerVersion},
                      SBadFileCase{"Missing", "missing.qb", QByteArray(), StringId::kOpenFailed}),
    [](const ::testing::TestParamInfo<SBadFileCase>& info) { return info.param.pszName; });

TEST_F(MainFrameTest, SavedDocumentComesBackFromTheRecentFileList)
{
    ASSERT_TRUE(Start());
    AddRemoteWithButton("TV");
    EXPECT_TRUE(Frame().isWindowModified());
    const QString strPath = GetTempPath("den.qb");
    CFileDialog::QueuePath(strPath);

    Frame().OnCommand(CMainFrame::kCmdFileSaveAs);
    EXPECT_TRUE(QFileInfo::exists(strPath));
    EXPECT_EQ(Frame().windowTitle(), "den.qb[*] - Quorbit Remote Control Centre");
    EXPECT_FALSE(Frame().isWindowModified());

    Frame().OnCommand(CMainFrame::kCmdFileNew);
    EXPECT_TRUE(Doc().m_pRemotes->empty());
    Frame().OnCommand(CMainFrame::kCmdRecentFile);
    EXPECT_NE(Doc().FindRemote("TV"), nullptr);
    EXPECT_EQ(GetRemoteEntries(Frame()), (EntryList{{"TV", 0x8400}}));
    EXPECT_EQ(App().GetDocuments().GetPathName(), strPath);
    EXPECT_TRUE(CMessageBox::TakeShownTexts().isEmpty());
}

TEST_F(MainFrameTest, SavingChangesFirstStillOpensTheChosenRecentFile)
{
    const QString strDen = GetTempPath("den.qb");
    ASSERT_TRUE(QFile::copy(kLivingRoom, strDen));
    StoreSettings([&](CSettings& settings) { settings.m_recentFiles = {strDen, kLivingRoom}; });
    ASSERT_TRUE(Start());
    AddRemoteWithButton("Amp");
    // Saving the untitled document puts its new name at the top of the list the entry is in.
    CMessageBox::QueueAnswer(QMessageBox::Yes);
    CFileDialog::QueuePath(GetTempPath("amp.qb"));

    Frame().OnCommand(CMainFrame::kCmdRecentFile + 1);

    EXPECT_EQ(App().GetDocuments().GetPathName(), kLivingRoom);
    EXPECT_EQ(App().GetSettings().m_recentFiles,
              (QStringList{kLivingRoom, GetTempPath("amp.qb"), strDen}));
}

// A source told "moved" may delete the person's file.
TEST_F(MainFrameTest, ADroppedFileOpensAsACopyNeverAsAMove)
{
    ASSERT_TRUE(Start());
    EXPECT_EQ(DropFile(Frame(), kLivingRoom, Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_EQ(App().GetDocuments().GetTitle(), "Untitled");
    EXPECT_EQ(DropFile(Frame(), kLivingRoom, Qt::MoveAction | Qt::LinkAction), Qt::LinkAction);
    EXPECT_EQ(DropFile(Frame(), kLivingRoom, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction),
              Qt::CopyAction);
    EXPECT_EQ(App().GetDocuments().GetTitle(), "living-room.qb");
    EXPECT_FALSE(GetRemoteEntries(Frame()).empty());
}

// Ctrl+S, Ctrl+O and Ctrl+N typed into a pad act as in the main window.
TEST_F(MainFrameTest, FileKeysWorkWhileAPadHasTheFocus)
{
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    Frame().OnCommand(tv.m_nMenuId);
    const auto typeIntoPad = [this](Qt::Key nKey)
    {
        CRemotePadDlg* pPad = CRemotePadDlg::FindPad(*Doc().FindRemote("TV"));
        ASSERT_NE(pPad, nullptr);
        pPad->activateWindow();
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::activeWindow(), pPad);
        QTest::keyClick(pPad, nKey, Qt::ControlModifier);
    };

    const QString strPath = GetTempPath("den.qb");
    CFileDialog::QueuePath(strPath);
    typeIntoPad(Qt::Key_S);
    EXPECT_EQ(App().GetDocuments().GetPathName(), strPath);

    CFileDialog::QueuePath(kLivingRoom);
    typeIntoPad(Qt::Key_O);
    EXPECT_EQ(App().GetDocuments().GetPathName(), kLivingRoom);

    typeIntoPad(Qt::Key_N);
    EXPECT_TRUE(Doc().m_pRemotes->empty());
    EXPECT_TRUE(CMessageBox::TakeShownTexts().isEmpty());
}

TEST_F(MainFrameTest, TheSessionMayNotEndWhileAButtonFires)
{
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Frame().QueryEndSession(true));

    App().GetSession().GetEngine().EnterFiring();
    EXPECT_FALSE(Frame().QueryEndSession(true));
    EXPECT_EQ(CMessageBox::TakeShownTexts(),
              QStringList{LoadString(StringId::kShutdownWhileFiring)});
    EXPECT_FALSE(Frame().QueryEndSession(false));
    EXPECT_TRUE(CMessageBox::TakeShownTexts().isEmpty()) << "no question without interaction";
    App().GetSession().GetEngine().LeaveFiring();
}
} // namespace
