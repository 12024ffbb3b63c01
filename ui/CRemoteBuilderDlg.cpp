#include "ui/CRemoteBuilderDlg.h"

#include "base/CStringTable.h"
#include "document/CFrontEnd.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "signal/ButtonSignal.h"
#include "signal/SignalDurations.h"
#include "ui/CBitstreamStrip.h"
#include "ui/CButtonRecorderDlg.h"
#include "ui/CDialogMetrics.h"
#include "ui/CDisplayOrder.h"
#include "ui/CMegaButtonDlg.h"
#include "ui/CNewFromCodeDlg.h"
#include "ui/CRemotePadDlg.h"
#include "ui/DocumentText.h"
#include "ui/EventFormat.h"
#include "ui/PlaceWindowOnScreen.h"
#include "ui/SignalText.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolTip>

namespace
{
constexpr Qt::WindowFlags kBuilderFlags = Qt::Dialog | Qt::CustomizeWindowHint |
                                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                          Qt::WindowCloseButtonHint;

// The layout in dialog units. The advanced panel lies below the Close button; basic mode cuts
// the dialog off above it.
constexpr QSize kClientSize(217, 171);
constexpr int kBoxHeight = 12; // a combo box or an edit field
const QRect kRemoteBoxRect(35, 5, 105, kBoxHeight);
const QRect kButtonBoxRect(35, 25, 50, kBoxHeight);
const QRect kDescriptionRect(135, 25, 75, kBoxHeight);
const QRect kSignalRect(35, 38, 175, 10);
const QRect kActionRect(65, 83, 145, kBoxHeight);
const QRect kStripFrameRect(10, 125, 195, 20);
const QRect kBitstreamGroupRect(5, 105, 205, 60);

// The bitstream strip sits this many pixels inside its sunken frame on every side.
constexpr int kStripInset = 4;

struct SLabel
{
    const char* pszName;
    const char* pszText;
    QRect rect;
    Qt::Alignment nAlign;
};

const SLabel kLabels[] = {
    {"remoteLabel", "R&emote:", {5, 5, 30, kBoxHeight}, Qt::AlignLeft | Qt::AlignVCenter},
    {"buttonLabel", "B&utton:", {5, 25, 30, kBoxHeight}, Qt::AlignLeft | Qt::AlignVCenter},
    // Ends where the layout has it, but may start further left: the text is wider in most
    // fonts than the layout allows for.
    {"descriptionLabel",
     "&Description:",
     {87, 25, 46, kBoxHeight},
     Qt::AlignRight | Qt::AlignVCenter},
    {"", "Signal:", {5, 38, 28, 10}, Qt::AlignLeft | Qt::AlignVCenter},
    {"actionLabel",
     "W&hen heard, fire:",
     {5, 83, 60, kBoxHeight},
     Qt::AlignLeft | Qt::AlignVCenter},
    {"", "start:", {10, 115, 20, 8}, Qt::AlignLeft | Qt::AlignTop},
    {"windowStart", "0", {30, 115, 25, 8}, Qt::AlignRight | Qt::AlignTop},
    {"", "end:", {150, 115, 20, 8}, Qt::AlignLeft | Qt::AlignTop},
    {"windowEnd", "399999", {170, 115, 35, 8}, Qt::AlignRight | Qt::AlignTop},
};
} // namespace

CRemoteBuilderDlg::CRemoteBuilderDlg(CQuorbexDoc& doc, CFiringEngine& engine,
                                     CInfraredDevice& device, const SBuilderPlaces& places,
                                     QWidget* pParent)
    : QDialog(pParent, kBuilderFlags), m_doc(doc), m_engine(engine), m_device(device),
      m_places(places)
{
    setObjectName(QStringLiteral("remoteBuilder"));
    setWindowTitle(QStringLiteral("Quorbit Remote Builder"));
    CreateControls();
    // Every opening starts in basic mode.
    setFixedHeight(height() - GetAdvancedPanelHeight());
    if (m_places.nBuilderLeft != kNoStoredPosition)
        PlaceWindowOnScreen(*this, m_places.nBuilderLeft, m_places.nBuilderTop);
    FillRemoteBox();
    m_pRemoteBox->setFocus();
}

