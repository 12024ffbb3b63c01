#include "ui/CMegaButtonDlg.h"

#include "base/CStringTable.h"
#include "document/CFrontEnd.h"
#include "document/CQbFile.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "ui/CDialogMetrics.h"
#include "ui/CDisplayOrder.h"
#include "ui/CHostedListCtrl.h"
#include "ui/PlaceWindowOnScreen.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>

namespace
{
constexpr Qt::WindowFlags kMegaFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                       Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// The layout in dialog units: a row for the hold below the step list, the buttons below it.
constexpr QSize kClientSize(292, 167);
constexpr int kBoxHeight = 12;
const QRect kRemoteBoxRect(5, 30, 105, kBoxHeight);
const QRect kButtonBoxRect(115, 30, 50, kBoxHeight);
const QRect kDelayBoxRect(245, 30, 40, kBoxHeight);
const QRect kDescriptionRect(170, 30, 70, 13);
const QRect kStepListRect(5, 50, 280, 75);
const QRect kTitleRect(5, 5, 160, 8);
const QRect kHoldBoxRect(35, 130, 70, 13);
// A hold is set in steps of a tenth of a second, and typed to the millisecond.
constexpr int kHoldStepMillis = 100;

struct SControl
{
    const char* pszName;
    const char* pszText;
    QRect rect;
};

// Wider than the texts need in the layout's own font, which is narrower than most.
const SControl kLabels[] = {
    {"", "Remote", {5, 20, 40, 8}},
    {"", "Button", {115, 20, 40, 8}},
    {"", "Delay", {245, 20, 40, 8}},
    {"", "Hold", {5, 132, 28, 8}},
};

const SControl kButtons[] = {
    {"insert", "&Insert", {65, 148, 50, 15}},
    {"delete", "Delete", {116, 148, 50, 15}},
    {"close", "Close", {175, 148, 50, 15}},
};

enum EStepColumn
{
    kColumnRemote,
    kColumnButton,
    kColumnDescription,
    kColumnDelay,
};

// Five characters for every delay: " 0.5s" to "60.0s".
QString GetDelayText(int nDelay)
{
    const float fSeconds = static_cast<float>(kStepDelays[static_cast<std::size_t>(nDelay)]) * 0.1F;
    return QString::asprintf("%4.1fs", static_cast<double>(fSeconds));
}

// The description, and how long a held step holds its button: "Louder, held 800 ms".
QString GetStepDescription(const CMegaStep& step)
{
    QString strText = QString::fromStdString(step.m_pButton->m_strDescription);
    if (step.m_nHoldMillis <= 0 || step.m_pButton->m_bMega)
        return strText;
    return (strText.isEmpty() ? QString() : strText + QStringLiteral(", ")) +
           QStringLiteral("held %1 ms").arg(step.m_nHoldMillis);
}

CMegaStep& GetStep(CListHostDlg::CListItem pItem)
{
    return *static_cast<CMegaStep*>(pItem);
}
} // namespace

CMegaButtonDlg::CMegaButtonDlg(CQuorbexDoc& doc, CRemote& megaRemote, CRemoteButton& megabutton,
                               int& nLeft, int& nTop, QWidget* pParent)
    : CListHostDlg(pParent, kMegaFlags), m_doc(doc), m_megaRemote(megaRemote), m_mega(megabutton),
      m_nLeft(nLeft), m_nTop(nTop)
{
    setObjectName(QStringLiteral("megaButtonEditor"));
    setWindowTitle(QStringLiteral("MegaButton"));
    CreateControls();
    if (m_nLeft != kNoStoredPosition)
        PlaceWindowOnScreen(*this, m_nLeft, m_nTop);
    FillRemoteBox();
    for (int nDelay = 0; nDelay < kStepDelayCount; ++nDelay)
        m_pDelayBox->addItem(GetDelayText(nDelay));
    m_pDelayBox->setCurrentIndex(0);
    m_pSteps->Refill();
    m_pTitle->setText(QString::fromStdString(
        FormatString(StringId::kButtonSequenceTitle, m_mega.GetDisplayText())));
}

