#pragma once

#include "document/CFrontEnd.h"

#include <functional>
#include <vector>

class CMainFrame;

// The core's way to the windows: message boxes, the message pump, the event list, the View
// menu's remote entries, the pads, the modified mark, the clock pane and the Close command, all on
// the main frame and its view.
class CQtFrontEnd : public CFrontEnd
{
public:
    explicit CQtFrontEnd(CMainFrame& frame) : m_frame(frame) {}

    // Called, after the window's modified mark, whenever the document's modified flag changed.
    void SetModifiedObserver(std::function<void(bool bModified)> onModified)
    {
        m_onModified = std::move(onModified);
    }

    EAnswer ShowMessage(int nStringId, const std::string& strArgument, EMessageBox nKind) override;
    void PumpWaitMessages(std::uint32_t nMaxWaitMs) override;

    void AddEventRow(CTimedEvent& event) override;
    void RemoveEventRow(CTimedEvent& event) override;
    void RemoveAllEventRows() override;
    void SortEvents() override;
    void RefreshEventRows() override;

    void AddRemoteMenuEntry(const CRemote& remote) override;
    void RemoveRemoteMenuEntry(const CRemote& remote) override;

    void OpenPad(CRemote& remote) override;
    void ClosePad(CRemote& remote) override;
    // At start, the pads of the file open only once the main window stands where it was left:
    // a pad that was never moved goes beside it there, and the window appears first.
    void HoldPads() { m_bHoldingPads = true; }
    void ReleasePads();

    void OnModifiedChanged(bool bModified) override;
    // The event list and the open pads look again once the change is done, however many
    // changes it made.
    void OnContentChanged() override;
    void ShowClockTime(const CTime& now) override;
    void EnableCloseCommand(bool bEnable) override;
    void OnHeard(const SHeardPress& press) override;

private:
    CMainFrame& m_frame;
    std::function<void(bool)> m_onModified = [](bool) {};
    bool m_bContentLookDue = false;
    bool m_bHoldingPads = false;
    std::vector<CRemote*> m_heldPads;
};
