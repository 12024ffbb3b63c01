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
#include <utility>
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

const SPadLayout& GetLayout(int nStyle)
{
    return kPadLayouts[static_cast<std::size_t>(nStyle)];
}

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
// names. A pad the person sized scales the line height with it.
class CDialogUnits
{
public:
    explicit CDialogUnits(double dLineHeight) : m_dLineHeight(dLineHeight) {}
    CDialogUnits(int nLineHeight, int nCellPixels)
        : m_dLineHeight(std::max(nLineHeight, (nCellPixels * 8 + kCellSize - 1) / kCellSize))
    {
    }

    double GetLineHeight() const { return m_dLineHeight; }
    int ToPixels(int nUnits) const { return static_cast<int>(nUnits * m_dLineHeight / 8); }
    // Position and size are converted on their own, so that every cell has the same size.
    QRect ToPixels(const QRect& rect) const
    {
        return QRect(ToPixels(rect.left()), ToPixels(rect.top()), ToPixels(rect.width()),
                     ToPixels(rect.height()));
    }

private:
    double m_dLineHeight;
};

// A pad may shrink to this part of its size, so that the tallest fits a small screen.
constexpr double kSmallestScale = 0.4;

QFont ScaleFont(QFont font, double dScale)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * dScale);
    else
        font.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * dScale)));
    return font;
}

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
                             QWidget* pParent, QSize size)
    : QDialog(pParent, kPadFlags), m_pRemote(&remote),
      m_nColumns(kRemoteStyles[remote.m_nStyle].nColumns),
      m_nRows(kRemoteStyles[remote.m_nStyle].nRows), m_nMode(nMode), m_doc(doc), m_engine(engine)
{
    setObjectName(QStringLiteral("remotePad"));
    CreateControls();
    BindCells();
    resize(FitScreen(size.isValid() ? size : m_natural));
    LayOut();
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
                                      QWidget* pOwner, QSize size)
{
    if (CRemotePadDlg* pOpen = FindPad(remote))
    {
        pOpen->raise();
        pOpen->activateWindow();
        return *pOpen;
    }
    auto* pPad = new CRemotePadDlg(remote, kFireMode, doc, engine, pOwner, size);
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
    m_dLineHeight = units.GetLineHeight();
    m_nNameHeight = QFontMetrics(smallFont).height() + units.ToPixels(1);
    const SPadLayout& layout = GetLayout(m_pRemote->m_nStyle);
    m_natural = QSize(units.ToPixels(layout.client.width()),
                      units.ToPixels(layout.client.height()) + m_nNameHeight);
    setMinimumSize(m_natural * kSmallestScale);

    m_pName = new QLabel(this);
    m_pName->setObjectName(QStringLiteral("remoteName"));
    m_pName->setTextFormat(Qt::PlainText);
    m_pName->setAlignment(Qt::AlignCenter);
    m_pName->setToolTip(ToDisplayString(m_pRemote->m_strName));

    m_pFrame = new QGroupBox(this);
    // Made row by row, which is the order Tab goes through them, as the eye reads the pad.
    for (int nRow = 0; nRow < m_nRows; ++nRow)
    {
        for (int nColumn = 0; nColumn < m_nColumns; ++nColumn)
        {
            auto* pCell = new CPadButton(nColumn, nRow, this);
            connect(pCell, &QPushButton::clicked, this, [this, pCell] { OnCellClicked(*pCell); });
            m_cells[static_cast<std::size_t>(pCell->GetCell())] = pCell;
        }
    }

    m_pCloseBar = new QPushButton(QStringLiteral("Close"), this);
    m_pCloseBar->setObjectName(QStringLiteral("closeBar"));
    m_pCloseBar->setAutoDefault(false);
    connect(m_pCloseBar, &QPushButton::clicked, this, &CRemotePadDlg::reject);
}