CRemoteBuilderDlg::~CRemoteBuilderDlg() = default;

void CRemoteBuilderDlg::CreateControls()
{
    const CDialogMetrics units(fontMetrics());
    setFixedSize(units.ToPixelsX(kClientSize.width()), units.ToPixelsY(kClientSize.height()));
    // The group box and the strip's frame first: later siblings lie above them and take the
    // clicks.
    m_pBitstreamGroup = new QGroupBox(QStringLiteral("Bitstream for button"), this);
    m_pBitstreamGroup->setObjectName(QStringLiteral("bitstreamGroup"));
    m_pBitstreamGroup->setGeometry(units.ToPixels(kBitstreamGroupRect));
    auto* pStripFrame = new QFrame(this);
    pStripFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pStripFrame->setGeometry(units.ToPixels(kStripFrameRect));

    CreateFields(units);
    CreateButtons(units);

    CreateStrip(pStripFrame->geometry());

    for (const SLabel& label : kLabels)
    {
        auto* pLabel = new QLabel(QString::fromLatin1(label.pszText), this);
        pLabel->setObjectName(QString::fromLatin1(label.pszName));
        pLabel->setAlignment(label.nAlign);
        pLabel->setGeometry(units.ToPixels(label.rect));
    }
    for (const auto& [pszLabel, pField] :
         {std::pair<const char*, QWidget*>{"remoteLabel", m_pRemoteBox},
          std::pair<const char*, QWidget*>{"buttonLabel", m_pButtonBox},
          std::pair<const char*, QWidget*>{"descriptionLabel", m_pDescription},
          std::pair<const char*, QWidget*>{"actionLabel", m_pAction}})
        findChild<QLabel*>(QString::fromLatin1(pszLabel))->setBuddy(pField);
    m_pWindowFirst = findChild<QLabel*>(QStringLiteral("windowStart"));
    m_pWindowLast = findChild<QLabel*>(QStringLiteral("windowEnd"));
}

// The strip sits inside its frame; its buttons' commands are its own.
void CRemoteBuilderDlg::CreateStrip(const QRect& frame)
{
    m_pStrip = new CBitstreamStrip(m_doc, this);
    m_pStrip->setGeometry(frame.adjusted(kStripInset, kStripInset, -kStripInset, -kStripInset));
    connect(m_pStrip, &CBitstreamStrip::ViewChanged, this, &CRemoteBuilderDlg::OnStripViewChanged);
    connect(m_pStrip, &CBitstreamStrip::BitsEdited, this, &CRemoteBuilderDlg::OnStripBitsEdited);
    connect(m_pZoomIn, &QPushButton::clicked, m_pStrip, &CBitstreamStrip::ZoomIn);
    connect(m_pZoomOut, &QPushButton::clicked, m_pStrip, &CBitstreamStrip::ZoomOut);
    connect(m_pScrollLeft, &QPushButton::clicked, m_pStrip, &CBitstreamStrip::ScrollLeft);
    connect(m_pScrollRight, &QPushButton::clicked, m_pStrip, &CBitstreamStrip::ScrollRight);
    connect(m_pTrimLeft, &QPushButton::clicked, m_pStrip, &CBitstreamStrip::TrimLeft);
    connect(m_pTrimRight, &QPushButton::clicked, m_pStrip, &CBitstreamStrip::TrimRight);
}

