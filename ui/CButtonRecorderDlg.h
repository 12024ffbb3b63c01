#pragma once

#include <QDialog>

class CFiringEngine;
class CInfraredDevice;
class CRemoteButton;

// The small window shown while a plain button learns its code. It tells the person which
// button of the hand-held remote to press, waits with the windows alive until the detector sees
// the start of a signal, and records it into the button. Cancel, Escape and the window's Close
// end the wait; Enter does not.
class CButtonRecorderDlg : public QDialog
{
    Q_OBJECT

public:
    // nLeft, nTop: where the window was when it last closed (kNoStoredPosition in nLeft: never
    // shown, it then opens centred over pOwner); written back when it closes.
    CButtonRecorderDlg(CRemoteButton& button, CFiringEngine& engine, CInfraredDevice& device,
                       int& nLeft, int& nTop, QWidget* pOwner);

    // Shows the window, waits for the detector line to be idle and then for a signal to begin,
    // and records the signal into the button. False when the person cancelled: the button is
    // then exactly as it was.
    bool RecordButton();

    // Cancel, Escape and the window's Close: the wait ends at its next turn.
    void reject() override;

protected:
    void showEvent(QShowEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    enum EState
    {
        kWaiting,
        kLineSeen,
        kCancelled,
    };

    void CreateControls(bool bSimulatedUnit);
    void PlaceOverOwner();
    bool WaitForLine(bool bHigh);

    CRemoteButton& m_button;
    CFiringEngine& m_engine;
    CInfraredDevice& m_device;
    int& m_nLeft;
    int& m_nTop;
    EState m_nState = kWaiting;
    bool m_bPlaced = false;
    bool m_bQuitHeld = false;
};
