#pragma once

class QWidget;

// A stored left coordinate of this value: the window has no stored position yet.
constexpr int kNoStoredPosition = 0x7FFF;

// Puts the inner corner of a top-level window (the top-left of its client area, without the
// frame the window manager adds) at (nX, nY), pulled back so that the window and its frame lie
// wholly on the screen: the screen under that point, or the primary screen when the point is on
// none (a monitor that was unplugged since). Size and stacking order stay as they are. nX and nY
// receive the position the window really got, so that a stored position can follow it.
//
// The inner corner, not the frame's, is what is stored and restored: before a window is shown
// the window system may not know its frame yet, so a frame corner would come back as the inner
// corner and the window would creep down by its title bar on every round trip.
void PlaceWindowOnScreen(QWidget& window, int& nX, int& nY);