void CRemoteBuilderDlg::CreateFields(const CDialogMetrics& units)
{
    m_pRemoteBox = new QComboBox(this);
    m_pRemoteBox->setObjectName(QStringLiteral("remoteBox"));
    m_pRemoteBox->setGeometry(units.ToPixels(kRemoteBoxRect));
    connect(m_pRemoteBox, &QComboBox::currentIndexChanged, this,
            &CRemoteBuilderDlg::OnRemoteChosen);

    m_pButtonBox = new QComboBox(this);
    m_pButtonBox->setObjectName(QStringLiteral("buttonBox"));
    m_pButtonBox->setEditable(true);
    // A typed name is a name to look up or to add, never an item of its own, and it is not
    // completed behind the person's back.
    m_pButtonBox->setInsertPolicy(QComboBox::NoInsert);
    m_pButtonBox->setCompleter(nullptr);
    m_pButtonBox->lineEdit()->setMaxLength(static_cast<int>(kMaxRemoteName));
    m_pButtonBox->setValidator(CreateDocumentTextValidator(m_pButtonBox));
    m_pButtonBox->setGeometry(units.ToPixels(kButtonBoxRect));
    connect(m_pButtonBox->lineEdit(), &QLineEdit::textEdited, this,
            &CRemoteBuilderDlg::OnButtonTextEdited);
    connect(m_pButtonBox, &QComboBox::activated, this, &CRemoteBuilderDlg::OnButtonSelected);

    m_pDescription = new QLineEdit(this);
    m_pDescription->setObjectName(QStringLiteral("description"));
    m_pDescription->setMaxLength(static_cast<int>(kMaxEventName));
    m_pDescription->setValidator(CreateDocumentTextValidator(m_pDescription));
    m_pDescription->setGeometry(units.ToPixels(kDescriptionRect));
    // The field stops at the limit a file can keep; it says so before and when it stops.
    const QString strLimit =
        QStringLiteral("A description holds %1 characters at most.").arg(kMaxEventName);
    m_pDescription->setPlaceholderText(QStringLiteral("%1 characters at most").arg(kMaxEventName));
    m_pDescription->setToolTip(strLimit);
    connect(m_pDescription, &QLineEdit::inputRejected, this,
            [this, strLimit]
            {
                if (m_pDescription->text().size() >= m_pDescription->maxLength())
                    QToolTip::showText(
                        m_pDescription->mapToGlobal(QPoint(0, m_pDescription->height())), strLimit,
                        m_pDescription);
            });
    connect(m_pDescription, &QLineEdit::editingFinished, this,
            &CRemoteBuilderDlg::StoreDescription);

    // What the current button's recording carries; selectable, so a code can be copied.
    m_pSignal = new QLineEdit(this);
    m_pSignal->setObjectName(QStringLiteral("decodedSignal"));
    m_pSignal->setReadOnly(true);
    m_pSignal->setFrame(false);
    m_pSignal->setFocusPolicy(Qt::ClickFocus);
    m_pSignal->setGeometry(units.ToPixels(kSignalRect));

    m_pAction = new QComboBox(this);
    m_pAction->setObjectName(QStringLiteral("whenHeard"));
    m_pAction->setGeometry(units.ToPixels(kActionRect));
    m_pAction->setToolTip(QStringLiteral(
        "The button Quorbit fires when it hears this one from its remote, of any remote"));
    connect(m_pAction, &QComboBox::activated, this, &CRemoteBuilderDlg::OnActionChosen);
}

