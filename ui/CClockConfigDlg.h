#pragma once

#include "document/CQuorbexDoc.h"

#include <QDialog>

class CBiosClock;
class CSpinField;
class QComboBox;
class QLabel;
class QPushButton;

// When the system clock is set from the hardware clock: not at all, or daily or weekly at a
// time of day; and a refresh at once. It says which clock the program reads, since setting the
// system clock from itself changes nothing, and why a refresh at once failed.
class CClockConfigDlg : public QDialog
{
    Q_OBJECT

public:
    CClockConfigDlg(const SClockSettings& settings, CBiosClock& clock, QWidget* pParent = nullptr);

    // After OK: the schedule as chosen, with hour and minute in range.
    const SClockSettings& GetSettings() const { return m_settings; }

    void accept() override;

private:
    void CreateControls();
    // Time, day and the refresh at once are offered only with a refresh method.
    void OnMethodChanged();
    void OnRefreshNow();

    SClockSettings m_settings;
    CBiosClock& m_clock;
    QComboBox* m_pMethod = nullptr;
    QPushButton* m_pRefreshNow = nullptr;
    CSpinField* m_pHour = nullptr;
    CSpinField* m_pMinute = nullptr;
    QComboBox* m_pDay = nullptr;
    QLabel* m_pRefreshResult = nullptr;
    // Greyed with the fields they describe.
    QList<QWidget*> m_schedule;
};
