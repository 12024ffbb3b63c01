#include "app/CRecoveryKeeper.h"

#include "app/CDocumentController.h"
#include "app/CMessageBox.h"
#include "base/CStringTable.h"
#include "document/CQbFile.h"
#include "document/CQuorbexDoc.h"
#include "engine/CQuorbexSession.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

#include <cstdio>

CRecoveryKeeper::CRecoveryKeeper(CDocumentController& documents, QWidget& window,
                                 CRecoveryFolder folder)
    : m_documents(documents), m_window(window), m_folder(std::move(folder))
{
    m_timer.setInterval(kIntervalMs);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { WriteCopy(); });
}

void CRecoveryKeeper::OnModifiedChanged(bool bModified)
{
    if (bModified)
        m_timer.start();
    else
        Discard();
}

void CRecoveryKeeper::Discard()
{
    if (!m_documents.GetSession().GetDocument().IsModified())
        m_timer.stop();
    if (!m_strKept.empty())
        m_folder.Remove(m_strKept);
    m_strKept.clear();
}

void CRecoveryKeeper::WriteCopy()
{
    const CQuorbexDoc& doc = m_documents.GetSession().GetDocument();
    if (!doc.IsModified())
        return;
    const std::string strDocument = QFile::encodeName(m_documents.GetPathName()).toStdString();
    std::vector<std::uint8_t> bytes;
    SQbStoreError error;
    std::string strError;
    const QByteArray title = QFile::encodeName(m_documents.GetTitle());
    if (!StoreQbFile(doc.m_pRemotes.get(), doc.m_pEvents.get(), bytes, error))
        strError = FormatString(error.nReason,
                                error.strRecord.empty() ? title.toStdString() : error.strRecord);
    else
    {
        const std::string strName = m_folder.GetName(strDocument);
        if (!m_strKept.empty() && m_strKept != strName)
            m_folder.Remove(m_strKept);
        m_strKept = strName;
        if (m_folder.Write(strName, strDocument, bytes, strError))
            return;
    }
    std::fprintf(stderr, "quorbit: cannot keep a recovery copy of %s: %s\n", title.constData(),
                 strError.c_str());
}

void CRecoveryKeeper::OfferCopies()
{
    for (const SRecoveryCopy& copy : m_folder.List())
    {
        if (Offer(copy))
            return;
    }
}

bool CRecoveryKeeper::Offer(const SRecoveryCopy& copy)
{
    SQbContent content;
    SOpenRefusal refusal;
    if (!CDocumentController::ReadDocumentFile(QFile::decodeName(copy.strFile.c_str()), content,
                                               refusal))
    {
        m_documents.ShowOpenRefusal(refusal);
        m_folder.SetAside(copy);
        return false;
    }
    const QString strDocument = QFile::decodeName(copy.strDocument.c_str());
    const QString strWritten = QLocale().toString(
        QDateTime::fromSecsSinceEpoch(static_cast<qint64>(copy.nWritten)), QLocale::ShortFormat);
    const QString strText =
        QStringLiteral("Quorbit has unsaved changes of %1 from %2. Recover them?")
            .arg(strDocument.isEmpty() ? QStringLiteral("Untitled") : strDocument, strWritten);
    if (CMessageBox::Show(&m_window, QMessageBox::Question, strText,
                          QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) != QMessageBox::Yes)
    {
        m_folder.Remove(copy.strName);
        return false;
    }
    if (!m_documents.RecoverDocument(strDocument, content))
        return false;
    m_strKept = copy.strName;
    return true;
}
