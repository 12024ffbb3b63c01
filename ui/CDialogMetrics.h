#pragma once

#include <QRect>

class QFontMetrics;

// Converts a dialog layout drawn in dialog units to pixels: a horizontal unit is a quarter of
// the font's average character width, a vertical unit an eighth of its height, so that the
// layout grows with the person's font and its texts keep their room.
class CDialogMetrics
{
public:
    explicit CDialogMetrics(const QFontMetrics& metrics);

    int ToPixelsX(int nUnits) const { return nUnits * m_nCharWidth / 4; }
    int ToPixelsY(int nUnits) const { return nUnits * m_nCharHeight / 8; }
    QRect ToPixels(const QRect& units) const;

private:
    int m_nCharWidth;
    int m_nCharHeight;
};
