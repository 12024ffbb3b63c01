#include "support/CRecordingFrontEnd.h"

#include "base/CTime.h"
#include "document/CRemote.h"
#include "document/CTimedEvent.h"

#include <cstdio>

EAnswer CRecordingFrontEnd::ShowMessage(int nStringId, const std::string& strArgument,
                                        EMessageBox nKind)
{
    m_messages.push_back({nStringId, strArgument, nKind});
    m_calls.push_back("ShowMessage " + std::to_string(nStringId) + " " + strArgument);
    if (!m_answers.empty())
    {
        const EAnswer nAnswer = m_answers.front();
        m_answers.pop_front();
        return nAnswer;
    }
    return nKind == EMessageBox::Question ? EAnswer::No : EAnswer::Ok;
}

void CRecordingFrontEnd::PumpWaitMessages(std::uint32_t nMaxWaitMs)
{
    ++m_nPumps;
    m_waits.push_back(nMaxWaitMs);
    if (m_onPump)
        m_onPump();
}

void CRecordingFrontEnd::AddEventRow(CTimedEvent& event)
{
    m_calls.push_back("AddEventRow " + event.m_strName);
}

void CRecordingFrontEnd::RemoveEventRow(CTimedEvent& event)
{
    m_calls.push_back("RemoveEventRow " + event.m_strName);
}

void CRecordingFrontEnd::RemoveAllEventRows()
{
    m_calls.push_back("RemoveAllEventRows");
}

void CRecordingFrontEnd::SortEvents()
{
    m_calls.push_back("SortEvents");
}

void CRecordingFrontEnd::RefreshEventRows()
{
    m_calls.push_back("RefreshEventRows");
}

void CRecordingFrontEnd::AddRemoteMenuEntry(const CRemote& remote)
{
    m_calls.push_back("AddRemoteMenuEntry " + remote.m_strName + " " +
                      std::to_string(remote.m_nMenuId));
}

void CRecordingFrontEnd::RemoveRemoteMenuEntry(const CRemote& remote)
{
    m_calls.push_back("RemoveRemoteMenuEntry " + remote.m_strName + " " +
                      std::to_string(remote.m_nMenuId));
}

void CRecordingFrontEnd::OpenPad(CRemote& remote)
{
    m_calls.push_back("OpenPad " + remote.m_strName);
}

void CRecordingFrontEnd::ClosePad(CRemote& remote)
{
    m_calls.push_back("ClosePad " + remote.m_strName);
    remote.m_bPadOpen = false;
}

void CRecordingFrontEnd::OnModifiedChanged(bool bModified)
{
    m_calls.push_back(std::string("OnModifiedChanged ") + (bModified ? "1" : "0"));
}

void CRecordingFrontEnd::ShowClockTime(const CTime& now)
{
    char szText[16];
    std::snprintf(szText, sizeof szText, "%02d:%02d:%02d", now.GetHour(), now.GetMinute(),
                  now.GetSecond());
    m_calls.push_back(std::string("ShowClockTime ") + szText);
}

void CRecordingFrontEnd::EnableCloseCommand(bool bEnable)
{
    m_calls.push_back(std::string("EnableCloseCommand ") + (bEnable ? "1" : "0"));
}
