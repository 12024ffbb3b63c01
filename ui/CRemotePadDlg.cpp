#include "ui/CRemotePadDlg.h"

#include "base/CScopedCount.h"
#include "device/SamplePeriod.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "ui/CPadButton.h"
#include "ui/EventFormat.h"
#include "ui/PlaceWindowOnScreen.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <vector>

namespace
{
// The layout of each style in dialog units: the window's client size, the frame around the
// grid and the close bar under it. A cell is 13 units square, 15 units from the next.
struct SPadLayout
{
    QSize client;
    QRect frame;
    QRect closeBar;
};

const std::array<SPadLayout, kStyleCount> kPadLayouts{{
    {{86, 246}, {1, 0, 83, 235}, {5, 238, 73, 6}},
    {{70, 201}, {1, 0, 67, 190}, {5, 193, 58, 6}},
    {{55, 201}, {1, 0, 52, 190}, {5, 193, 43, 6}},
    {{55, 157}, {1, 0, 52, 146}, {5, 148, 43, 6}},
    {{70, 141}, {1, 0, 67, 131}, {5, 133, 58, 6}},
    {{55, 111}, {1, 0, 52, 100}, {5, 103, 43, 6}},
    {{70, 82}, {1, 0, 67, 70}, {5, 73, 58, 6}},
    {{55, 66}, {1, 0, 52, 56}, {5, 58, 43, 6}},
}};

constexpr int kCellSize = 13;
// How long a heard button's cell stays lit.
constexpr int kLightMs = 300;
constexpr int kCellPitch = 15;
constexpr int kGridLeft = 5;
constexpr int kGridTop = 8;

// Pads opened for the first time: pixels between the owner's frame and the pad's, and between
// pads.
constexpr int kOwnerGap = 8;

// A cell holds a short name like this one whole in its font; a longer one is tried in a
// smaller font before it is cut.
constexpr const char* kShortName = "Power";

// One dialog unit is an eighth of the font's line height in both directions, so the cells stay
// square and grow with the person's font; larger, when a cell of that size would cut short
// names.
class CDialogUnits
{
public:
    CDialogUnits(int nLineHeight, int nCellPixels)
        : m_nLineHeight(std::max(nLineHeight, (nCellPixels * 8 + kCellSize - 1) / kCellSize))
    {
    }

    int ToPixels(int nUnits) const { return nUnits * m_nLineHeight / 8; }
    // Position and size are converted on their own, so that every cell has the same size.
    QRect ToPixels(const QRect& rect) const
    {
        return QRect(ToPixels(rect.left()), ToPixels(rect.top()), ToPixels(rect.width()),
                     ToPixels(rect.height()));
    }

private:
    int m_nLineHeight;
};

// Where a new pad may go: a frame of this size on the screen, clear of the taken rectangles,
// tried column by column from nFirstLeft in steps of nStepX, each from nTop down in steps of
// nStepY.
struct SFreePlaceSearch
{
    QRect screen;
    QSize frame;
    const std::vector<QRect>& taken;
    int nFirstLeft;
    int nStepX;
    int nTop;
    int nStepY;
};

std::optional<QPoint> FindFreePlace(const SFreePlaceSearch& search)
{
    const QRect& screen = search.screen;
    const auto isFree = [&search](const QRect& rect)
    {
        return search.screen.contains(rect) &&
               std::none_of(search.taken.begin(), search.taken.end(),
                            [&rect](const QRect& pad) { return pad.intersects(rect); });
    };
    for (int nLeft = search.nFirstLeft;
         nLeft >= screen.left() && nLeft + search.frame.width() <= screen.right() + 1;
         nLeft += search.nStepX)
    {
        for (int nTop = search.nTop; nTop + search.frame.height() <= screen.bottom() + 1;
             nTop += search.nStepY)
        {
            if (isFree(QRect(QPoint(nLeft, nTop), search.frame)))
                return QPoint(nLeft, nTop);
        }
    }
    return std::nullopt;
}

constexpr Qt::WindowFlags kPadFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                      Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
} // namespace

CRemotePadDlg::CRemotePadDlg(CRemote& remote, EMode nMode, CQuorbexDoc& doc, CFiringEngine& engine,
                             QWidget* pParent)
    : QDialog(pParent, kPadFlags), m_pRemote(&remote),
      m_nColumns(kRemoteStyles[remote.m_nStyle].nColumns),
      m_nRows(kRemoteStyles[remote.m_nStyle].nRows), m_nMode(nMode), m_doc(doc), m_engine(engine)
{
    setObjectName(QStringLiteral("remotePad"));
    CreateControls();
    BindCells();
    RestorePosition();
    setWindowTitle(ToDisplayString(remote.m_strName));
}

