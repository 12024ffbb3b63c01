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
    // The frame's size is known once the window exists on the window system.
    window.winId();
    const QSize size = window.frameGeometry().size();
    // The far edges first: a window larger than the screen then keeps its title bar on it.
    nX = std::min(nX, screen.left() + screen.width() - size.width());
    nY = std::min(nY, screen.top() + screen.height() - size.height());
    nX = std::max(nX, screen.left());
    nY = std::max(nY, screen.top());
    window.move(nX, nY);
}