void CRemoteBuilderDlg::CreateButtons(const CDialogMetrics& units)
{
    struct SButton
    {
        QPushButton* CRemoteBuilderDlg::*pMember;
        const char* pszName;
        QString strText;
        QRect rect;
        bool bEnabled;
    };
    // In tab order; the zoom, scroll and trim buttons are the strip's.
    const SButton buttons[] = {
        {&CRemoteBuilderDlg::m_pAdd, "add", "&Add", {5, 50, 50, 15}, false},
        {&CRemoteBuilderDlg::m_pMega, "megaButton", "&MegaButton", {55, 50, 50, 15}, false},
        {&CRemoteBuilderDlg::m_pRemove, "remove", "Rem&ove", {105, 50, 50, 15}, false},
        {&CRemoteBuilderDlg::m_pLearn, "learn", "&Learn", {5, 65, 50, 15}, false},
        {&CRemoteBuilderDlg::m_pTest, "test", "&Test", {55, 65, 50, 15}, false},
        {&CRemoteBuilderDlg::m_pAssign, "assign", "A&ssign", {105, 65, 50, 15}, false},
        {&CRemoteBuilderDlg::m_pAdvanced,
         "advanced",
         LoadString(StringId::kAdvanced),
         {160, 50, 50, 15},
         true},
        {&CRemoteBuilderDlg::m_pClose, "close", "&Close", {160, 65, 50, 15}, true},
        {&CRemoteBuilderDlg::m_pFromCode, "fromCode", "Ne&w from code...", {145, 4, 65, 14}, false},
        {&CRemoteBuilderDlg::m_pScrollLeft, "scrollLeft", "&<", {10, 145, 20, 15}, false},
        {&CRemoteBuilderDlg::m_pTrimLeft, "trimLeft", "< Tr&im", {30, 145, 35, 15}, false},
        {&CRemoteBuilderDlg::m_pZoomIn,
         "zoomIn",
         LoadString(StringId::kZoomIn),
         {65, 145, 42, 15},
         false},
        {&CRemoteBuilderDlg::m_pZoomOut,
         "zoomOut",
         LoadString(StringId::kZoomOut),
         {107, 145, 43, 15},
         false},
        {&CRemoteBuilderDlg::m_pTrimRight, "trimRight", "T&rim >", {150, 145, 35, 15}, false},
        {&CRemoteBuilderDlg::m_pScrollRight, "scrollRight", "&>", {185, 145, 20, 15}, false},
    };
    for (const SButton& row : buttons)
    {
        auto* pButton = new QPushButton(row.strText, this);
        pButton->setObjectName(QString::fromLatin1(row.pszName));
        // Enter does nothing here: no button is the default, whichever has the focus.
        pButton->setAutoDefault(false);
        pButton->setEnabled(row.bEnabled);
        pButton->setGeometry(units.ToPixels(row.rect));
        this->*row.pMember = pButton;
    }
    connect(m_pAdd, &QPushButton::clicked, this, [this] { OnAdd(false); });
    connect(m_pMega, &QPushButton::clicked, this, [this] { OnAdd(true); });
    connect(m_pRemove, &QPushButton::clicked, this, &CRemoteBuilderDlg::OnRemove);
    connect(m_pLearn, &QPushButton::clicked, this, &CRemoteBuilderDlg::OnLearn);
    connect(m_pTest, &QPushButton::clicked, this, &CRemoteBuilderDlg::OnTest);
    connect(m_pAssign, &QPushButton::clicked, this, &CRemoteBuilderDlg::OnAssign);
    connect(m_pAdvanced, &QPushButton::clicked, this, &CRemoteBuilderDlg::OnAdvanced);
    connect(m_pClose, &QPushButton::clicked, this, &CRemoteBuilderDlg::reject);
    connect(m_pFromCode, &QPushButton::clicked, this, &CRemoteBuilderDlg::OnNewFromCode);
}

void CRemoteBuilderDlg::FillRemoteBox()
{
    {
        const QSignalBlocker blocker(m_pRemoteBox);
        const CDisplayOrder order;
        order.FillList(*m_pRemoteBox, order.GetSortedNames(*m_doc.m_pRemotes));
        m_pRemoteBox->setCurrentIndex(0);
    }
    OnRemoteChosen();
}

// The command that opens the dialog is offered only while the document holds a remote, and
// nothing removes one while the dialog is open.
CRemote& CRemoteBuilderDlg::GetChosenRemote() const
{
    return *m_doc.FindRemote(GetListName(*m_pRemoteBox, m_pRemoteBox->currentIndex()));
}

int CRemoteBuilderDlg::FindTypedIndex() const
{
    return m_pButtonBox->findText(m_pButtonBox->currentText(), Qt::MatchFixedString);
}

