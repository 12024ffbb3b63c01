#include "ui/StatusIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace
{
constexpr int kWidth = 20;
constexpr int kHeight = 16;
const QRectF kDisc(3.5, 1.5, 13, 13);

QPixmap MakeCanvas()
{
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void DrawDisc(QPainter& painter, const QColor& fill)
{
    painter.setPen(QPen(fill.darker(160), 1));
    painter.setBrush(fill);
    painter.drawEllipse(kDisc);
}

// Active: a green disc with a tick.
void DrawActive(QPainter& painter)
{
    DrawDisc(painter, QColor(60, 170, 70));
    painter.setPen(QPen(Qt::white, 1.8));
    painter.drawPolyline(QPolygonF({QPointF(6.5, 8), QPointF(9, 10.5), QPointF(13.5, 5.5)}));
}

// ARMED: an amber clock face with its hands.
void DrawArmed(QPainter& painter)
{
    DrawDisc(painter, QColor(240, 180, 30));
    painter.setPen(QPen(Qt::black, 1.4));
    painter.drawLine(QPointF(10, 8), QPointF(10, 4));
    painter.drawLine(QPointF(10, 8), QPointF(13, 9.5));
}

// FIRING: a red burst.
void DrawFiring(QPainter& painter)
{
    QPainterPath burst;
    const QPointF centre(10, 8);
    for (int nPoint = 0; nPoint < 16; ++nPoint)
    {
        const qreal nRadius = nPoint % 2 == 0 ? 7.5 : 3.5;
        const qreal nAngle = nPoint * 3.14159265 / 8;
        const QPointF point =
            centre + QPointF(nRadius * std::cos(nAngle), nRadius * std::sin(nAngle));
        if (nPoint == 0)
            burst.moveTo(point);
        else
            burst.lineTo(point);
    }
    burst.closeSubpath();
    painter.setPen(QPen(QColor(150, 20, 20), 1));
    painter.setBrush(QColor(230, 40, 30));
    painter.drawPath(burst);
}

// Disabled: a grey disc crossed out.
void DrawDisabled(QPainter& painter)
{
    DrawDisc(painter, QColor(170, 170, 170));
    painter.setPen(QPen(QColor(90, 90, 90), 1.8));
    painter.drawLine(QPointF(6, 12), QPointF(14, 4));
}

// Expired: a dark grey disc with a dash.
void DrawExpired(QPainter& painter)
{
    DrawDisc(painter, QColor(110, 110, 120));
    painter.setPen(QPen(Qt::white, 1.8));
    painter.drawLine(QPointF(6.5, 8), QPointF(13.5, 8));
}

QIcon MakeIcon(void (*pDraw)(QPainter&))
{
    QPixmap pixmap = MakeCanvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    pDraw(painter);
    painter.end();
    return QIcon(pixmap);
}
} // namespace

std::array<QIcon, kStatusCount> MakeStatusIcons()
{
    // In the order of EEventStatus.
    return {MakeIcon(DrawFiring), MakeIcon(DrawArmed), MakeIcon(DrawDisabled), MakeIcon(DrawActive),
            MakeIcon(DrawExpired)};
}
