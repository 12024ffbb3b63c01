#pragma once

#include "document/CFrontEnd.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

// A front end that records every call as one line of text and answers message boxes from a
// script. Without a scripted answer a question is answered No and a refusal OK.
class CRecordingFrontEnd : public CFrontEnd
{
public:
    struct SMessage
    {
        int nStringId;
        std::string strArgument;
        EMessageBox nKind;
    };

    void QueueAnswer(EAnswer nAnswer) { m_answers.push_back(nAnswer); }

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
    void OnModifiedChanged(bool bModified) override;
    void ShowClockTime(const CTime& now) override;
    void EnableCloseCommand(bool bEnable) override;

    // Calls made so far, e.g. "AddEventRow Wake", "ClosePad TV", "EnableCloseCommand 0".
    std::vector<std::string> m_calls;
    std::vector<SMessage> m_messages;
    // Runs on every PumpWaitMessages, so a test can act in the middle of a firing.
    std::function<void()> m_onPump;
    int m_nPumps = 0;
    // The longest sleep each pump was offered.
    std::vector<std::uint32_t> m_waits;

private:
    std::deque<EAnswer> m_answers;
};
