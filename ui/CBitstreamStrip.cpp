#include "ui/CBitstreamStrip.h"

#include "base/CStringTable.h"
#include "document/CFrontEnd.h"
#include "document/CQuorbexDoc.h"
#include "ui/StripWindow.h"

#include <QMouseEvent>
#include <QPainter>

namespace
{
const QColor kBackground(255, 255, 255);
const QColor kGrid(192, 192, 192);
const QColor kTrace(0, 0, 255);
} // namespace

CBitstreamStrip::CBitstreamStrip(CQuorbexDoc& doc, QWidget* pParent) : QWidget(pParent), m_doc(doc)
{
    setObjectName(QStringLiteral("bitstreamStrip"));
    // Every paint covers the whole strip.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CBitstreamStrip::SetButton(CRemoteButton* pButton)
{
    m_pCurrent = pButton;
    update();
}

std::uint32_t CBitstreamStrip::GetVisibleSamples() const
{
    return ::GetVisibleSamples(width());
}

std::uint32_t CBitstreamStrip::GetWindowFirst() const
{
    return m_bZoomed ? m_nStart : 0;
}

std::uint32_t CBitstreamStrip::GetWindowLast() const
{
    return m_bZoomed ? m_nStart + GetVisibleSamples() - 1 : kStripSamples - 1;
}

void CBitstreamStrip::ToggleZoom()
{
    if (!m_bZoomed && GetVisibleSamples() == 0)
        return;
    m_bZoomed = !m_bZoomed;
    if (m_bZoomed)
        m_nStart = 0;
    emit ViewChanged();
    update();
}

void CBitstreamStrip::ScrollLeft()
{
    if (m_bZoomed)
        MoveWindow(GetStartScrolledLeft(m_nStart, GetVisibleSamples()));
}

void CBitstreamStrip::ScrollRight()
{
    if (m_bZoomed)
        MoveWindow(GetStartScrolledRight(m_nStart, GetVisibleSamples()));
}

void CBitstreamStrip::MoveWindow(std::uint32_t nStart)
{
    m_nStart = nStart;
    emit ViewChanged();
    update();
}

// A megabutton's own bits are never played, so editing them would only mislead.
CRemoteButton* CBitstreamStrip::GetEditableButton() const
{
    return m_pCurrent && !m_pCurrent->m_bMega ? m_pCurrent : nullptr;
}

bool CBitstreamStrip::ConfirmTrim(int nQuestionId) const
{
    return m_doc.GetFrontEnd().ShowMessage(nQuestionId, std::string(), EMessageBox::Question) ==
           EAnswer::Yes;
}

void CBitstreamStrip::TrimLeft()
{
    CRemoteButton* pButton = GetEditableButton();
    if (!m_bZoomed || !pButton || !m_doc.CanChangeButton(*pButton) ||
        !ConfirmTrim(StringId::kConfirmTrimLeft))
        return;
    // The samples in the window stay as they are: no repaint.
    if (TrimBefore(pButton->m_bits, m_nStart))
        FinishEdit();
}

void CBitstreamStrip::TrimRight()
{
    CRemoteButton* pButton = GetEditableButton();
    if (!m_bZoomed || !pButton || !m_doc.CanChangeButton(*pButton) ||
        !ConfirmTrim(StringId::kConfirmTrimRight))
        return;
    if (TrimAfter(pButton->m_bits, GetWindowLast()))
        FinishEdit();
}

void CBitstreamStrip::FinishEdit()
{
    m_doc.SetModifiedFlag();
    emit BitsEdited();
}

void CBitstreamStrip::paintEvent(QPaintEvent* /*pEvent*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    const QRect plot = GetPlotRect(size());
    painter.setPen(QPen(kGrid, 0));
    // The outline takes in the plot's last column and row.
    painter.drawRect(QRect(plot.topLeft(), plot.size() - QSize(1, 1)));
    const std::uint32_t nVisible = m_bZoomed ? GetVisibleSamples() : 0;
    for (std::uint32_t nCell = 1; nCell <= nVisible; ++nCell)
    {
        const int nX = plot.left() + kSampleWidth * static_cast<int>(nCell);
        painter.drawLine(nX, plot.top(), nX, plot.bottom());
    }
    if (!GetEditableButton())
        return;
    const std::vector<QPoint> trace =
        m_bZoomed ? GetZoomedTrace(m_pCurrent->m_bits, plot, m_nStart, nVisible)
                  : GetOverviewTrace(m_pCurrent->m_bits, plot);
    painter.setPen(QPen(kTrace, 0));
    painter.drawPolyline(trace.data(), static_cast<int>(trace.size()));
}

void CBitstreamStrip::mousePressEvent(QMouseEvent* pEvent)
{
    CRemoteButton* pButton = GetEditableButton();
    const QPoint point = pEvent->position().toPoint();
    if (!pButton || !m_bZoomed || !IsInsideMargin(point, size()))
        return;
    const std::uint32_t nSample = GetSampleAt(m_nStart, point.x());
    if (nSample >= kStripSamples || !m_doc.CanChangeButton(*pButton))
        return;
    InvertSample(pButton->m_bits, nSample);
    update();
    FinishEdit();
}

// Replaces the second press of a double-click, so a double-click on a zoomed sample inverts
// it once.
void CBitstreamStrip::mouseDoubleClickEvent(QMouseEvent* pEvent)
{
    const QPoint point = pEvent->position().toPoint();
    if (!m_pCurrent || m_bZoomed || !IsInsideMargin(point, size()) || GetVisibleSamples() == 0)
        return;
    m_bZoomed = true;
    MoveWindow(GetZoomStart(point.x(), width()));
}