CRemotePadDlg::~CRemotePadDlg()
{
    // Destroyed with its owner while still open (the program ends): the remote must not keep
    // pointing at it.
    if (m_nMode == kFireMode && m_pRemote)
        m_pRemote->m_bPadOpen = false;
}

CRemotePadDlg& CRemotePadDlg::ShowPad(CRemote& remote, CQuorbexDoc& doc, CFiringEngine& engine,
                                      QWidget* pOwner)
{
    if (CRemotePadDlg* pOpen = FindPad(remote))
    {
        pOpen->raise();
        pOpen->activateWindow();
        return *pOpen;
    }
    auto* pPad = new CRemotePadDlg(remote, kFireMode, doc, engine, pOwner);
    remote.m_bPadOpen = true;
    pPad->show();
    return *pPad;
}

CRemotePadDlg* CRemotePadDlg::FindPad(const CRemote& remote)
{
    // Pads are windows of their own, whoever owns them. A closed pad that still finishes a
    // firing has let go of its remote already.
    for (QWidget* pWindow : QApplication::topLevelWidgets())
    {
        auto* pPad = qobject_cast<CRemotePadDlg*>(pWindow);
        if (pPad && pPad->m_nMode == kFireMode && pPad->m_pRemote == &remote)
            return pPad;
    }
    return nullptr;
}

// Laid out like the style's template, under a strip with the remote's name: a narrow pad's title
// bar has no room for it. The name, the cells and the close bar share a small font.
void CRemotePadDlg::CreateControls()
{
    const QFont smallFont = CPadButton::MakeCellFont(font());
    const CDialogUnits units(fontMetrics().height(),
                             CPadButton::GetCellWidthFor(smallFont, kShortName));
    const SPadLayout& layout = kPadLayouts[static_cast<std::size_t>(m_pRemote->m_nStyle)];
    const QRect frame = units.ToPixels(layout.frame);
    const int nNameHeight = QFontMetrics(smallFont).height() + units.ToPixels(1);
    const auto place = [&units, nNameHeight](QWidget* pWidget, const QRect& rect)
    { pWidget->setGeometry(units.ToPixels(rect).translated(0, nNameHeight)); };
    setFixedSize(units.ToPixels(layout.client.width()),
                 units.ToPixels(layout.client.height()) + nNameHeight);

    auto* pName = new QLabel(this);
    pName->setObjectName(QStringLiteral("remoteName"));
    pName->setFont(smallFont);
    pName->setTextFormat(Qt::PlainText);
    pName->setAlignment(Qt::AlignCenter);
    pName->setGeometry(frame.left(), 0, frame.width(), nNameHeight);
    const QString strName = ToDisplayString(m_pRemote->m_strName);
    pName->setText(
        QFontMetrics(smallFont).elidedText(strName, Qt::ElideRight, pName->contentsRect().width()));
    pName->setToolTip(strName);

    place(new QGroupBox(this), layout.frame);
    // Made row by row, which is the order Tab goes through them, as the eye reads the pad.
    for (int nRow = 0; nRow < m_nRows; ++nRow)
    {
        for (int nColumn = 0; nColumn < m_nColumns; ++nColumn)
        {
            auto* pCell = new CPadButton(nColumn, nRow, this);
            place(pCell, QRect(kGridLeft + kCellPitch * nColumn, kGridTop + kCellPitch * nRow,
                               kCellSize, kCellSize));
            connect(pCell, &QPushButton::clicked, this, [this, pCell] { OnCellClicked(*pCell); });
            m_cells[static_cast<std::size_t>(pCell->GetCell())] = pCell;
        }
    }

    auto* pCloseBar = new QPushButton(QStringLiteral("Close"), this);
    pCloseBar->setObjectName(QStringLiteral("closeBar"));
    pCloseBar->setFont(smallFont);
    pCloseBar->setAutoDefault(false);
    place(pCloseBar, layout.closeBar);
    connect(pCloseBar, &QPushButton::clicked, this, &CRemotePadDlg::reject);
}

// The cells show the grid as it is now; a pad whose remote changes is closed and opened anew.
void CRemotePadDlg::BindCells()
{
    const double dNanosPerSample = GetMachineNanosPerSample(m_engine.GetDevice());
    for (CPadButton* pCell : m_cells)
    {
        if (pCell)
            pCell->Bind(m_pRemote->m_grid[static_cast<std::size_t>(pCell->GetCell())],
                        m_nMode == kAssignMode, dNanosPerSample);
    }
}

void CRemotePadDlg::RestorePosition()
{
    CRemote& remote = *m_pRemote;
    if (remote.m_nPadX == kNoPadPosition)
    {
        PlaceBesideOwner();
        return;
    }
    const int nSavedX = remote.m_nPadX;
    const int nSavedY = remote.m_nPadY;
    PlaceWindowOnScreen(*this, remote.m_nPadX, remote.m_nPadY);
    if (remote.m_nPadX != nSavedX || remote.m_nPadY != nSavedY)
        m_doc.SetModifiedFlag();
}

