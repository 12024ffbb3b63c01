#include "ui/CDialogMetrics.h"

#include <QFontMetrics>

namespace
{
// The average width is taken over the letters, as dialog layouts have always measured it,
// rather than the font's own figure, which wide rare glyphs can inflate.
int GetAverageLetterWidth(const QFontMetrics& metrics)
{
    const QString strLetters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return (metrics.horizontalAdvance(strLetters) / 26 + 1) / 2;
}
} // namespace

CDialogMetrics::CDialogMetrics(const QFontMetrics& metrics)
    : m_nCharWidth(GetAverageLetterWidth(metrics)), m_nCharHeight(metrics.height())
{
}

QRect CDialogMetrics::ToPixels(const QRect& units) const
{
    // Each edge on its own, so that controls side by side in units meet in pixels too.
    const int nLeft = ToPixelsX(units.left());
    const int nTop = ToPixelsY(units.top());
    return QRect(nLeft, nTop, ToPixelsX(units.left() + units.width()) - nLeft,
                 ToPixelsY(units.top() + units.height()) - nTop);
}
