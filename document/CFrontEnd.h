#pragma once

#include <cstdint>
#include <string>

class CRemote;
class CTime;
class CTimedEvent;
struct SHeardPress;

// How a message box looks: a refusal (stop icon, OK) or a question (question icon, Yes and
// No, No the default).
enum class EMessageBox
{
    Stop,
    Question,
};

enum class EAnswer
{
    Ok,
    Yes,
    No,
};

// The core's only way to the windows. The main frame implements it, tests use a recording
// fake with scripted answers, and the headless runner a console one. Everything but the
// message box and the message pump may be ignored by a front end without windows.
class CFrontEnd
{
public:
    virtual ~CFrontEnd() = default;

    // Shows string nStringId with its "%s" replaced by strArgument and returns the answer.
    virtual EAnswer ShowMessage(int nStringId, const std::string& strArgument,
                                EMessageBox nKind) = 0;
    // Dispatches waiting window messages and idle work while a firing or a recording waits.
    // When none are waiting it may sleep until one comes, for at most nMaxWaitMs: the time
    // left before the waiter must look again.
    virtual void PumpWaitMessages(std::uint32_t nMaxWaitMs) = 0;

    // The event list.
    virtual void AddEventRow(CTimedEvent& /*event*/) {}
    virtual void RemoveEventRow(CTimedEvent& /*event*/) {}
    virtual void RemoveAllEventRows() {}
    virtual void SortEvents() {}
    // Rows show the armed event and statuses; redraw them after arming.
    virtual void RefreshEventRows() {}

    // The remote entries of the View menu (the menu bar is redrawn by these).
    virtual void AddRemoteMenuEntry(const CRemote& /*remote*/) {}
    virtual void RemoveRemoteMenuEntry(const CRemote& /*remote*/) {}

    // Pads: open as if the remote's View-menu entry were chosen; close clears m_bPadOpen.
    virtual void OpenPad(CRemote& /*remote*/) {}
    virtual void ClosePad(CRemote& /*remote*/) {}

    // The document's modified flag changed.
    virtual void OnModifiedChanged(bool /*bModified*/) {}
    // The document's content changed (its change count moved): whatever shows it may look
    // again. Edits that add or remove rows, menu entries or pads say so by the calls above too.
    virtual void OnContentChanged() {}
    // The clock pane shows the BIOS time of day.
    virtual void ShowClockTime(const CTime& /*now*/) {}
    // The firing depth left or reached 0: grey or enable the window's Close command.
    virtual void EnableCloseCommand(bool /*bEnable*/) {}
    // A remote's button was pressed at the receiver (once per press, however long it was held).
    virtual void OnHeard(const SHeardPress& /*press*/) {}
};
