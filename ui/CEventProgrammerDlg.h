#pragma once

#include "ui/CDisplayOrder.h"

#include <QDialog>

#include <string>

class CQuorbexDoc;
class CRemote;
class CRemoteButton;
class CSpinField;
class CTime;
class CTimedEvent;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// Where timed events are made, changed and removed. The person types or picks an event name,
// sets its time, frequency, date, remote and button, and presses Add, Update or Remove; each
// goes through the document's editing rules at once, which keep the event list and the armed
// event in step. Add, Update and Remove are offered only when they can apply: invalid input
// is never reported by message. The scheduler's tick runs on under the dialog, so whether an
// event fires is judged by the document at the moment of the click.
class CEventProgrammerDlg : public QDialog
{
    Q_OBJECT

public:
    // In nLeft: no position saved yet.
    static constexpr int kNoPosition = 0x7FFF;

    // pSelected: the event chosen in the event list, shown first. nLeft and nTop: where the
    // dialog was last closed; it opens there (pulled onto the screen) and stores its place
    // there when it closes.
    CEventProgrammerDlg(CQuorbexDoc& doc, const CTimedEvent* pSelected, int& nLeft, int& nTop,
                        QWidget* pParent = nullptr);

    // Close, Escape and the window's close button all end the dialog here.
    void done(int nResult) override;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void CreateControls();
    void ConnectControls();
    void RestorePosition();
    void ShowFirstEvent(const CTimedEvent* pSelected);

    // The name box changed: show the event of that name, if any, and re-evaluate the buttons.
    void OnNameChanged();
    void LoadEvent();
    void UpdateButtons();
    // Month, day and year are used only by one-time events; choosing "Once" starts from today.
    void OnFrequencyChanged();
    // The day's range follows the month and the year.
    void OnDateChanged();
    void OnRemoteChanged();
    void OnButtonChanged();
    void SetTimeOfDay(int nHour, int nMinute);
    void SetDate(const CTime& date);
    void OnAdd();
    void OnUpdate();
    void OnRemove();

    std::string GetTypedName() const;
    // The event the typed name names: exactly, else letter case aside.
    CTimedEvent* FindTypedEvent() const;
    CRemote* GetChosenRemote() const;
    CRemoteButton* GetChosenButton() const;
    bool IsValid() const;
    bool IsKeptIfPast(const CTimedEvent& fields) const;
    bool IsChanged(const CTimedEvent& event) const;
    // An event as the controls describe it.
    CTimedEvent GetFields() const;

    CQuorbexDoc& m_doc;
    int& m_nLeft;
    int& m_nTop;
    // Set while an event is loaded into the controls: its own date must not give way to today's.
    bool m_bLoading = false;
    CDisplayOrder m_order;

    QComboBox* m_pEventBox = nullptr;
    CSpinField* m_pHour = nullptr;
    CSpinField* m_pMinute = nullptr;
    QCheckBox* m_pDisable = nullptr;
    QComboBox* m_pFrequency = nullptr;
    QComboBox* m_pMonth = nullptr;
    CSpinField* m_pDay = nullptr;
    CSpinField* m_pYear = nullptr;
    QComboBox* m_pRemoteList = nullptr;
    QComboBox* m_pButtonList = nullptr;
    QLabel* m_pDescription = nullptr;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pUpdate = nullptr;
    QPushButton* m_pRemove = nullptr;
};
