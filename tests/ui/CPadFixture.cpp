#include "ui/CPadFixture.h"

#include "ui/CPadButton.h"
#include "ui/CRemotePadDlg.h"

#include <QCoreApplication>

CPadFixture::CPadFixture()
{
    m_doc.OnNewDocument();
    m_pRemote = m_doc.AddRemote("TV", 0);
    m_doc.SetModifiedFlag(false);
}

CPadFixture::~CPadFixture()
{
    // Pads point into the document, which goes first.
    delete CRemotePadDlg::FindPad(*m_pRemote);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

CRemoteButton& CPadFixture::PlacePlain(const std::string& strName, int nColumn, int nRow,
                                       std::uint32_t nLength, const std::string& strDescription)
{
    auto pButton = std::make_unique<CRemoteButton>(strName, false);
    pButton->m_strDescription = strDescription;
    pButton->m_nColumn = nColumn;
    pButton->m_nRow = nRow;
    pButton->m_bits.SetLength(nLength);
    return m_pRemote->AddButton(std::move(pButton));
}

CRemoteButton& CPadFixture::PlaceMega(const std::string& strName, int nColumn, int nRow,
                                      std::initializer_list<CRemoteButton*> steps)
{
    auto pButton = std::make_unique<CRemoteButton>(strName, true);
    pButton->m_nColumn = nColumn;
    pButton->m_nRow = nRow;
    for (CRemoteButton* pStep : steps)
        pButton->m_steps.push_back(CMegaStep{m_pRemote, pStep, 0});
    return m_pRemote->AddButton(std::move(pButton));
}

CRemotePadDlg& CPadFixture::ShowPad()
{
    return CRemotePadDlg::ShowPad(*m_pRemote, m_doc, m_engine, nullptr);
}

CPadButton* CPadFixture::FindCell(const CRemotePadDlg& pad, int nId)
{
    return pad.findChild<CPadButton*>(CPadButton::GetObjectName(nId));
}
