// Opening and saving the document as a ".qb" file.
#include "document/CQuorbexDoc.h"

#include "base/CStringTable.h"
#include "document/CFrontEnd.h"
#include "document/CQbFile.h"
#include "document/CSafeFile.h"

namespace
{
// Anything shorter cannot hold the magic and the version.
constexpr std::size_t kShortestFile = 4;

// Hands a loaded content to the document and the windows in the order they expect: remotes
// with their menu entries, the pads that were open, the event rows, then the armed event.
void TakeContent(CQuorbexDoc& doc, SQbContent& content)
{
    CFrontEnd& frontEnd = doc.GetFrontEnd();
    doc.m_pRemotes = std::move(content.pRemotes);
    doc.m_pEvents = std::move(content.pEvents);
    doc.m_nFileVersion = content.nVersion;
    for (CRemote* pRemote : content.remoteOrder)
    {
        pRemote->m_nMenuId = kFirstRemoteMenuId + static_cast<int>(doc.m_nRemoteIds++);
        frontEnd.AddRemoteMenuEntry(*pRemote);
    }
    for (CRemote* pRemote : content.openPads)
        frontEnd.OpenPad(*pRemote);
    for (CTimedEvent* pEvent : content.eventOrder)
        frontEnd.AddEventRow(*pEvent);
    doc.ArmNextEvent();
}
} // namespace

bool CQuorbexDoc::OnOpenDocument(const std::string& strPath)
{
    m_bNewerVersion = false;
    m_bInvalidFile = false;
    std::vector<std::uint8_t> bytes;
    std::string strError;
    if (!CSafeFile::ReadAll(strPath, kMaxQbFileBytes, bytes, strError))
    {
        m_frontEnd.ShowMessage(StringId::kOpenFailed, strPath + ": " + strError, EMessageBox::Stop);
        return false;
    }
    // Refused before the current content is touched.
    if (bytes.size() < kShortestFile)
    {
        m_bInvalidFile = true;
        m_frontEnd.ShowMessage(StringId::kInvalidFile, strPath, EMessageBox::Stop);
        return false;
    }

    SQbContent content;
    SQbParseFault fault;
    const EQbParse nResult = ParseQbFile(bytes, content, &fault);
    // Too large to work with, yet nothing wrong with it: the current content stays.
    if (nResult == EQbParse::TooLarge)
    {
        m_frontEnd.ShowMessage(StringId::kDocumentTooLarge, strPath, EMessageBox::Stop);
        return false;
    }
    if (nResult != EQbParse::Ok)
    {
        // Whatever was open is gone either way; leave a document the user can work on.
        OnNewDocument();
        m_bNewerVersion = nResult == EQbParse::NewerVersion;
        m_bInvalidFile = nResult == EQbParse::InvalidFile;
        // Where the file goes wrong, for whoever made it to look there.
        const std::string strWhere = fault.strReason.empty()
                                         ? strPath
                                         : strPath + ", at byte " + std::to_string(fault.nOffset) +
                                               ": " + fault.strReason;
        m_frontEnd.ShowMessage(m_bNewerVersion ? StringId::kNewerVersion : StringId::kInvalidFile,
                               strWhere, EMessageBox::Stop);
        return false;
    }
    DeleteContents();
    TakeContent(*this, content);
    SetModifiedFlag(false);
    return true;
}

bool CQuorbexDoc::OnSaveDocument(const std::string& strPath)
{
    std::vector<std::uint8_t> bytes;
    SQbStoreError error;
    if (!StoreQbFile(m_pRemotes.get(), m_pEvents.get(), bytes, error))
    {
        // A fault of no single record is the whole document's: the file stands for it.
        const std::string& strRecord = error.strRecord.empty() ? strPath : error.strRecord;
        m_frontEnd.ShowMessage(StringId::kSaveRefused, FormatString(error.nReason, strRecord),
                               EMessageBox::Stop);
        return false;
    }
    std::string strError;
    if (!CSafeFile().SaveWithBackup(strPath, bytes, strError))
    {
        m_frontEnd.ShowMessage(StringId::kSaveFailed, strPath + ": " + strError, EMessageBox::Stop);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}
