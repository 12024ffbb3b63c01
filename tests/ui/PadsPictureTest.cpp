#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "document/CQuorbexDoc.h"
#include "engine/CScheduler.h"
#include "ui/CRemotePadDlg.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPixmap>

#include <vector>

namespace
{
using PadsPictureTest = CAppFixture;

// The windows as a desktop shows them, each under a plain title bar: the offscreen platform
// draws no window frames of its own.
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

// The sample document with three pads of different styles beside the main window.
// QUORBIT_SCREENSHOT names a file to keep the picture in.
TEST_F(PadsPictureTest, PadsOfThreeStylesBesideTheMainWindow)
{
    m_pClock->m_now = CTime(1998, 7, 12, 18, 0, 0);
    StoreSettings([](CSettings& settings)
                  { settings.m_eventList.m_widths = {125, 100, 125, 165, 60, 120, 70}; });
    ASSERT_TRUE(Start(QUORBIT_EXAMPLES "/living-room.qb"));
    App().GetScheduler().SchedulerTick();
    std::vector<QWidget*> windows{&Frame()};
    // The TV pad was open when the sample was saved; the others come from the View menu.
    for (const char* pszRemote : {"TV", "Video", "HiFi"})
    {
        CRemote* pRemote = Doc().FindRemote(pszRemote);
        ASSERT_NE(pRemote, nullptr);
        Frame().OnCommand(pRemote->m_nMenuId);
        ASSERT_NE(pRemote->m_pPad, nullptr);
        windows.push_back(pRemote->m_pPad);
    }
    Frame().setGeometry(40, 60, 800, 400);
    int nLeft = Frame().geometry().right() + 24;
    for (std::size_t n = 1; n < windows.size(); ++n)
    {
        windows[n]->move(nLeft, 60);
        nLeft += windows[n]->width() + 24;
    }
    QCoreApplication::processEvents();

    const QImage picture = PaintDesktop(windows);
    const QString strPath = qEnvironmentVariable("QUORBIT_SCREENSHOT");
    if (!strPath.isEmpty())
    {
        EXPECT_TRUE(picture.save(strPath));
    }
}
} // namespace