void CMegaButtonDlg::CreateControls()
{
    const CDialogMetrics units(fontMetrics());
    setFixedSize(units.ToPixelsX(kClientSize.width()), units.ToPixelsY(kClientSize.height()));
    const auto addBox = [&](const char* pszName, const QRect& rect)
    {
        auto* pBox = new QComboBox(this);
        pBox->setObjectName(QString::fromLatin1(pszName));
        pBox->setGeometry(units.ToPixels(rect));
        return pBox;
    };
    m_pRemoteBox = addBox("remoteBox", kRemoteBoxRect);
    m_pButtonBox = addBox("buttonBox", kButtonBoxRect);
    m_pDelayBox = addBox("delayBox", kDelayBoxRect);
    m_pHoldBox = new QSpinBox(this);
    m_pHoldBox->setObjectName(QStringLiteral("holdBox"));
    m_pHoldBox->setGeometry(units.ToPixels(kHoldBoxRect));
    m_pHoldBox->setRange(0, static_cast<int>(CFiringEngine::kLongestHoldMillis));
    m_pHoldBox->setSingleStep(kHoldStepMillis);
    m_pHoldBox->setSuffix(QStringLiteral(" ms"));
    m_pHoldBox->setSpecialValueText(QStringLiteral("a press"));
    m_pHoldBox->setToolTip(QStringLiteral(
        "How long the step holds its button down, repeating it as its remote does while held. "
        "The delay counts from the step's start, so it includes the hold."));
    connect(m_pRemoteBox, &QComboBox::currentIndexChanged, this, &CMegaButtonDlg::OnRemoteChosen);
    connect(m_pButtonBox, &QComboBox::currentIndexChanged, this, &CMegaButtonDlg::OnButtonChosen);

    m_pDescription = new QLabel(this);
    m_pDescription->setObjectName(QStringLiteral("description"));
    m_pDescription->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_pDescription->setGeometry(units.ToPixels(kDescriptionRect));
    m_pTitle = new QLabel(QStringLiteral("Button sequence for megabutton"), this);
    m_pTitle->setObjectName(QStringLiteral("title"));
    m_pTitle->setGeometry(units.ToPixels(kTitleRect));
    for (const SControl& label : kLabels)
        (new QLabel(QString::fromLatin1(label.pszText), this))
            ->setGeometry(units.ToPixels(label.rect));

    std::vector<QPushButton*> buttons;
    for (const SControl& control : kButtons)
    {
        auto* pButton = new QPushButton(QString::fromLatin1(control.pszText), this);
        pButton->setObjectName(QString::fromLatin1(control.pszName));
        pButton->setGeometry(units.ToPixels(control.rect));
        // Enter does nothing here: no button is the default.
        pButton->setAutoDefault(false);
        buttons.push_back(pButton);
    }
    m_pInsert = buttons[0];
    m_pDelete = buttons[1];
    m_pInsert->setEnabled(false);
    m_pDelete->setEnabled(false);
    connect(m_pInsert, &QPushButton::clicked, this, &CMegaButtonDlg::OnInsert);
    connect(m_pDelete, &QPushButton::clicked, this, &CMegaButtonDlg::OnDelete);
    connect(buttons[2], &QPushButton::clicked, this, &CMegaButtonDlg::reject);

    m_pSteps = new CHostedListCtrl(this);
    m_pSteps->setObjectName(QStringLiteral("steps"));
    m_pSteps->setGeometry(units.ToPixels(kStepListRect));
    m_pSteps->Setup(*this, kStepListId);
    // The columns sit under the boxes that choose their values.
    const QRect remote = m_pRemoteBox->geometry();
    const QRect button = m_pButtonBox->geometry();
    const QRect description = m_pDescription->geometry();
    const QRect delay = m_pDelayBox->geometry();
    m_pSteps->AddColumn(button.left() - remote.left() - 4, Qt::AlignLeft);
    m_pSteps->AddColumn(description.left() - button.left() - 4, Qt::AlignLeft);
    m_pSteps->AddColumn(delay.left() - description.left() - 4, Qt::AlignLeft);
    m_pSteps->AddColumn(delay.width() - style()->pixelMetric(QStyle::PM_ScrollBarExtent),
                        Qt::AlignRight);
}

