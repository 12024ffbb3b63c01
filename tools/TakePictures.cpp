// Takes the pictures in docs/: quorbit_pictures FOLDER [NAME...] writes FOLDER/NAME.png for
// each picture named, or for all of them. scripts/pictures runs it on a virtual display.
//
// Each picture starts the window program afresh, with empty settings plus its own, the
// simulated infrared unit and a clock that stands still at its moment, so that every run draws
// the same picture. A new picture is one more row in kPictures.
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "app/CMqttLink.h"
#include "app/CQuorbexApp.h"
#include "app/CodeImport.h"
#include "device/CClockBackend.h"
#include "device/CLircSystem.h"
#include "device/PortAvailability.h"
#include "device/SamplePeriod.h"
#include "document/CQuorbexDoc.h"
#include "document/SHeardPress.h"
#include "engine/CQuorbexSession.h"
#include "engine/CScheduler.h"
#include "engine/CTickSource.h"
#include "signal/SignalDurations.h"
#include "signal/SignalEncoder.h"
#include "ui/CBitstreamStrip.h"
#include "ui/CButtonRecorderDlg.h"
#include "ui/CClockConfigDlg.h"
#include "ui/CEventListModel.h"
#include "ui/CEventProgrammerDlg.h"
#include "ui/CHeardDock.h"
#include "ui/CHostedListCtrl.h"
#include "ui/CImportCodesDlg.h"
#include "ui/CListCtrlEx.h"
#include "ui/CMegaButtonDlg.h"
#include "ui/CMqttDlg.h"
#include "ui/CPortDialog.h"
#include "ui/CQuorbexView.h"
#include "ui/CRemoteBuilderDlg.h"
#include "ui/CRemotePadDlg.h"
#include "ui/StripWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

namespace
{
const QString kSample = QStringLiteral(QUORBIT_EXAMPLES "/living-room.qb");

// The clock a picture shows, standing still. The status bar names it.
class CStillClock : public CClockBackend
{
public:
    explicit CStillClock(const CTime& now) : m_now(now) {}

    bool ReadClock(SBcdReading& reading) override
    {
        reading = MakeBcdReading(m_now);
        return true;
    }
    bool SetSystemClock(const CTime&, std::string&) override { return true; }
    const char* GetName() const override { return "simulated"; }

private:
    CTime m_now;
};

// The window program as one picture needs it; it ends with the picture.
class CPictureRun
{
public:
    // Starts with strFile open, the clock at `now` and the settings that change() leaves.
    // Nothing when start-up failed.
    CQuorbexApp* Start(const CTime& now, const std::function<void(CSettings&)>& change,
                       const QString& strFile)
    {
        CSettings settings;
        change(settings);
        QSettings store = CSettingsFile::Open();
        store.clear();
        settings.Write(store);
        store.sync();
        m_pApp = std::make_unique<CQuorbexApp>("sim", std::make_unique<CStillClock>(now),
                                               std::make_unique<CSteadyTickSource>(),
                                               GetKernelLircSystem());
        return m_pApp->InitInstance(strFile) ? m_pApp.get() : nullptr;
    }

