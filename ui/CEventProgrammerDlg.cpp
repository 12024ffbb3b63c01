#include "ui/CEventProgrammerDlg.h"

#include "base/CStringTable.h"
#include "base/CTimeSource.h"
#include "document/CFrontEnd.h"
#include "document/CQuorbexDoc.h"
#include "ui/CSpinField.h"
#include "ui/DocumentText.h"
#include "ui/EventFormat.h"
#include "ui/PlaceWindowOnScreen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <array>
#include <initializer_list>

namespace
{
constexpr int kFirstYear = 1997;
constexpr int kLastYear = 2048;

constexpr std::array<const char*, 12> kMonthTexts{"January",   "February", "March",    "April",
                                                  "May",       "June",     "July",     "August",
                                                  "September", "October",  "November", "December"};

bool IsLeapYear(int nYear)
{
    return (nYear % 4 == 0 && nYear % 100 != 0) || nYear % 400 == 0;
}

int GetDaysInMonth(int nYear, int nMonth)
{
    constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return nMonth == 2 && IsLeapYear(nYear) ? 29 : kDays[static_cast<std::size_t>(nMonth - 1)];
}

QLabel* AddLabel(QGridLayout& layout, const char* pszText, QWidget* pBuddy, int nRow)
{
    auto* pLabel = new QLabel(pszText);
    pLabel->setBuddy(pBuddy);
    layout.addWidget(pLabel, nRow, 0);
    return pLabel;
}

QPushButton* MakeButton(const char* pszText, const char* pszName)
{
    auto* pButton = new QPushButton(pszText);
    pButton->setObjectName(pszName);
    // The dialog has no default action: Enter presses nothing.
    pButton->setAutoDefault(false);
    return pButton;
}

QComboBox* MakeList(const char* pszName)
{
    auto* pList = new QComboBox;
    pList->setObjectName(pszName);
    return pList;
}

CSpinField* MakeSpinField(int nMinimum, int nMaximum, int nDigits, bool bWrap, const char* pszName)
{
    auto* pField = new CSpinField(nMinimum, nMaximum, nDigits);
    pField->setObjectName(pszName);
    pField->setWrapping(bWrap);
    return pField;
}
} // namespace

CEventProgrammerDlg::CEventProgrammerDlg(CQuorbexDoc& doc, const CTimedEvent* pSelected, int& nLeft,
                                         int& nTop, QWidget* pParent)
    : QDialog(pParent), m_doc(doc), m_nLeft(nLeft), m_nTop(nTop)
{
    setObjectName(QStringLiteral("eventProgrammer"));
    setWindowTitle(QStringLiteral("Quorbit Event Programmer"));
    CreateControls();
    RestorePosition();

    m_order.FillList(*m_pRemoteList, m_order.GetSortedNames(*m_doc.m_pRemotes));
    m_order.FillList(*m_pEventBox, m_order.GetSortedNames(*m_doc.m_pEvents));
    ConnectControls();
    ShowFirstEvent(pSelected);
    OnDateChanged();
}

