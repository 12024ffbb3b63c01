#include "cli/ListingTestDocument.h"

#include <algorithm>

CListingTestDocument::CListingTestDocument()
{
    m_doc.OnNewDocument();
}

CRemote& CListingTestDocument::AddRemote(const std::string& strName, int nStyle)
{
    auto pRemote = std::make_unique<CRemote>(
        strName, nStyle, kFirstRemoteMenuId + static_cast<int>(m_doc.m_nRemoteIds++));
    CRemote& remote = *pRemote;
    (*m_doc.m_pRemotes)[strName] = std::move(pRemote);
    return remote;
}

namespace
{
std::unique_ptr<CRemoteButton> MakeButton(const std::string& strName, bool bMega, int nColumn,
                                          int nRow)
{
    auto pButton = std::make_unique<CRemoteButton>(strName, bMega);
    pButton->m_nColumn = nColumn;
    pButton->m_nRow = nRow;
    return pButton;
}
} // namespace

CRemoteButton& CListingTestDocument::AddButton(CRemote& remote, const std::string& strName,
                                               const std::string& strBits, int nColumn, int nRow)
{
    auto pButton = MakeButton(strName, false, nColumn, nRow);
    pButton->m_bits = CBitstream(std::vector<std::uint8_t>(strBits.begin(), strBits.end()));
    return remote.AddButton(std::move(pButton));
}

CRemoteButton& CListingTestDocument::AddMegabutton(CRemote& remote, const std::string& strName,
                                                   int nColumn, int nRow)
{
    return remote.AddButton(MakeButton(strName, true, nColumn, nRow));
}

CTimedEvent& CListingTestDocument::AddEvent(const std::string& strName, const CTime& time,
                                            int nFrequency, CRemote& remote, CRemoteButton& button)
{
    auto pEvent = std::make_unique<CTimedEvent>();
    pEvent->m_strName = strName;
    pEvent->m_time = time;
    pEvent->m_nFrequency = nFrequency;
    pEvent->m_pRemote = &remote;
    pEvent->m_pButton = &button;
    CTimedEvent& event = *pEvent;
    (*m_doc.m_pEvents)[strName] = std::move(pEvent);
    return event;
}
