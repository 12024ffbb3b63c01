#include "document/CQuorbexDoc.h"

#include "document/CFrontEnd.h"
#include "document/CQbFile.h"

CQuorbexDoc::CQuorbexDoc(CFrontEnd& frontEnd, CTimeSource& clock,
                         const SClockSettings& clockSettings)
    : m_clockSettings(clockSettings), m_frontEnd(frontEnd), m_clock(clock)
{
    m_armed.m_bDisabled = true;
    SetupClockRefresh();
}

CQuorbexDoc::~CQuorbexDoc() = default;

bool CQuorbexDoc::OnNewDocument()
{
    DeleteContents();
    m_pRemotes = std::make_unique<CRemoteMap>();
    m_pEvents = std::make_unique<CEventMap>();
    m_nRemoteIds = 0;
    m_nFileVersion = kQbFileVersion;
    m_armed.m_bDisabled = true;
    m_strDiskFile.clear();
    m_diskStamp = {};
    SetModifiedFlag(false);
    return true;
}

void CQuorbexDoc::NoteChange()
{
    ++m_nChanges;
    m_frontEnd.OnContentChanged();
}

void CQuorbexDoc::DeleteContents()
{
    NoteChange();
    if (m_pRemotes)
    {
        for (auto& [strName, pRemote] : *m_pRemotes)
        {
            m_frontEnd.RemoveRemoteMenuEntry(*pRemote);
            if (pRemote->m_bPadOpen)
                m_frontEnd.ClosePad(*pRemote);
        }
        m_pRemotes.reset();
    }
    if (m_pEvents)
    {
        m_frontEnd.RemoveAllEventRows();
        m_pEvents.reset();
    }
    // The armed slot must not keep pointers into the records just deleted.
    m_armed.m_bDisabled = true;
    m_armed.m_pRemote = nullptr;
    m_armed.m_pButton = nullptr;
    m_pArmedEvent = nullptr;
}

void CQuorbexDoc::SetModifiedFlag(bool bModified)
{
    // Every edit marks the document modified, already modified or not.
    if (bModified)
        NoteChange();
    if (m_bModified == bModified)
        return;
    m_bModified = bModified;
    m_frontEnd.OnModifiedChanged(bModified);
}

CRemote* CQuorbexDoc::FindRemote(const std::string& strName) const
{
    if (!m_pRemotes)
        return nullptr;
    const auto it = m_pRemotes->find(strName);
    return it == m_pRemotes->end() ? nullptr : it->second.get();
}

CRemote* CQuorbexDoc::FindRemoteByMenuId(int nMenuId) const
{
    if (!m_pRemotes)
        return nullptr;
    for (const auto& [strName, pRemote] : *m_pRemotes)
    {
        if (pRemote->m_nMenuId == nMenuId)
            return pRemote.get();
    }
    return nullptr;
}

bool CQuorbexDoc::IsRemoteCommand(int nId) const
{
    return nId >= kFirstRemoteMenuId && nId < kFirstRemoteMenuId + static_cast<int>(m_nRemoteIds);
}

CTimedEvent* CQuorbexDoc::FindEvent(const std::string& strName) const
{
    if (!m_pEvents)
        return nullptr;
    const auto it = m_pEvents->find(strName);
    return it == m_pEvents->end() ? nullptr : it->second.get();
}

bool CQuorbexDoc::HasPlainButton() const
{
    if (!m_pRemotes)
        return false;
    for (const auto& [strRemote, pRemote] : *m_pRemotes)
    {
        for (const auto& [strButton, pButton] : pRemote->m_buttons)
        {
            if (!pButton->m_bMega)
                return true;
        }
    }
    return false;
}