void CEventProgrammerDlg::CreateControls()
{
    m_pEventBox = MakeList("event");
    m_pEventBox->setEditable(true);
    m_pEventBox->setInsertPolicy(QComboBox::NoInsert);
    // What the person types is the name: no completion may add to it.
    m_pEventBox->setCompleter(nullptr);
    m_pEventBox->lineEdit()->setMaxLength(static_cast<int>(kMaxEventName));
    m_pEventBox->lineEdit()->setValidator(CreateDocumentTextValidator(m_pEventBox));
    m_pEventBox->installEventFilter(this);
    m_pEventBox->lineEdit()->installEventFilter(this);
    m_pEventBox->setMinimumContentsLength(static_cast<int>(kMaxEventName));

    m_pHour = MakeSpinField(0, 23, 1, true, "hour");
    m_pMinute = MakeSpinField(0, 59, 2, true, "minute");
    m_pDisable = new QCheckBox(QStringLiteral("&Disable"));
    m_pDisable->setObjectName(QStringLiteral("disable"));
    m_pFrequency = MakeList("frequency");
    for (const char* pszText : kFrequencyTexts)
        m_pFrequency->addItem(pszText);
    m_pMonth = MakeList("month");
    for (const char* pszText : kMonthTexts)
        m_pMonth->addItem(pszText);
    m_pDay = MakeSpinField(1, 31, 1, true, "day");
    m_pYear = MakeSpinField(kFirstYear, kLastYear, 1, false, "year");
    m_pRemoteList = MakeList("remote");
    m_pButtonList = MakeList("button");
    m_pDescription = new QLabel;
    m_pDescription->setObjectName(QStringLiteral("description"));
    m_pDescription->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_pAdd = MakeButton("&Add", "add");
    m_pUpdate = MakeButton("&Update", "update");
    m_pRemove = MakeButton("Re&move", "remove");
    QPushButton* pClose = MakeButton("&Close", "close");
    for (QPushButton* pButton : {m_pAdd, m_pUpdate, m_pRemove})
        pButton->setEnabled(false);
    connect(pClose, &QPushButton::clicked, this, &CEventProgrammerDlg::reject);

    auto* pLayout = new QGridLayout(this);
    AddLabel(*pLayout, "E&vent:", m_pEventBox, 0);
    pLayout->addWidget(m_pEventBox, 0, 1, 1, 2);
    AddLabel(*pLayout, "&Time:", m_pHour, 1);
    auto* pTime = new QHBoxLayout;
    pTime->addWidget(m_pHour);
    pTime->addWidget(new QLabel(QStringLiteral(":")));
    pTime->addWidget(m_pMinute);
    pTime->addStretch();
    pLayout->addLayout(pTime, 1, 1);
    pLayout->addWidget(m_pDisable, 1, 2);
    AddLabel(*pLayout, "&Frequency:", m_pFrequency, 2);
    pLayout->addWidget(m_pFrequency, 2, 1, 1, 2);
    AddLabel(*pLayout, "Dat&e:", m_pMonth, 3);
    auto* pDate = new QHBoxLayout;
    pDate->addWidget(m_pMonth, 1);
    pDate->addWidget(m_pDay);
    pDate->addWidget(m_pYear);
    pLayout->addLayout(pDate, 3, 1, 1, 2);
    AddLabel(*pLayout, "&Remote:", m_pRemoteList, 4);
    pLayout->addWidget(m_pRemoteList, 4, 1, 1, 2);
    AddLabel(*pLayout, "&Button:", m_pButtonList, 5);
    pLayout->addWidget(m_pButtonList, 5, 1, 1, 2);
    pLayout->addWidget(m_pDescription, 6, 1, 1, 2);
    auto* pButtons = new QHBoxLayout;
    for (QPushButton* pButton : {m_pAdd, m_pUpdate, m_pRemove})
        pButtons->addWidget(pButton);
    pButtons->addStretch();
    pButtons->addWidget(pClose);
    pLayout->addLayout(pButtons, 7, 0, 1, 3);
    pLayout->setSizeConstraint(QLayout::SetFixedSize);
}