// A candidate cannot lead back to the megabutton: neither the megabutton itself nor one whose
// steps reach it.
bool CMegaButtonDlg::IsCandidate(const CRemoteButton& button) const
{
    return !button.Uses(&m_mega);
}

void CMegaButtonDlg::FillRemoteBox()
{
    std::vector<std::string> names;
    for (const auto& [strName, pRemote] : *m_doc.m_pRemotes)
        if (std::ranges::any_of(pRemote->m_buttons,
                                [this](const auto& entry) { return IsCandidate(*entry.second); }))
            names.push_back(strName);
    const CDisplayOrder order;
    std::ranges::sort(names, order);
    {
        const QSignalBlocker blocker(m_pRemoteBox);
        order.FillList(*m_pRemoteBox, names);
        m_pRemoteBox->setCurrentIndex(
            std::max(FindListName(*m_pRemoteBox, m_megaRemote.m_strName), 0));
    }
    OnRemoteChosen();
}

CRemote* CMegaButtonDlg::GetChosenRemote() const
{
    return m_doc.FindRemote(GetListName(*m_pRemoteBox, m_pRemoteBox->currentIndex()));
}

CRemoteButton* CMegaButtonDlg::GetChosenButton() const
{
    CRemote* pRemote = GetChosenRemote();
    const int nIndex = m_pButtonBox->currentIndex();
    return pRemote && nIndex >= 0 ? pRemote->FindButton(GetListName(*m_pButtonBox, nIndex))
                                  : nullptr;
}

void CMegaButtonDlg::OnRemoteChosen()
{
    std::vector<std::string> names;
    if (const CRemote* pRemote = GetChosenRemote())
        for (const auto& [strName, pButton] : pRemote->m_buttons)
            if (IsCandidate(*pButton))
                names.push_back(strName);
    const CDisplayOrder order;
    std::ranges::sort(names, order);
    {
        const QSignalBlocker blocker(m_pButtonBox);
        order.FillList(*m_pButtonBox, names);
        m_pButtonBox->setCurrentIndex(names.empty() ? -1 : 0);
    }
    OnButtonChosen();
}

// A megabutton step waits for its own steps' delays; it has none of its own to choose.
void CMegaButtonDlg::OnButtonChosen()
{
    const CRemoteButton* pButton = GetChosenButton();
    m_pDescription->setText(pButton ? QString::fromStdString(pButton->m_strDescription)
                                    : QString());
    if (pButton)
    {
        m_pDelayBox->setEnabled(!pButton->m_bMega);
        // A megabutton is not held as a whole: its steps hold their own buttons.
        m_pHoldBox->setEnabled(!pButton->m_bMega);
    }
    m_pInsert->setEnabled(pButton != nullptr);
}

CListHostDlg::CListPos CMegaButtonDlg::FirstItem(int /*nListId*/)
{
    return m_mega.m_steps.size();
}

// Positions count steps from 1; the steps are handed out from the last to the first.
bool CMegaButtonDlg::NextItem(int /*nListId*/, CListPos& nPos, CListItem& pItem)
{
    pItem = &m_mega.m_steps[nPos - 1];
    --nPos;
    return true;
}

void CMegaButtonDlg::ChooseEntry(QComboBox& box, const std::string& strName)
{
    box.setCurrentIndex(FindListName(box, strName));
}

