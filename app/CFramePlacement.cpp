#include "app/CFramePlacement.h"

#include "app/CSettings.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QStatusBar>

namespace
{
// A stored rectangle that reaches past the primary screen's right or bottom edge moves to the
// screen's top-left corner; one that starts left of or above the screen moves onto it. Its
// size is kept.
QRect PlaceOnScreen(QRect rect, const QRect& screen)
{
    if (rect.right() > screen.right() || rect.bottom() > screen.bottom())
        rect.moveTopLeft(screen.topLeft());
    if (rect.left() < screen.left())
        rect.moveLeft(screen.left());
    if (rect.top() < screen.top())
        rect.moveTop(screen.top());
    return rect;
}

// The rectangle of a settings file that has no saved geometry.
void RestoreRectangle(QMainWindow& frame, const CSettings& settings)
{
    const QRect rect(QPoint(settings.m_nFrameLeft, settings.m_nFrameTop),
                     QPoint(settings.m_nFrameRight - 1, settings.m_nFrameBottom - 1));
    if (rect.isValid())
        frame.setGeometry(PlaceOnScreen(rect, QGuiApplication::primaryScreen()->geometry()));
}
} // namespace

void CFramePlacement::Store(const QMainWindow& frame, CSettings& settings)
{
    settings.m_toolbarState = frame.saveState();
    settings.m_bStatusBarVisible = !frame.statusBar()->isHidden();
    settings.m_frameGeometry = frame.saveGeometry();
    settings.m_nFrameShowCmd = frame.isMinimized()   ? EFrameShowState::Minimized
                               : frame.isMaximized() ? EFrameShowState::Maximized
                                                     : EFrameShowState::Normal;
    // The normal rectangle, also of a maximised window, so that it comes back the same size
    // when the person un-maximises it next time.
    const QRect rect = frame.normalGeometry().isValid() ? frame.normalGeometry() : frame.geometry();
    settings.m_nFrameLeft = rect.left();
    settings.m_nFrameTop = rect.top();
    settings.m_nFrameRight = rect.left() + rect.width();
    settings.m_nFrameBottom = rect.top() + rect.height();
}

void CFramePlacement::Restore(QMainWindow& frame, const CSettings& settings)
{
    frame.restoreState(settings.m_toolbarState);
    frame.statusBar()->setVisible(settings.m_bStatusBarVisible);
    if (settings.m_nFrameShowCmd != EFrameShowState::NotStored)
    {
        // Qt keeps a restored window on a screen that still exists.
        if (settings.m_frameGeometry.isEmpty() || !frame.restoreGeometry(settings.m_frameGeometry))
            RestoreRectangle(frame, settings);
    }
    if (settings.m_nFrameShowCmd == EFrameShowState::Minimized)
        frame.showMinimized();
    else if (settings.m_nFrameShowCmd == EFrameShowState::Maximized)
        frame.showMaximized();
    else
        frame.show();
}