void CEventProgrammerDlg::ConnectControls()
{
    connect(m_pEventBox, &QComboBox::editTextChanged, this, &CEventProgrammerDlg::OnNameChanged);
    // Picking the entry that is already typed shows its event again.
    connect(m_pEventBox, &QComboBox::activated, this, &CEventProgrammerDlg::OnNameChanged);
    for (CSpinField* pField : {m_pHour, m_pMinute, m_pDay, m_pYear})
        connect(pField, &CSpinField::ShownTextChanged, this, &CEventProgrammerDlg::UpdateButtons);
    connect(m_pDisable, &QCheckBox::toggled, this, &CEventProgrammerDlg::UpdateButtons);
    connect(m_pFrequency, &QComboBox::currentIndexChanged, this,
            &CEventProgrammerDlg::OnFrequencyChanged);
    connect(m_pMonth, &QComboBox::currentIndexChanged, this, &CEventProgrammerDlg::OnDateChanged);
    connect(m_pYear, &QSpinBox::valueChanged, this, &CEventProgrammerDlg::OnDateChanged);
    connect(m_pRemoteList, &QComboBox::currentIndexChanged, this,
            &CEventProgrammerDlg::OnRemoteChanged);
    connect(m_pButtonList, &QComboBox::currentIndexChanged, this,
            &CEventProgrammerDlg::OnButtonChanged);
    connect(m_pAdd, &QPushButton::clicked, this, &CEventProgrammerDlg::OnAdd);
    connect(m_pUpdate, &QPushButton::clicked, this, &CEventProgrammerDlg::OnUpdate);
    connect(m_pRemove, &QPushButton::clicked, this, &CEventProgrammerDlg::OnRemove);
}

void CEventProgrammerDlg::RestorePosition()
{
    if (m_nLeft == kNoPosition)
        return; // first opening: over the main window
    adjustSize();
    PlaceWindowOnScreen(*this, m_nLeft, m_nTop);
}

void CEventProgrammerDlg::ShowFirstEvent(const CTimedEvent* pSelected)
{
    const int nSelected = pSelected ? FindListName(*m_pEventBox, pSelected->m_strName) : -1;
    if (nSelected >= 0 || m_pEventBox->count() > 0)
    {
        const QSignalBlocker blocker(m_pEventBox);
        m_pEventBox->setCurrentIndex(std::max(nSelected, 0));
        m_pEventBox->setEditText(m_pEventBox->currentText());
        OnNameChanged();
        return;
    }
    m_pEventBox->setEditText(QString());
    const CTime now = m_doc.GetClock().GetBiosTime();
    SetTimeOfDay(now.GetHour(), now.GetMinute());
    m_pFrequency->setCurrentIndex(kFrequencyOnce);
    OnFrequencyChanged();
    m_pRemoteList->setCurrentIndex(0);
    OnRemoteChanged();
}

void CEventProgrammerDlg::OnNameChanged()
{
    LoadEvent();
    UpdateButtons();
}

void CEventProgrammerDlg::LoadEvent()
{
    const CTimedEvent* pEvent = FindTypedEvent();
    if (!pEvent)
        return;

    m_bLoading = true;
    SetTimeOfDay(pEvent->m_time.GetHour(), pEvent->m_time.GetMinute());
    m_pDisable->setChecked(pEvent->m_bDisabled);
    m_pFrequency->setCurrentIndex(pEvent->m_nFrequency);
    OnFrequencyChanged();
    SetDate(pEvent->m_time);
    m_bLoading = false;

    m_pRemoteList->setCurrentIndex(
        pEvent->m_pRemote ? FindListName(*m_pRemoteList, pEvent->m_pRemote->m_strName) : -1);
    OnRemoteChanged();
    m_pButtonList->setCurrentIndex(
        pEvent->m_pButton ? FindListName(*m_pButtonList, pEvent->m_pButton->m_strName) : -1);
    OnButtonChanged();
}

void CEventProgrammerDlg::UpdateButtons()
{
    const CTimedEvent* pFound = FindTypedEvent();
    const bool bValid = IsValid();
    m_pAdd->setEnabled(!pFound && bValid);
    m_pUpdate->setEnabled(pFound && bValid && IsChanged(*pFound));
    m_pRemove->setEnabled(pFound != nullptr);
}

void CEventProgrammerDlg::OnFrequencyChanged()
{
    const bool bOnce = m_pFrequency->currentIndex() == kFrequencyOnce;
    for (QWidget* pWidget : std::initializer_list<QWidget*>{m_pMonth, m_pDay, m_pYear})
        pWidget->setEnabled(bOnce);
    if (bOnce && !m_bLoading)
        SetDate(m_doc.GetClock().GetBiosTime());
    else
        UpdateButtons();
}