// The pad keeps the template's proportions at any size, centred in what is left over; its fonts
// shrink with it.
void CRemotePadDlg::LayOut()
{
    const double dScale = std::min(static_cast<double>(width()) / m_natural.width(),
                                   static_cast<double>(height()) / m_natural.height());
    const CDialogUnits units(m_dLineHeight * dScale);
    // A larger pad keeps the person's font, so that longer names fit its larger cells.
    const QFont smallFont = ScaleFont(CPadButton::MakeCellFont(font()), std::min(dScale, 1.0));
    const int nNameHeight = static_cast<int>(m_nNameHeight * dScale);
    const QPoint offset((width() - static_cast<int>(m_natural.width() * dScale)) / 2,
                        (height() - static_cast<int>(m_natural.height() * dScale)) / 2);
    const auto place = [&units, offset, nNameHeight](QWidget* pWidget, const QRect& rect)
    { pWidget->setGeometry(units.ToPixels(rect).translated(offset + QPoint(0, nNameHeight))); };

    const SPadLayout& layout = GetLayout(m_pRemote->m_nStyle);
    const QRect frame = units.ToPixels(layout.frame);
    m_pName->setFont(smallFont);
    m_pName->setGeometry(frame.left() + offset.x(), offset.y(), frame.width(), nNameHeight);
    m_pName->setText(QFontMetrics(smallFont).elidedText(m_pName->toolTip(), Qt::ElideMiddle,
                                                        m_pName->contentsRect().width()));
    place(m_pFrame, layout.frame);
    for (CPadButton* pCell : m_cells)
    {
        if (!pCell)
            continue;
        pCell->setFont(smallFont);
        place(pCell, QRect(kGridLeft + kCellPitch * pCell->GetColumn(),
                           kGridTop + kCellPitch * pCell->GetRow(), kCellSize, kCellSize));
    }
    m_pCloseBar->setFont(smallFont);
    place(m_pCloseBar, layout.closeBar);
}

// As large as asked, but never beyond the screen's free area: a tall pad at a large scale
// shrinks, keeping its proportions, until it fits.
QSize CRemotePadDlg::FitScreen(const QSize& wanted)
{
    const QWidget* pOwner = parentWidget();
    const QScreen* pScreen = pOwner ? pOwner->screen() : screen();
    winId();
    const QSize frame = frameGeometry().size() - size();
    const QSize room = pScreen->availableGeometry().size() - frame;
    const double dScale = std::min({1.0, static_cast<double>(room.width()) / wanted.width(),
                                    static_cast<double>(room.height()) / wanted.height()});
    return (wanted * dScale).expandedTo(minimumSize());
}

void CRemotePadDlg::resizeEvent(QResizeEvent* pEvent)
{
    QDialog::resizeEvent(pEvent);
    LayOut();
    if (m_bInitialised)
        emit Resized(size());
}

// The cells show the grid as it is now; a pad whose remote changes is closed and opened anew.
void CRemotePadDlg::BindCells()
{
    const double dNanosPerSample = GetMachineNanosPerSample(m_engine.GetDevice());
    QStringList names;
    for (const auto& entry : m_pRemote->m_buttons)
        names.append(ToDisplayString(entry.first));
    const int nPrefixLength = static_cast<int>(FindSharedPrefix(names).size());
    for (CPadButton* pCell : m_cells)
    {
        if (pCell)
            pCell->Bind(m_pRemote->m_grid[static_cast<std::size_t>(pCell->GetCell())],
                        m_nMode == kAssignMode, dNanosPerSample, nPrefixLength);
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
    // Pulled onto this screen for now; the remote keeps its place until the person moves the
    // pad, so that opening a document made on a larger screen changes nothing in it.
    int nX = remote.m_nPadX;
    int nY = remote.m_nPadY;
    PlaceWindowOnScreen(*this, nX, nY);
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
    m_placed = geometry().topLeft();
}

void CRemotePadDlg::moveEvent(QMoveEvent* pEvent)
{
    QDialog::moveEvent(pEvent);
    if (!m_bInitialised || !m_pRemote)
        return;
    // The inner corner: the one that restoring the position puts back in place.
    const QPoint position = geometry().topLeft();
    // The window manager frames a new window after it is shown and keeps either its frame or
    // its inside where the pad put it; only a move of both is the person's.
    const QPoint placed = std::exchange(m_placed, position);
    if (pos() == placed || position == placed)
        return;
    if (position.x() == m_pRemote->m_nPadX && position.y() == m_pRemote->m_nPadY)
        return;
    m_pRemote->m_nPadX = position.x();
    m_pRemote->m_nPadY = position.y();
    m_doc.SetModifiedFlag();
}

void CRemotePadDlg::OnCellClicked(CPadButton& cell)
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

void CRemotePadDlg::FireCell(CPadButton& cell)
{
    CRemoteButton* pButton = cell.GetButton();
    if (!pButton)
        return;
    // A megabutton keeps the windows running while it plays; whatever closes this pad meanwhile
    // must leave the object alone until the firing has returned here.
    {
        const CScopedCount firing(m_nFiring);
        cell.SetSending(true);
        emit FiringStarted(FormatButtonName(*m_pRemote, *pButton));
        m_engine.Fire(*pButton);
        cell.SetSending(false);
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
