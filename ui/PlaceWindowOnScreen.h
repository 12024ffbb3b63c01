#pragma once

class QWidget;

// Moves a top-level window to (nX, nY), pulled back so that it lies wholly on the screen:
// the screen under that point, or the primary screen when the point is on none (a monitor
// that was unplugged since). Size and stacking order stay as they are. nX and nY receive the
// position the window really got, so that a stored position can follow it.
void PlaceWindowOnScreen(QWidget& window, int& nX, int& nY);