void CMegaButtonDlg::ItemSelected(int /*nListId*/, CListItem pItem)
{
    if (!pItem)
    {
        m_pRemoteBox->setCurrentIndex(0);
        OnRemoteChosen();
        m_pDelayBox->setCurrentIndex(0);
        m_pHoldBox->setValue(0);
        m_pDelete->setEnabled(false);
        return;
    }
    const CMegaStep& step = GetStep(pItem);
    {
        const QSignalBlocker blocker(m_pRemoteBox);
        ChooseEntry(*m_pRemoteBox, step.m_pRemote->m_strName);
    }
    OnRemoteChosen();
    {
        const QSignalBlocker blocker(m_pButtonBox);
        ChooseEntry(*m_pButtonBox, step.m_pButton->m_strName);
    }
    OnButtonChosen();
    m_pDelayBox->setCurrentIndex(step.m_nDelay);
    m_pHoldBox->setValue(step.m_nHoldMillis);
    m_pDelete->setEnabled(true);
}

void CMegaButtonDlg::ItemText(int /*nListId*/, CListItem pItem, int nColumn, QString& strText)
{
    const CMegaStep& step = GetStep(pItem);
    switch (nColumn)
    {
    case kColumnRemote:
        strText = QString::fromStdString(step.m_pRemote->m_strName);
        break;
    case kColumnButton:
        strText = QString::fromStdString(step.m_pButton->m_strName);
        break;
    case kColumnDescription:
        strText = GetStepDescription(step);
        break;
    default:
        strText = step.m_pButton->m_bMega ? QString() : GetDelayText(step.m_nDelay);
        break;
    }
}

// No step may change under a firing that walks them.
bool CMegaButtonDlg::CanChange()
{
    if (!m_mega.IsFiring())
        return true;
    m_doc.GetFrontEnd().ShowMessage(StringId::kButtonFiringChange, m_mega.GetDisplayText(),
                                    EMessageBox::Stop);
    return false;
}

void CMegaButtonDlg::OnInsert()
{
    CRemoteButton* pButton = GetChosenButton();
    if (!pButton || !CanChange())
        return;
    CMegaStepList& steps = m_mega.m_steps;
    const int nCurrent = m_pSteps->GetCurrent();
    const int nRow = nCurrent >= 0 ? nCurrent : static_cast<int>(steps.size());
    steps.insert(steps.begin() + nRow,
                 CMegaStep{GetChosenRemote(), pButton, std::max(m_pDelayBox->currentIndex(), 0),
                           pButton->m_bMega ? 0 : m_pHoldBox->value()});
    // Whatever is saved must open again: the loader refuses a megabutton nested too deep or
    // playing too many buttons, and this step may make this one, or one that plays it, so.
    if (!AreMegabuttonsStorable(*m_doc.m_pRemotes))
    {
        steps.erase(steps.begin() + nRow);
        m_pSteps->RenewItems();
        m_doc.GetFrontEnd().ShowMessage(StringId::kMegabuttonStepTooDeep, m_mega.GetDisplayText(),
                                        EMessageBox::Stop);
        return;
    }
    m_pSteps->InsertRow(nRow, &steps[static_cast<std::size_t>(nRow)]);
    // The list's steps may have moved in memory.
    m_pSteps->RenewItems();
    m_pButtonBox->setFocus();
    m_doc.SetModifiedFlag();
}

void CMegaButtonDlg::OnDelete()
{
    const int nCurrent = m_pSteps->GetCurrent();
    if (nCurrent < 0 || !CanChange())
        return;
    m_pSteps->DeleteRow(nCurrent);
    m_mega.m_steps.erase(m_mega.m_steps.begin() + nCurrent);
    m_pSteps->RenewItems();
    m_pButtonBox->setFocus();
    m_pDelete->setEnabled(false);
    m_doc.SetModifiedFlag();
}

void CMegaButtonDlg::reject()
{
    m_nLeft = geometry().left();
    m_nTop = geometry().top();
    QDialog::reject();
}