CRemoteButton* CRemoteBuilderDlg::FindTypedButton() const
{
    return GetButtonAt(FindTypedIndex());
}

CRemoteButton* CRemoteBuilderDlg::GetButtonAt(int nIndex) const
{
    return nIndex < 0 ? nullptr : GetChosenRemote().FindButton(GetListName(*m_pButtonBox, nIndex));
}

int CRemoteBuilderDlg::InsertButtonItem(const std::string& strName)
{
    const QSignalBlocker blocker(m_pButtonBox);
    CDisplayOrder().InsertIntoList(*m_pButtonBox, strName);
    return FindListName(*m_pButtonBox, strName);
}

void CRemoteBuilderDlg::RemoveButtonItem(int nIndex)
{
    // The text stays as typed: the person sees the name that went and may add it anew.
    const QString strTyped = m_pButtonBox->currentText();
    const QSignalBlocker blocker(m_pButtonBox);
    m_pButtonBox->removeItem(nIndex);
    m_pButtonBox->setCurrentIndex(-1);
    m_pButtonBox->setEditText(strTyped);
}

void CRemoteBuilderDlg::OnRemoteChosen()
{
    const CRemote& remote = GetChosenRemote();
    {
        const QSignalBlocker blocker(m_pButtonBox);
        const CDisplayOrder order;
        order.FillList(*m_pButtonBox, order.GetSortedNames(remote.m_buttons));
        // The first button's name, or nothing typed for a remote without buttons.
        m_pButtonBox->setCurrentIndex(-1);
        m_pButtonBox->clearEditText();
        if (m_pButtonBox->count() > 0)
            m_pButtonBox->setCurrentIndex(0);
    }
    if (m_pButtonBox->count() > 0)
        OnButtonSelected(0);
    else
        OnButtonTextEdited();
}

void CRemoteBuilderDlg::OnButtonTextEdited()
{
    if (CRemoteButton* pButton = FindTypedButton())
        ShowButton(*pButton);
    else
        ShowNoMatch();
}

void CRemoteBuilderDlg::OnButtonSelected(int nIndex)
{
    if (CRemoteButton* pButton = GetButtonAt(nIndex))
        ShowButton(*pButton);
    else
        ShowNoMatch();
}

void CRemoteBuilderDlg::ShowButton(CRemoteButton& button)
{
    m_pAdd->setEnabled(false);
    m_pMega->setEnabled(false);
    m_pRemove->setEnabled(true);
    m_pLearn->setEnabled(true);
    m_pAssign->setEnabled(true);
    // Whether the button can fire, for a megabutton too, however its name came into the box.
    m_pTest->setEnabled(button.GetFiringLength() != 0);
    m_pDescription->setText(ToDisplayString(button.m_strDescription));
    SetCurrentButton(&button);
}

void CRemoteBuilderDlg::ShowNoMatch()
{
    // What the field shows belongs to the button that was named until now, not to a new one.
    if (m_pCurrent)
        m_pDescription->clear();
    // A new name is never empty and never another button's, letter case aside.
    const bool bNewName = !m_pButtonBox->currentText().isEmpty();
    m_pAdd->setEnabled(bNewName);
    m_pMega->setEnabled(bNewName);
    for (QPushButton* pButton : {m_pRemove, m_pLearn, m_pTest, m_pAssign})
        pButton->setEnabled(false);
    SetCurrentButton(nullptr);
}

void CRemoteBuilderDlg::SetCurrentButton(CRemoteButton* pButton)
{
    m_pCurrent = pButton;
    UpdateFromCode();
    const bool bHasBitstream = pButton && !pButton->m_bMega;
    m_pBitstreamGroup->setTitle(
        bHasBitstream
            ? ToDisplayString(FormatString(StringId::kBitstreamTitle, pButton->GetDisplayText()))
            : QString());
    m_pStrip->SetButton(pButton);
    ShowSignal();
    ShowAction();
}

