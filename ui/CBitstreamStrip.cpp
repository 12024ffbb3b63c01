#include "ui/CBitstreamStrip.h"

#include "base/CStringTable.h"
#include "document/CFrontEnd.h"
#include "document/CQuorbexDoc.h"
#include "ui/StripWindow.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

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

unsigned CBitstreamStrip::GetLevel() const
{
    return std::min(m_nLevel, GetOverviewLevel(GetVisibleSamples()));
}

bool CBitstreamStrip::IsOverview() const
{
    return GetLevel() == GetOverviewLevel(GetVisibleSamples());
}

bool CBitstreamStrip::IsFinest() const
{
    return GetLevel() == 0 && !IsOverview();
}

std::uint32_t CBitstreamStrip::GetWindowSamples() const
{
    return ::GetWindowSamples(GetVisibleSamples(), GetLevel());
}

std::uint32_t CBitstreamStrip::GetWindowFirst() const
{
    return IsOverview() ? 0 : m_nStart;
}

std::uint32_t CBitstreamStrip::GetWindowLast() const
{
    return GetWindowFirst() + GetWindowSamples() - 1;
}

void CBitstreamStrip::ShowLevel(unsigned nLevel, std::uint32_t nStart)
{
    m_nLevel = nLevel;
    m_nStart = IsOverview() ? 0 : std::min(nStart, kStripSamples - GetWindowSamples());
    emit ViewChanged();
    update();
}

void CBitstreamStrip::ZoomIn()
{
    if (CanZoomIn())
        ShowLevel(GetLevel() - 1, GetWindowFirst());
}

void CBitstreamStrip::ZoomOut()
{
    if (!IsOverview())
        ShowLevel(GetLevel() + 1, m_nStart);
}

void CBitstreamStrip::ZoomAbout(int nX, unsigned nLevel)
{
    const std::uint32_t nSample = GetSampleUnder(GetWindowFirst(), GetLevel(), nX, width());
    ShowLevel(nLevel, GetStartKeeping(nSample, nX, nLevel, width()));
}

void CBitstreamStrip::ScrollLeft()
{
    if (!IsOverview())
        MoveWindow(GetStartScrolledLeft(m_nStart, GetWindowSamples()));
}

void CBitstreamStrip::ScrollRight()
{
    if (!IsOverview())
        MoveWindow(GetStartScrolledRight(m_nStart, GetWindowSamples()));
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
    if (IsOverview() || !pButton || !m_doc.CanChangeButton(*pButton) ||
        !ConfirmTrim(StringId::kConfirmTrimLeft))
        return;
    // The samples in the window stay as they are: no repaint.
    if (TrimBefore(pButton->m_bits, m_nStart))
        FinishEdit();
}

void CBitstreamStrip::TrimRight()
{
    CRemoteButton* pButton = GetEditableButton();
    if (IsOverview() || !pButton || !m_doc.CanChangeButton(*pButton) ||
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
    // Cells only where a press on one edits its sample.
    const std::uint32_t nVisible = GetVisibleSamples();
    const std::uint32_t nCells = IsFinest() ? nVisible : 0;
    for (std::uint32_t nCell = 1; nCell <= nCells; ++nCell)
    {
        const int nX = plot.left() + kSampleWidth * static_cast<int>(nCell);
        painter.drawLine(nX, plot.top(), nX, plot.bottom());
    }
    if (!GetEditableButton())
        return;
    const std::vector<QPoint> trace =
        IsOverview() ? GetOverviewTrace(m_pCurrent->m_bits, plot)
                     : GetZoomedTrace(m_pCurrent->m_bits, plot, m_nStart, nVisible, GetLevel());
    painter.setPen(QPen(kTrace, 0));
    painter.drawPolyline(trace.data(), static_cast<int>(trace.size()));
}

void CBitstreamStrip::mousePressEvent(QMouseEvent* pEvent)
{
    CRemoteButton* pButton = GetEditableButton();
    const QPoint point = pEvent->position().toPoint();
    if (!pButton || !IsFinest() || !IsInsideMargin(point, size()))
        return;
    const std::uint32_t nSample = GetSampleAt(m_nStart, point.x());
    if (nSample >= kStripSamples || !m_doc.CanChangeButton(*pButton))
        return;
    InvertSample(pButton->m_bits, nSample);
    update();
    FinishEdit();
}

// Zooms to the finest level at the place. Replaces the second press of a double-click, so a
// double-click on a sample of the finest window inverts it once.
void CBitstreamStrip::mouseDoubleClickEvent(QMouseEvent* pEvent)
{
    const QPoint point = pEvent->position().toPoint();
    if (!m_pCurrent || IsFinest() || !IsInsideMargin(point, size()) || GetVisibleSamples() == 0)
        return;
    if (IsOverview())
        ShowLevel(0, GetZoomStart(point.x(), width()));
    else
        ZoomAbout(point.x(), 0);
}

void CBitstreamStrip::wheelEvent(QWheelEvent* pEvent)
{
    if (!(pEvent->modifiers() & Qt::ControlModifier))
    {
        pEvent->ignore();
        return;
    }
    // A notch is 15 degrees; finer wheels and touchpads send parts of one.
    constexpr int kNotch = 120;
    m_nWheelAngle += pEvent->angleDelta().y();
    const int nNotches = m_nWheelAngle / kNotch;
    m_nWheelAngle %= kNotch;
    const int nLevel = std::clamp(static_cast<int>(GetLevel()) - nNotches, 0,
                                  static_cast<int>(GetOverviewLevel(GetVisibleSamples())));
    if (nLevel != static_cast<int>(GetLevel()))
        ZoomAbout(static_cast<int>(pEvent->position().x()), static_cast<unsigned>(nLevel));
}
