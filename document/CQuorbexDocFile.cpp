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

bool CQuorbexDoc::ReadDocumentFile(const std::string& strPath, SQbContent& content,
                                   SOpenRefusal& refusal)
{
    std::vector<std::uint8_t> bytes;
    std::string strError;
    SFileStamp stamp;
    if (!CSafeFile::ReadAll(strPath, kMaxQbFileBytes, bytes, strError, &stamp))
    {
        refusal = {StringId::kOpenFailed, strPath + ": " + strError};
        return false;
    }
    SQbParseFault fault;
    const EQbParse nResult =
        bytes.size() < kShortestFile ? EQbParse::InvalidFile : ParseQbFile(bytes, content, &fault);
    // Where the file goes wrong, for whoever made it to look there.
    const std::string strWhere =
        fault.strReason.empty()
            ? strPath
            : strPath + ", at byte " + std::to_string(fault.nOffset) + ": " + fault.strReason;
    switch (nResult)
    {
    case EQbParse::Ok:
        content.strFile = strPath;
        content.fileStamp = stamp;
        return true;
    case EQbParse::TooLarge:
        refusal = {StringId::kDocumentTooLarge, strPath};
        break;
    case EQbParse::NewerVersion:
        refusal = {StringId::kNewerVersion, strWhere};
        break;
    case EQbParse::InvalidFile:
        refusal = {StringId::kInvalidFile, strWhere};
        break;
    }
    return false;
}

void CQuorbexDoc::TakeDocumentContent(SQbContent& content)
{
    DeleteContents();
    TakeContent(*this, content);
    m_strDiskFile = content.strFile;
    m_diskStamp = content.fileStamp;
    SetModifiedFlag(false);
}

bool CQuorbexDoc::HasChangedOnDisk(const std::string& strPath) const
{
    if (strPath != m_strDiskFile || !m_diskStamp.bExists)
        return false;
    const SFileStamp now = ReadFileStamp(strPath);
    // A file removed since leaves nothing to lose.
    return now.bExists && now != m_diskStamp;
}

bool CQuorbexDoc::OnOpenDocument(const std::string& strPath)
{
    SQbContent content;
    SOpenRefusal refusal;
    if (!ReadDocumentFile(strPath, content, refusal))
    {
        m_frontEnd.ShowMessage(refusal.nStringId, refusal.strArgument, EMessageBox::Stop);
        return false;
    }
    TakeDocumentContent(content);
    return true;
}

bool CQuorbexDoc::OnSaveDocument(const std::string& strPath, bool bOverwrite)
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
    SFileStamp stamp = strPath == m_strDiskFile && !bOverwrite ? m_diskStamp : SFileStamp{};
    if (!CSafeFile().SaveWithBackup(strPath, bytes, strError, &stamp))
    {
        m_frontEnd.ShowMessage(StringId::kSaveFailed, strPath + ": " + strError, EMessageBox::Stop);
        return false;
    }
    m_strDiskFile = strPath;
    m_diskStamp = stamp;
    SetModifiedFlag(false);
    return true;
}