void CEventProgrammerDlg::OnDateChanged()
{
    m_pDay->SetMaximum(GetDaysInMonth(m_pYear->value(), m_pMonth->currentIndex() + 1));
    m_pDay->ClampToRange();
    UpdateButtons();
}

void CEventProgrammerDlg::OnRemoteChanged()
{
    const CRemote* pRemote = GetChosenRemote();
    {
        const QSignalBlocker blocker(m_pButtonList);
        if (pRemote)
            m_order.FillList(*m_pButtonList, m_order.GetSortedNames(pRemote->m_buttons));
        else
            m_pButtonList->clear();
        m_pButtonList->setCurrentIndex(0);
    }
    OnButtonChanged();
}

void CEventProgrammerDlg::OnButtonChanged()
{
    const CRemoteButton* pButton = GetChosenButton();
    m_pDescription->setText(pButton ? ToDisplayString(pButton->m_strDescription) : QString());
    UpdateButtons();
}

void CEventProgrammerDlg::SetTimeOfDay(int nHour, int nMinute)
{
    m_pHour->SetNumber(nHour);
    m_pMinute->SetNumber(nMinute);
}

void CEventProgrammerDlg::SetDate(const CTime& date)
{
    {
        const QSignalBlocker monthBlocker(m_pMonth);
        const QSignalBlocker yearBlocker(m_pYear);
        m_pMonth->setCurrentIndex(date.GetMonth() - 1);
        // A document may hold any year; one outside the field's years widens them for this
        // date, or showing the event would change it.
        m_pYear->setMinimum(std::min(kFirstYear, date.GetYear()));
        m_pYear->SetMaximum(std::max(kLastYear, date.GetYear()));
        m_pYear->SetNumber(date.GetYear());
        m_pDay->SetMaximum(GetDaysInMonth(m_pYear->value(), date.GetMonth()));
    }
    m_pDay->SetNumber(date.GetDay());
    OnDateChanged();
}

void CEventProgrammerDlg::OnAdd()
{
    const CTimedEvent fields = GetFields();
    if (!IsValid() || !IsKeptIfPast(fields) || !m_doc.AddEvent(fields))
        return;
    {
        const QSignalBlocker blocker(m_pEventBox);
        const QString strTyped = m_pEventBox->currentText();
        m_order.InsertIntoList(*m_pEventBox, fields.m_strName);
        m_pEventBox->setEditText(strTyped);
    }
    // The time as stored: one in the hour the clocks skip in spring is moved on by the C
    // library, and the dialog shows it as the event list does.
    OnNameChanged();
    m_pEventBox->setFocus();
}

void CEventProgrammerDlg::OnUpdate()
{
    CTimedEvent* pEvent = FindTypedEvent();
    if (pEvent && IsValid() && IsKeptIfPast(GetFields()) && m_doc.UpdateEvent(*pEvent, GetFields()))
        LoadEvent();
    UpdateButtons();
    m_pEventBox->setFocus();
}

void CEventProgrammerDlg::OnRemove()
{
    CTimedEvent* pEvent = FindTypedEvent();
    if (!pEvent)
        return;
    const std::string strName = pEvent->m_strName;
    if (m_doc.RemoveEvent(*pEvent))
    {
        // The name stays typed, so the event can be made again at once.
        const QSignalBlocker blocker(m_pEventBox);
        const QString strTyped = m_pEventBox->currentText();
        m_pEventBox->removeItem(FindListName(*m_pEventBox, strName));
        m_pEventBox->setEditText(strTyped);
    }
    UpdateButtons();
    m_pEventBox->setFocus();
}

std::string CEventProgrammerDlg::GetTypedName() const
{
    return ToDocumentString(m_pEventBox->currentText());
}