void CRemoteBuilderDlg::ShowSignal()
{
    if (!m_pCurrent || m_pCurrent->m_bMega)
    {
        m_pSignal->clear();
        m_pSignal->setToolTip(QString());
        return;
    }
    const SDisplayPeriod period = GetDisplayPeriod(m_device);
    QString strText = DescribeButtonSignal(*m_pCurrent, period.dNanos);
    const std::string strFacts = DescribeButtonFacts(*m_pCurrent);
    if (!strFacts.empty() && m_pCurrent->m_bits.GetLength() != 0)
        strText += QStringLiteral("; ") + QString::fromStdString(strFacts);
    m_pSignal->setText(strText);
    m_pSignal->setCursorPosition(0);
    // The line is often longer than its box: the tooltip gives it whole, and for a button that
    // keeps no time base of its own, the machine's it was read at.
    m_pSignal->setToolTip(m_pCurrent->m_facts.nSamplePicos != 0
                              ? strText
                              : strText + QLatin1Char('\n') + period.strText);
}

void CRemoteBuilderDlg::ShowAction()
{
    const QSignalBlocker blocker(m_pAction);
    m_pAction->clear();
    m_actionTargets.assign(1, {nullptr, nullptr});
    m_pAction->addItem(QStringLiteral("nothing"));
    m_pAction->setEnabled(m_pCurrent != nullptr);
    if (!m_pCurrent)
        return;
    // Buttons come and go in this dialog; the list is made anew for each button shown.
    const CDisplayOrder order;
    for (const std::string& strRemote : order.GetSortedNames(*m_doc.m_pRemotes))
    {
        CRemote* pRemote = m_doc.FindRemote(strRemote);
        for (const std::string& strButton : order.GetSortedNames(pRemote->m_buttons))
        {
            CRemoteButton* pButton = pRemote->FindButton(strButton);
            m_actionTargets.emplace_back(pRemote, pButton);
            m_pAction->addItem(ToDisplayString(strRemote + ": " + strButton));
            if (pButton == m_pCurrent->m_pActionButton)
                m_pAction->setCurrentIndex(m_pAction->count() - 1);
        }
    }
}

void CRemoteBuilderDlg::OnActionChosen(int nIndex)
{
    if (!m_pCurrent || nIndex < 0)
        return;
    const auto [pRemote, pButton] = m_actionTargets[static_cast<std::size_t>(nIndex)];
    if (!m_doc.SetHeardAction(*m_pCurrent, pRemote, pButton))
        ShowAction();
}

// Left, or Enter pressed: the text becomes the named button's description. For a new name it
// waits in the field for Add.
void CRemoteBuilderDlg::StoreDescription()
{
    if (!m_pCurrent)
        return;
    CRemoteButton& button = *m_pCurrent;
    const std::string strDescription = ToDocumentString(m_pDescription->text());
    if (strDescription == button.m_strDescription)
        return;
    if (!m_doc.CanChangeButton(button))
    {
        m_pDescription->setText(ToDisplayString(button.m_strDescription));
        return;
    }
    button.m_strDescription = strDescription;
    m_doc.SetModifiedFlag();
    // Messages, the event list and the strip's title name a button by its description.
    m_doc.GetFrontEnd().RefreshEventRows();
    SetCurrentButton(&button);
}

void CRemoteBuilderDlg::OnAdd(bool bMega)
{
    CRemoteButton* pButton =
        m_doc.AddButton(GetChosenRemote(), ToDocumentString(m_pButtonBox->currentText()),
                        ToDocumentString(m_pDescription->text()), bMega);
    if (!pButton)
        return;
    const int nIndex = InsertButtonItem(pButton->m_strName);
    {
        const QSignalBlocker blocker(m_pButtonBox);
        m_pButtonBox->setCurrentIndex(nIndex);
    }
    OnButtonSelected(nIndex);
    m_pButtonBox->setFocus();
}