// A pad opened for the first time goes beside its owner, right of it when there is room and
// else left of it, in the first place down that column, or the next column further out, where
// it covers no other pad. The place is not stored: the remote has a position only once the
// person has moved its pad.
void CRemotePadDlg::PlaceBesideOwner()
{
    const QWidget* pOwner = parentWidget();
    if (!pOwner)
        return;
    std::vector<QRect> taken;
    for (const CRemotePadDlg* pPad :
         pOwner->findChildren<CRemotePadDlg*>(Qt::FindDirectChildrenOnly))
    {
        if (pPad != this && pPad->isVisible())
            taken.push_back(
                pPad->frameGeometry().adjusted(-kOwnerGap, -kOwnerGap, kOwnerGap, kOwnerGap));
    }
    winId();
    const QRect owner = pOwner->frameGeometry();
    const QSize frame = frameGeometry().size();
    const QPoint frameOffset = geometry().topLeft() - frameGeometry().topLeft();
    const QRect screen = pOwner->screen()->availableGeometry();
    const int nStepX = frame.width() + kOwnerGap;
    const bool bRight = owner.right() + 1 + kOwnerGap + frame.width() <= screen.right() + 1;
    const int nFirstLeft =
        bRight ? owner.right() + 1 + kOwnerGap : owner.left() - kOwnerGap - frame.width();
    const int nStepY = fontMetrics().height();
    std::optional<QPoint> place = FindFreePlace(
        {screen, frame, taken, nFirstLeft, bRight ? nStepX : -nStepX, owner.top(), nStepY});
    // No room beside the owner (a maximised main window): anywhere on the screen, from the
    // right; with the screen full the first place stands.
    if (!place)
        place = FindFreePlace({screen, frame, taken, screen.right() + 1 - frame.width(), -nStepX,
                               screen.top(), nStepY});
    const QPoint frameLeftTop = place.value_or(QPoint(nFirstLeft, owner.top()));
    int nX = frameLeftTop.x() + frameOffset.x();
    int nY = frameLeftTop.y() + frameOffset.y();
    PlaceWindowOnScreen(*this, nX, nY);
}

void CRemotePadDlg::showEvent(QShowEvent* pEvent)
{
    // The moves of placing the window are delivered before this; only later ones are the
    // person's.
    QDialog::showEvent(pEvent);
    m_bInitialised = true;
}

void CRemotePadDlg::moveEvent(QMoveEvent* pEvent)
{
    QDialog::moveEvent(pEvent);
    if (!m_bInitialised || !m_pRemote)
        return;
    // The inner corner: the one that restoring the position puts back in place.
    const QPoint position = geometry().topLeft();
    if (position.x() == m_pRemote->m_nPadX && position.y() == m_pRemote->m_nPadY)
        return;
    m_pRemote->m_nPadX = position.x();
    m_pRemote->m_nPadY = position.y();
    m_doc.SetModifiedFlag();
}

void CRemotePadDlg::OnCellClicked(const CPadButton& cell)
{
    if (m_nMode == kFireMode)
    {
        FireCell(cell);
        return;
    }
    m_nChosenColumn = cell.GetColumn();
    m_nChosenRow = cell.GetRow();
    accept();
}

void CRemotePadDlg::FireCell(const CPadButton& cell)
{
    CRemoteButton* pButton = cell.GetButton();
    if (!pButton)
        return;
    // A megabutton keeps the windows running while it plays; whatever closes this pad meanwhile
    // must leave the object alone until the firing has returned here.
    {
        const CScopedCount firing(m_nFiring);
        emit FiringStarted(FormatButtonName(*m_pRemote, *pButton));
        m_engine.Fire(*pButton);
        emit FiringEnded();
    }
    if (m_nFiring == 0 && !m_pRemote)
        deleteLater();
}

void CRemotePadDlg::Close()
{
    if (m_nMode != kFireMode || !m_pRemote)
        return;
    m_pRemote->m_bPadOpen = false;
    m_pRemote = nullptr;
    hide();
    if (m_nFiring == 0)
        deleteLater();
}

void CRemotePadDlg::reject()
{
    if (m_nMode == kFireMode)
        Close();
    else
        QDialog::reject();
}

void CRemotePadDlg::LightButton(const CRemoteButton& button)
{
    for (CPadButton* pCell : m_cells)
    {
        if (!pCell || pCell->GetButton() != &button)
            continue;
        pCell->setDown(true);
        QTimer::singleShot(kLightMs, pCell, [pCell] { pCell->setDown(false); });
    }
}