CTimedEvent* CEventProgrammerDlg::FindTypedEvent() const
{
    // Letter case aside, as buttons are named: a look-alike would be a second event firing the
    // same button. A file may hold names that differ only in case; the exact one comes first.
    if (CTimedEvent* pExact = m_doc.FindEvent(GetTypedName()))
        return pExact;
    const int nEntry = m_pEventBox->findText(m_pEventBox->currentText(), Qt::MatchFixedString);
    return nEntry < 0 ? nullptr : m_doc.FindEvent(GetListName(*m_pEventBox, nEntry));
}

CRemote* CEventProgrammerDlg::GetChosenRemote() const
{
    const int nIndex = m_pRemoteList->currentIndex();
    return nIndex < 0 ? nullptr : m_doc.FindRemote(GetListName(*m_pRemoteList, nIndex));
}

CRemoteButton* CEventProgrammerDlg::GetChosenButton() const
{
    const CRemote* pRemote = GetChosenRemote();
    const int nIndex = m_pButtonList->currentIndex();
    return pRemote && nIndex >= 0 ? pRemote->FindButton(GetListName(*m_pButtonList, nIndex))
                                  : nullptr;
}

bool CEventProgrammerDlg::IsValid() const
{
    const bool bDateValid = m_pFrequency->currentIndex() != kFrequencyOnce ||
                            (m_pDay->IsTextInRange() && m_pYear->IsTextInRange());
    return !GetTypedName().empty() && m_pHour->IsTextInRange() && m_pMinute->IsTextInRange() &&
           bDateValid && GetChosenButton();
}

// A one-time event whose minute has passed would only ever show as Expired: the person is
// asked whether that is meant.
bool CEventProgrammerDlg::IsKeptIfPast(const CTimedEvent& fields) const
{
    if (fields.m_nFrequency != kFrequencyOnce ||
        fields.m_time >= m_doc.GetClock().GetBiosTime().ToMinute())
        return true;
    return m_doc.GetFrontEnd().ShowMessage(StringId::kConfirmPastEvent, fields.m_strName,
                                           EMessageBox::Question) == EAnswer::Yes;
}

bool CEventProgrammerDlg::IsChanged(const CTimedEvent& event) const
{
    const CTime& time = event.m_time;
    return m_pHour->value() != time.GetHour() || m_pMinute->value() != time.GetMinute() ||
           m_pDisable->isChecked() != event.m_bDisabled ||
           m_pFrequency->currentIndex() != event.m_nFrequency ||
           m_pMonth->currentIndex() != time.GetMonth() - 1 || m_pDay->value() != time.GetDay() ||
           m_pYear->value() != time.GetYear() || GetChosenRemote() != event.m_pRemote ||
           GetChosenButton() != event.m_pButton;
}

CTimedEvent CEventProgrammerDlg::GetFields() const
{
    CTimedEvent fields;
    fields.m_strName = GetTypedName();
    fields.m_nFrequency = m_pFrequency->currentIndex();
    // The date counts whatever the frequency: it is what the event list shows as its date.
    fields.m_time =
        CTimedEvent::MakeTime(fields.m_nFrequency, m_pYear->value(), m_pMonth->currentIndex() + 1,
                              m_pDay->value(), m_pHour->value(), m_pMinute->value());
    fields.m_bDisabled = m_pDisable->isChecked();
    fields.m_pRemote = GetChosenRemote();
    fields.m_pButton = GetChosenButton();
    return fields;
}

void CEventProgrammerDlg::done(int nResult)
{
    // The inner corner, which opening puts back in place.
    m_nLeft = geometry().left();
    m_nTop = geometry().top();
    QDialog::done(nResult);
}

bool CEventProgrammerDlg::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    // Enter in the name box would pick an entry of the same name in other letter case.
    if (pEvent->type() == QEvent::KeyPress)
    {
        const int nKey = static_cast<QKeyEvent*>(pEvent)->key();
        if (nKey == Qt::Key_Return || nKey == Qt::Key_Enter)
            return true;
    }
    return QDialog::eventFilter(pWatched, pEvent);
}