    CQuorbexApp& GetApp() const { return *m_pApp; }

private:
    std::unique_ptr<CQuorbexApp> m_pApp;
};

// A picture arranges its windows and returns them: one window is pictured as it is, several
// as a desktop. No windows: the arrangement failed, and the reason has been printed.
using ArrangeWindows = std::vector<QWidget*> (*)(CPictureRun& run);

// The sample document on the Monday morning after the final: its one-time recording is past,
// the morning news is next and the Sunday film is switched off. The window is as it opens on
// a first start, with nothing in the settings.
std::vector<QWidget*> ArrangeMainWindow(CPictureRun& run)
{
    CQuorbexApp* pApp = run.Start(
        CTime(1998, 7, 13, 6, 0, 0), [](CSettings&) {}, kSample);
    if (!pApp)
        return {};
    CMainFrame& frame = pApp->GetMainFrame();
    pApp->GetSession().GetScheduler().SchedulerTick();
    CListCtrlEx& list = frame.GetView().GetList();
    frame.activateWindow();
    list.setFocus();
    list.setCurrentIndex(frame.GetView().GetModel().index(1, 0));
    return {&frame};
}

// The sample document with pads of three styles beside the main window, on the evening of
// the final.
std::vector<QWidget*> ArrangePads(CPictureRun& run)
{
    CQuorbexApp* pApp = run.Start(
        CTime(1998, 7, 12, 18, 0, 0), [](CSettings&) {}, kSample);
    if (!pApp)
        return {};
    pApp->GetSession().GetScheduler().SchedulerTick();
    CMainFrame& frame = pApp->GetMainFrame();
    std::vector<QWidget*> windows{&frame};
    // The TV pad was open when the sample was saved; the others come from the View menu.
    for (const char* pszRemote : {"TV", "Video", "HiFi"})
    {
        CRemote* pRemote = pApp->GetSession().GetDocument().FindRemote(pszRemote);
        if (pRemote)
            frame.OnCommand(pRemote->m_nMenuId);
        CRemotePadDlg* pPad = pRemote ? CRemotePadDlg::FindPad(*pRemote) : nullptr;
        if (!pPad)
        {
            std::fprintf(stderr, "quorbit_pictures: the sample has no pad for %s\n", pszRemote);
            return {};
        }
        windows.push_back(pPad);
    }
    frame.setGeometry(40, 60, 800, 400);
    int nLeft = frame.geometry().right() + 24;
    for (std::size_t n = 1; n < windows.size(); ++n)
    {
        windows[n]->move(nLeft, 60);
        nLeft += windows[n]->width() + 24;
    }
    return windows;
}

// The marks and spaces of a NEC code.
std::vector<std::uint32_t> EncodeNec(std::uint32_t nAddress, std::uint32_t nCommand)
{
    SDecodedSignal code;
    code.eProtocol = EProtocol::kNec;
    code.nAddress = nAddress;
    code.nCommand = nCommand;
    SEncodedSignal encoded;
    EncodeSignal(code, encoded);
    return encoded.durations;
}

// A remote whose codes came from a LIRC file, its buttons named as the kernel names keys, on a
// pad the person made larger: the cells leave out the KEY_ that every name shares.
std::vector<QWidget*> ArrangeImportedPad(CPictureRun& run)
{
    CQuorbexApp* pApp = run.Start(
        CTime(1998, 7, 12, 18, 0, 0), [](CSettings&) {}, QString());
    if (!pApp)
        return {};
    CQuorbexDoc& doc = pApp->GetSession().GetDocument();
    CRemote& remote = *doc.AddRemote("Bedroom TV", 6);
    const char* const names[] = {"KEY_POWER",      "KEY_INPUT", "KEY_MUTE",        "KEY_MENU",
                                 "KEY_VOLUMEUP",   "KEY_UP",    "KEY_CHANNELUP",   "KEY_INFO",
                                 "KEY_LEFT",       "KEY_OK",    "KEY_RIGHT",       "KEY_EXIT",
                                 "KEY_VOLUMEDOWN", "KEY_DOWN",  "KEY_CHANNELDOWN", "KEY_BACK"};
    const double dNanos = GetMachineNanosPerSample(pApp->GetUnit().GetDevice());
    for (int nCell = 0; nCell < 16; ++nCell)
    {
        CRemoteButton& button = *doc.AddButton(remote, names[nCell], "", false);
        button.m_bits = ToBitstream(EncodeNec(0x04, static_cast<std::uint32_t>(nCell)), dNanos);
        remote.PlaceButton(button, nCell % 4, nCell / 4);
    }
    doc.SetModifiedFlag(false);
    CMainFrame& frame = pApp->GetMainFrame();
    frame.OnCommand(remote.m_nMenuId);
    CRemotePadDlg* pPad = CRemotePadDlg::FindPad(remote);
    if (!pPad)
        return {};
    pPad->resize(pPad->size() * 2);
    return {pPad};
}

// A dialog of the window program over its main window, as a person sees it after choosing
// its command; shown without its own event loop so that it can be pictured.
std::vector<QWidget*> ShowOverMainWindow(CMainFrame& frame, QDialog* pDialog)
{
    frame.setGeometry(40, 60, 900, 320);
    pDialog->show();
    pDialog->move(frame.geometry().left() + 480, frame.geometry().top() + 30);
    pDialog->activateWindow();
    return {&frame, pDialog};
}

// The Event Programmer on the recording of the final, chosen in the list.
std::vector<QWidget*> ArrangeEventProgrammer(CPictureRun& run)
{
    if (ArrangeMainWindow(run).empty())
        return {};
    CQuorbexApp& app = run.GetApp();
    CMainFrame& frame = app.GetMainFrame();
    const CTimedEvent* pFinal = app.GetSession().GetDocument().FindEvent("Record the final");
    if (!pFinal)
    {
        std::fprintf(stderr, "quorbit_pictures: the sample has no event Record the final\n");
        return {};
    }
    const CEventListModel& model = frame.GetView().GetModel();
    frame.GetView().GetList().setCurrentIndex(model.index(model.FindRow(*pFinal), 0));
    CSettings::SPosition& position = app.GetSettings().m_programmerPos;
    auto* pDialog =
        new CEventProgrammerDlg(app.GetSession().GetDocument(), frame.GetView().GetSelectedEvent(),
                                position.nLeft, position.nTop, &frame);
    return ShowOverMainWindow(frame, pDialog);
}

// The clock refreshed daily at 03:15, on the clock that pictures run on.
std::vector<QWidget*> ArrangeClock(CPictureRun& run)
{
    if (ArrangeMainWindow(run).empty())
        return {};
    CQuorbexApp& app = run.GetApp();
    const SClockSettings settings{EClockRefreshMethod::FromBios, EClockRefreshDay::Daily, 3, 15};
    return ShowOverMainWindow(
        app.GetMainFrame(),
        new CClockConfigDlg(settings, app.GetSession().GetClock(), &app.GetMainFrame()));
}

// The unit dialog as this computer's kernel shows its parallel ports, with the lirc devices of a
// small board: a GPIO receiver on lirc0, a GPIO emitter on lirc1, both in use, and a USB
// transceiver it may not open.
std::vector<QWidget*> ArrangePort(CPictureRun& run)
{
    if (ArrangeMainWindow(run).empty())
        return {};
    CQuorbexApp& app = run.GetApp();
    CPortDialog::CAvailability availability;
    for (int nPort = 1; nPort <= kPortCount; ++nPort)
        availability[static_cast<std::size_t>(nPort - 1)] = ProbePort(nPort);
    const std::vector<SLircAvailability> lircDevices{
        {"/dev/lirc0", true, false, true, ""},
        {"/dev/lirc1", true, true, false, ""},
        {"/dev/lirc2", false, false, false,
         "you may not open /dev/lirc2: join the group video (sudo adduser $USER video) and "
         "log in again"}};
    return ShowOverMainWindow(app.GetMainFrame(),
                              new CPortDialog(0, 1, availability, &app.GetMainFrame(), lircDevices,
                                              "lirc:/dev/lirc1,/dev/lirc0"));
}

// The living room's PC of a home with a Quorbit in two rooms, both on one broker.
std::vector<QWidget*> ArrangeMqtt(CPictureRun& run)
{
    if (ArrangeMainWindow(run).empty())
        return {};
    CMainFrame& frame = run.GetApp().GetMainFrame();
    const SMqttConfig config{QStringLiteral("mqtt://living-room@broker.lan:1883"),
                             QStringLiteral("/home/quorbit/.mqtt-password"),
                             QStringLiteral("living-room")};
    return ShowOverMainWindow(frame, new CMqttDlg(config, QStringLiteral("livingroom-pc"),
                                                  CMqttLink::GetDialogHelpers(),
                                                  CMqttLink::GetDefaultPasswordFile(), &frame));
}

// The Remote Builder on the sample's TV remote with its "Ch+" button chosen, owned by the main
// window so that it goes with the picture's run; null when the sample lacks the button.
CRemoteBuilderDlg* OpenBuilder(CQuorbexApp& app)
{
    CSettings& settings = app.GetSettings();
    auto* pBuilder = new CRemoteBuilderDlg(app.GetSession().GetDocument(),
                                           app.GetSession().GetEngine(), app.GetUnit().GetDevice(),
                                           settings.GetBuilderPlaces(), &app.GetMainFrame());
    auto* pRemoteBox = pBuilder->findChild<QComboBox*>("remoteBox");
    auto* pButtonBox = pBuilder->findChild<QComboBox*>("buttonBox");
    pRemoteBox->setCurrentIndex(pRemoteBox->findText("TV"));
    const int nButton = pButtonBox->findText("Ch+");
    pButtonBox->setCurrentIndex(nButton);
    emit pButtonBox->activated(nButton);
    if (pBuilder->FindTypedButton())
        return pBuilder;
    std::fprintf(stderr, "quorbit_pictures: the sample's TV remote has no Ch+ button\n");
    return nullptr;
}

// Zooms the strip in to the finest level and scrolls it to the first window in which the
// recording changes level.
void ZoomOntoFirstEdge(CRemoteBuilderDlg& builder)
{
    const CBitstream& bits = builder.FindTypedButton()->m_bits;
    auto* pStrip = builder.findChild<CBitstreamStrip*>("bitstreamStrip");
    auto* pScrollRight = builder.findChild<QPushButton*>("scrollRight");
    auto* pZoomIn = builder.findChild<QPushButton*>("zoomIn");
    while (pZoomIn->isEnabled())
        pZoomIn->click();
    for (;;)
    {
        const std::uint32_t nFirst = pStrip->GetWindowFirst();
        const std::uint32_t nLast = pStrip->GetWindowLast();
        for (std::uint32_t nSample = nFirst; nSample < nLast; ++nSample)
        {
            if (IsSampleHigh(bits, nSample) != IsSampleHigh(bits, nSample + 1))
                return;
        }
        if (nLast + 1 == kStripSamples)
            return;
        pScrollRight->click();
    }
}

// How a picture shows the Remote Builder: basic, or advanced with the whole recording of Ch+ in
// its strip, or a few dozen of its samples zoomed.
enum class EBuilderView
{
    Basic,
    Overview,
    Zoomed,
};

std::vector<QWidget*> ArrangeBuilder(CPictureRun& run, EBuilderView nView)
{
    if (ArrangeMainWindow(run).empty())
        return {};
    CQuorbexApp& app = run.GetApp();
    CRemoteBuilderDlg* pBuilder = OpenBuilder(app);
    if (!pBuilder)
        return {};
    if (nView != EBuilderView::Basic)
        pBuilder->findChild<QPushButton*>("advanced")->click();
    if (nView == EBuilderView::Zoomed)
        ZoomOntoFirstEdge(*pBuilder);
    return ShowOverMainWindow(app.GetMainFrame(), pBuilder);
}

std::vector<QWidget*> ArrangeRemoteBuilder(CPictureRun& run)
{
    return ArrangeBuilder(run, EBuilderView::Basic);
}

std::vector<QWidget*> ArrangeBuilderOverview(CPictureRun& run)
{
    return ArrangeBuilder(run, EBuilderView::Overview);
}

std::vector<QWidget*> ArrangeBuilderZoomed(CPictureRun& run)
{
    return ArrangeBuilder(run, EBuilderView::Zoomed);
}

// The Button Recorder over the Remote Builder, waiting for the simulated remote's press.
std::vector<QWidget*> ArrangeButtonRecorder(CPictureRun& run)
{
    std::vector<QWidget*> windows = ArrangeRemoteBuilder(run);
    if (windows.empty())
        return {};
    CQuorbexApp& app = run.GetApp();
    auto* pBuilder = static_cast<CRemoteBuilderDlg*>(windows.back());
    CSettings::SPosition& position = app.GetSettings().m_recorderPos;
    auto* pRecorder =
        new CButtonRecorderDlg(*pBuilder->FindTypedButton(), app.GetSession().GetEngine(),
                               app.GetUnit().GetDevice(), position.nLeft, position.nTop, pBuilder);
    pRecorder->show();
    windows.push_back(pRecorder);
    return windows;
}

// The MegaButton editor over the Remote Builder, on the sample's Movie megabutton, whose steps
// play buttons of three remotes; its second step is chosen.
std::vector<QWidget*> ArrangeMegaButtonEditor(CPictureRun& run)
{
    std::vector<QWidget*> windows = ArrangeRemoteBuilder(run);
    if (windows.empty())
        return {};
    CQuorbexApp& app = run.GetApp();
    CRemote* pTv = app.GetSession().GetDocument().FindRemote("TV");
    CRemoteButton* pMovie = pTv ? pTv->FindButton("Movie") : nullptr;
    if (!pMovie || pMovie->m_steps.size() < 2)
    {
        std::fprintf(stderr, "quorbit_pictures: the sample's TV remote has no Movie megabutton\n");
        return {};
    }
    CSettings::SPosition& position = app.GetSettings().m_megaPos;
    auto* pEditor = new CMegaButtonDlg(app.GetSession().GetDocument(), *pTv, *pMovie,
                                       position.nLeft, position.nTop, windows.back());
    pEditor->move(windows.back()->geometry().topLeft() + QPoint(60, 90));
    pEditor->show();
    auto* pSteps = pEditor->findChild<CHostedListCtrl*>("steps");
    pSteps->selectionModel()->select(pSteps->model()->index(1, 0),
                                     QItemSelectionModel::ClearAndSelect |
                                         QItemSelectionModel::Rows);
    windows.push_back(pEditor);
    return windows;
}

// One parsed record of an .ir file, as such files write NEC codes.
QByteArray IrRecord(const char* pszName, int nAddress, int nCommand)
{
    const auto hex = [](int nByte)
    { return QString::number(nByte, 16).toUpper().rightJustified(2, QLatin1Char('0')); };
    return QStringLiteral("#\nname: %1\ntype: parsed\nprotocol: NEC\naddress: %2 00 00 00\n"
                          "command: %3 00 00 00\n")
        .arg(QString::fromLatin1(pszName), hex(nAddress), hex(nCommand))
        .toLatin1();
}

// A small code library as a clone of a public .ir collection lays it out, with a folder of
// LIRC remotes beside it, in ~/ir-codes of the pictures' own home folder.
QString WriteCodeLibrary()
{
    const auto write = [](const QString& strPath, const QByteArray& text)
    {
        QDir().mkpath(QFileInfo(strPath).path());
        QFile file(strPath);
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    };
    QByteArray lg = "Filetype: IR signals file\nVersion: 1\n";
    const char* const names[] = {"Power", "Vol_up", "Vol_dn", "Ch_next", "Ch_prev",
                                 "Mute",  "Input",  "Movie",  "Power"};
    for (int nCode = 0; nCode < static_cast<int>(std::size(names)); ++nCode)
        lg += IrRecord(names[nCode], 0x04, nCode < 8 ? 0x08 + nCode : 0xC4);
    lg += "#\nname: Netflix\ntype: raw\nfrequency: 38000\nduty_cycle: 0.330000\n"
          "data: 9000 4500 560 560 560 1690 560 560 560 1690 560\n";
    const QString strFolder = QDir::homePath() + QStringLiteral("/ir-codes");
    const bool bWritten = write(strFolder + "/TVs/LG/LG_42LB650V.ir", lg) &&
                          write(strFolder + "/TVs/LG/LG_AKB72915207.ir", lg) &&
                          write(strFolder + "/TVs/Samsung/Samsung_BN59-01175N.ir", lg) &&
                          write(strFolder + "/Audio/Denon/Denon_RC-1196.ir", lg) &&
                          write(strFolder + "/lirc/remotes/lg/AKB72915207.lircd.conf",
                                "begin remote\n  name LG\n  begin raw_codes\n    name KEY_POWER\n"
                                "      9000 4500 560\n  end raw_codes\nend remote\n");
    return bWritten ? strFolder : QString();
}

// Import Codes over the main window, as opened from File > Import Codes with strLibrary kept
// in the settings.
CImportCodesDlg* OpenImportCodes(CPictureRun& run, const QString& strLibrary)
{
    CQuorbexApp& app = run.GetApp();
    static std::unique_ptr<CCodeImportPlanner> pPlanner;
    pPlanner = std::make_unique<CCodeImportPlanner>(app.GetSession().GetDocument(), 1000.0);
    auto* pDialog = new CImportCodesDlg(*pPlanner, strLibrary, &app.GetMainFrame());
    pDialog->resize(760, 620);
    return pDialog;
}

// The codes of an LG television's .ir file previewed for the sample's TV remote: new ones,
// Power replacing the button's signal, a second Power renamed, the Movie megabutton refused.
std::vector<QWidget*> ArrangeImportCodes(CPictureRun& run)
{
    const QString strLibrary = WriteCodeLibrary();
    if (strLibrary.isEmpty() || ArrangeMainWindow(run).empty())
        return {};
    CImportCodesDlg* pDialog = OpenImportCodes(run, QString());
    pDialog->OpenFile(strLibrary + "/TVs/LG/LG_42LB650V.ir");
    auto* pTarget = pDialog->findChild<QComboBox*>("target");
    pTarget->setCurrentText(QStringLiteral("TV"));
    return ShowOverMainWindow(run.GetApp().GetMainFrame(), pDialog);
}

// The code library searched for an LG model, the file found previewed.
std::vector<QWidget*> ArrangeCodeLibrary(CPictureRun& run)
{
    const QString strLibrary = WriteCodeLibrary();
    if (strLibrary.isEmpty() || ArrangeMainWindow(run).empty())
        return {};
    CImportCodesDlg* pDialog = OpenImportCodes(run, strLibrary);
    pDialog->findChild<QLineEdit*>("search")->setText(QStringLiteral("lg akb"));
    pDialog->findChild<QListWidget*>("found")->setCurrentRow(1);
    pDialog->findChild<QComboBox*>("target")->setCurrentText(QStringLiteral("TV"));
    return ShowOverMainWindow(run.GetApp().GetMainFrame(), pDialog);
}

// A press of the sample's button (the first plain one of the remote) as the receiver heard it.
SHeardPress HearButton(CQuorbexApp& app, const char* pszRemote, const CTime& time)
{
    SHeardPress press;
    press.time = time;
    press.pRemote = app.GetSession().GetDocument().FindRemote(pszRemote);
    if (!press.pRemote)
        return press;
    for (const auto& [strName, pButton] : press.pRemote->m_buttons)
        if (!press.pButton && !pButton->m_bMega)
            press.pButton = pButton.get();
    if (press.pButton)
        press.durations =
            ToDurations(press.pButton->m_bits, GetMachineNanosPerSample(app.GetUnit().GetDevice()));
    return press;
}

// The Heard list beside the main window: two presses of the sample's buttons and one of a
// remote the document does not know, chosen, so that Learn is offered.
std::vector<QWidget*> ArrangeHeard(CPictureRun& run)
{
    const std::vector<QWidget*> windows = ArrangeMainWindow(run);
    if (windows.empty())
        return {};
    CQuorbexApp& app = run.GetApp();
    CHeardDock& dock = app.GetMainFrame().GetHeardDock();
    dock.show();
    dock.AddPress(HearButton(app, "TV", CTime(1998, 7, 13, 5, 58, 12)));
    dock.AddPress(HearButton(app, "HiFi", CTime(1998, 7, 13, 5, 59, 3)));
    dock.AddPress({CTime(1998, 7, 13, 5, 59, 41), EncodeNec(0x20, 0x11), 38000, nullptr, nullptr});
    auto* pList = dock.findChild<QTreeWidget*>("heardList");
    pList->setCurrentItem(pList->topLevelItem(0));
    app.GetMainFrame().resize(1240, 420);
    app.GetMainFrame().resizeDocks({&dock}, {600}, Qt::Horizontal);
    return windows;
}

struct SPicture
{
    const char* pszName; // the file NAME.png
    ArrangeWindows pArrange;
};

const SPicture kPictures[] = {
    {"main-window", ArrangeMainWindow},
    {"pads", ArrangePads},
    {"imported-pad", ArrangeImportedPad},
    {"event-programmer", ArrangeEventProgrammer},
    {"clock", ArrangeClock},
    {"port", ArrangePort},
    {"mqtt", ArrangeMqtt},
    {"remote-builder", ArrangeRemoteBuilder},
    {"button-recorder", ArrangeButtonRecorder},
    {"remote-builder-overview", ArrangeBuilderOverview},
    {"remote-builder-advanced", ArrangeBuilderZoomed},
    {"megabutton-editor", ArrangeMegaButtonEditor},
    {"import-codes", ArrangeImportCodes},
    {"code-library", ArrangeCodeLibrary},
    {"heard", ArrangeHeard},
};

// The windows as a desktop shows them, each under a plain title bar: without a window manager
// nothing draws window frames.
QImage PaintDesktop(const std::vector<QWidget*>& windows)
{
    const int nCaption = windows.front()->fontMetrics().height() + 8;
    QRect desktop;
    for (const QWidget* pWindow : windows)
        desktop |= pWindow->geometry().adjusted(-16, -nCaption - 16, 16, 16);
    QImage image(desktop.size(), QImage::Format_RGB32);
    image.fill(QColor(0x4a, 0x5d, 0x6e));
    QPainter painter(&image);
    painter.translate(-desktop.topLeft());
    for (QWidget* pWindow : windows)
    {
        const QRect rect = pWindow->geometry();
        const QRect caption(rect.left(), rect.top() - nCaption, rect.width(), nCaption);
        painter.fillRect(caption, pWindow->palette().color(QPalette::Highlight));
        painter.setPen(pWindow->palette().color(QPalette::HighlightedText));
        painter.drawText(caption.adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft,
                         pWindow->windowTitle().remove("[*]"));
        painter.drawPixmap(rect.topLeft(), pWindow->grab());
    }
    return image;
}

bool TakePicture(const SPicture& picture, const QDir& folder)
{
    CPictureRun run;
    const std::vector<QWidget*> windows = picture.pArrange(run);
    QCoreApplication::processEvents();
    for (const QString& strText : CMessageBox::TakeShownTexts())
        std::fprintf(stderr, "quorbit_pictures: %s: %s\n", picture.pszName, qPrintable(strText));
    if (windows.empty())
        return false;
    const QImage image =
        windows.size() == 1 ? windows.front()->grab().toImage() : PaintDesktop(windows);
    const QString strPath = folder.filePath(QString(picture.pszName) + ".png");
    if (image.save(strPath))
        return true;
    std::fprintf(stderr, "quorbit_pictures: %s could not be written\n", qPrintable(strPath));
    return false;
}

// The pictures named, all of them when none is; nothing when a name is unknown.
std::vector<const SPicture*> ChoosePictures(const QStringList& names)
{
    std::vector<const SPicture*> chosen;
    for (const SPicture& picture : kPictures)
    {
        if (names.isEmpty() || names.contains(picture.pszName))
            chosen.push_back(&picture);
    }
    if (names.isEmpty() || chosen.size() == static_cast<std::size_t>(names.size()))
        return chosen;
    std::fprintf(stderr, "quorbit_pictures: unknown picture among %s; the pictures are:",
                 qPrintable(names.join(' ')));
    for (const SPicture& picture : kPictures)
        std::fprintf(stderr, " %s", picture.pszName);
    std::fprintf(stderr, "\n");
    return {};
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: quorbit_pictures FOLDER [NAME...]\n");
        return 2;
    }
    // Settings, the desktop registration and runtime files go to a folder of their own, never
    // the person's; the registration finds no desktop cache tools to run.
    const QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
    qputenv("PATH", (home.path() + "/bin").toLocal8Bit());
    qputenv("TZ", "UTC0");
    tzset();

    QApplication application(argc, argv);
    QApplication::setOrganizationName("Dorn");
    QApplication::setApplicationName("Quorbit");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    CMessageBox::UseScriptedAnswers();

    const QStringList arguments = QApplication::arguments();
    const QDir folder(arguments.at(1));
    if (!folder.mkpath("."))
    {
        std::fprintf(stderr, "quorbit_pictures: no folder %s\n", qPrintable(folder.path()));
        return 1;
    }
    QStringList names = arguments.mid(2);
    names.removeDuplicates();
    const std::vector<const SPicture*> chosen = ChoosePictures(names);
    if (chosen.empty())
        return 2;
    for (const SPicture* pPicture : chosen)
    {
        if (!TakePicture(*pPicture, folder))
            return 1;
    }
    return 0;
}