// A code makes a plain button's signal: for a new name, or for a plain button the box names.
void CRemoteBuilderDlg::UpdateFromCode()
{
    const CRemoteButton* pTyped = FindTypedButton();
    m_pFromCode->setEnabled(!m_pButtonBox->currentText().isEmpty() &&
                            (!pTyped || !pTyped->m_bMega));
}

void CRemoteBuilderDlg::OnNewFromCode()
{
    CNewFromCodeDlg ask(this);
    const double dNanos = GetDisplayPeriod(m_device).dNanos;
    CRemoteButton* pButton = FindTypedButton();
    const bool bLearned = pButton && pButton->m_bits.GetLength() != 0;
    // The button's own code is where a change to it starts.
    if (bLearned)
        ask.StartFrom(GetButtonCode(*pButton, dNanos));
    SEncodedSignal encoded;
    if (!ask.AskSignal(encoded))
        return;
    pButton = FindTypedButton();
    if (pButton && !m_doc.CanChangeButton(*pButton))
        return;
    if (bLearned && pButton &&
        m_doc.GetFrontEnd().ShowMessage(StringId::kConfirmReplaceSignal, pButton->GetDisplayText(),
                                        EMessageBox::Question) != EAnswer::Yes)
        return;
    if (!pButton)
    {
        OnAdd(false);
        pButton = FindTypedButton();
    }
    if (!pButton)
        return;
    const double dPeriod = FindHoldingPeriod(encoded.durations, dNanos);
    pButton->m_bits = ToBitstream(encoded.durations, dPeriod);
    pButton->m_facts =
        MakeSignalFacts(encoded.durations, dPeriod, encoded.nCarrierHz, ask.GetCode());
    m_pTest->setEnabled(pButton->GetFiringLength() != 0);
    m_pStrip->update();
    ShowSignal();
    m_doc.SetModifiedFlag();
}

void CRemoteBuilderDlg::OnRemove()
{
    const int nIndex = FindTypedIndex();
    CRemoteButton* pButton = GetButtonAt(nIndex);
    if (!pButton || !m_doc.RemoveButton(GetChosenRemote(), *pButton))
        return;
    // The button is gone; nothing may show it any more.
    SetCurrentButton(nullptr);
    m_pDescription->clear();
    RemoveButtonItem(nIndex);
    OnButtonTextEdited();
    m_pButtonBox->setFocus();
}

void CRemoteBuilderDlg::OnLearn()
{
    CRemoteButton* pButton = FindTypedButton();
    if (!pButton)
        return;
    if (!pButton->m_bMega)
    {
        LearnPlainButton(*pButton);
        return;
    }
    if (!m_doc.CanEditMegabutton())
        return;
    EditMegabutton(GetChosenRemote(), *pButton);
    m_pTest->setEnabled(pButton->GetFiringLength() != 0);
}

void CRemoteBuilderDlg::LearnPlainButton(CRemoteButton& button)
{
    if (!m_doc.CanChangeButton(button))
        return;
    LockForRecording(true);
    bool bRecorded = false;
    {
        CButtonRecorderDlg recorder(button, m_engine, m_device, m_places.nRecorderLeft,
                                    m_places.nRecorderTop, this);
        m_pRecorder = &recorder;
        bRecorded = recorder.RecordButton();
        m_pRecorder = nullptr;
    }
    LockForRecording(false);
    if (!bRecorded)
        return;
    m_pTest->setEnabled(button.m_bits.GetLength() != 0);
    m_pStrip->update();
    ShowSignal();
    m_doc.SetModifiedFlag();
}

// The editor changes the megabutton's steps and marks the document modified itself.
void CRemoteBuilderDlg::EditMegabutton(CRemote& remote, CRemoteButton& megabutton)
{
    CMegaButtonDlg editor(m_doc, remote, megabutton, m_places.nMegaLeft, m_places.nMegaTop);
    editor.exec();
}

