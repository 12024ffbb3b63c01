#include "ui/PlaceWindowOnScreen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

void PlaceWindowOnScreen(QWidget& window, int& nX, int& nY)
{
    const QScreen* pScreen = QGuiApplication::screenAt(QPoint(nX, nY));
    if (!pScreen)
        pScreen = QGuiApplication::primaryScreen();
    // The area without the desktop's panels, so that a title bar never ends up beneath one.
    const QRect screen = pScreen->availableGeometry();
    // The frame is known once the window exists on the window system, as far as it is known
    // before the window is shown at all.
    window.winId();
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    const int nFrameLeft = inner.left() - frame.left();
    const int nFrameTop = inner.top() - frame.top();
    // The far edges first: a window larger than the screen then keeps its title bar on it.
    nX = std::min(nX, screen.left() + screen.width() - frame.width() + nFrameLeft);
    nY = std::min(nY, screen.top() + screen.height() - frame.height() + nFrameTop);
    nX = std::max(nX, screen.left() + nFrameLeft);
    nY = std::max(nY, screen.top() + nFrameTop);
    window.setGeometry(QRect(QPoint(nX, nY), inner.size()));
}