void CRemoteBuilderDlg::OnTest()
{
    if (CRemoteButton* pButton = FindTypedButton())
        m_engine.Fire(*pButton);
}

void CRemoteBuilderDlg::OnAssign()
{
    CRemote& remote = GetChosenRemote();
    // The pad shows the grid as it was when it opened; it must not outlive a change of it.
    if (remote.m_bPadOpen)
        m_doc.GetFrontEnd().ClosePad(remote);
    CRemotePadDlg pad(remote, CRemotePadDlg::kAssignMode, m_doc, m_engine, this);
    if (pad.exec() != QDialog::Accepted)
        return;
    CRemoteButton* pButton = FindTypedButton();
    if (!pButton)
        return;
    const int nColumn = pad.GetChosenColumn();
    const int nRow = pad.GetChosenRow();
    // Choosing the button's own cell again takes it off the pad.
    if (pButton->m_nColumn == nColumn && pButton->m_nRow == nRow)
        remote.UnplaceButton(*pButton);
    else
        remote.PlaceButton(*pButton, nColumn, nRow);
    m_doc.SetModifiedFlag();
}

void CRemoteBuilderDlg::OnAdvanced()
{
    m_bAdvanced = !m_bAdvanced;
    m_pAdvanced->setText(LoadString(m_bAdvanced ? StringId::kBasic : StringId::kAdvanced));
    if (m_bAdvanced)
        OnStripViewChanged();
    else
    {
        for (QPushButton* pButton :
             {m_pScrollLeft, m_pScrollRight, m_pTrimLeft, m_pTrimRight, m_pZoomIn, m_pZoomOut})
            pButton->setEnabled(false);
    }
    const int nPanel = GetAdvancedPanelHeight();
    setFixedHeight(height() + (m_bAdvanced ? nPanel : -nPanel));
}

void CRemoteBuilderDlg::OnStripViewChanged()
{
    const bool bWindow = !m_pStrip->IsOverview();
    m_pZoomIn->setEnabled(m_pStrip->CanZoomIn());
    for (QPushButton* pButton :
         {m_pScrollLeft, m_pScrollRight, m_pTrimLeft, m_pTrimRight, m_pZoomOut})
        pButton->setEnabled(bWindow);
    m_pWindowFirst->setText(QString::number(m_pStrip->GetWindowFirst()));
    m_pWindowLast->setText(QString::number(m_pStrip->GetWindowLast()));
}

// Only the strip's current button is edited, and it is the one the Button box names.
void CRemoteBuilderDlg::OnStripBitsEdited()
{
    m_pTest->setEnabled(m_pCurrent->m_bits.GetLength() != 0);
    ShowSignal();
}

// The advanced panel reaches this far below the action's box.
int CRemoteBuilderDlg::GetAdvancedPanelHeight() const
{
    return m_pBitstreamGroup->geometry().bottom() - m_pAction->geometry().bottom();
}

void CRemoteBuilderDlg::LockForRecording(bool bLock)
{
    if (bLock)
        m_bTestWasEnabled = m_pTest->isEnabled();
    for (QWidget* pControl : std::initializer_list<QWidget*>{
             m_pRemoteBox, m_pButtonBox, m_pDescription, m_pRemove, m_pLearn, m_pTest, m_pAssign,
             m_pClose, m_pFromCode, m_pAction})
        pControl->setEnabled(!bLock);
    if (!bLock)
    {
        m_pTest->setEnabled(m_bTestWasEnabled);
        m_pAction->setEnabled(m_pCurrent != nullptr);
        UpdateFromCode();
    }
}

void CRemoteBuilderDlg::reject()
{
    // The recorder writes into a button of this dialog's remote; it must finish first.
    if (m_pRecorder)
        return;
    // Escape leaves the field without its losing the focus.
    StoreDescription();
    m_places.nBuilderLeft = geometry().left();
    m_places.nBuilderTop = geometry().top();
    QDialog::reject();
}
