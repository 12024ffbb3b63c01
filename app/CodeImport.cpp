#include "app/CodeImport.h"

#include "app/CFileDialog.h"
#include "app/CMessageBox.h"
#include "base/TextEncoding.h"
#include "common/ImportPlan.h"
#include "common/SignalStore.h"
#include "document/CQuorbexDoc.h"
#include "signal/LircFormat.h"
#include "ui/SignalText.h"

#include <QFile>
#include <QInputDialog>

#include <algorithm>

namespace
{
// More than any file of codes; a larger one is a mistake, not codes.
constexpr qint64 kMaxInputBytes = qint64{16} << 20;

void Refuse(QWidget* pParent, const QString& strText)
{
    CMessageBox::Show(pParent, QMessageBox::Critical, strText, QMessageBox::Ok, QMessageBox::Ok);
}

// The one item, or the person's choice; empty when they cancelled.
QString AskItem(QWidget* pParent, const QString& strLabel, const QStringList& items)
{
    if (items.size() == 1)
        return items.first();
    bool bChosen = false;
    const QString strItem = QInputDialog::getItem(pParent, QStringLiteral("Import Codes"), strLabel,
                                                  items, 0, false, &bChosen);
    return bChosen ? strItem : QString();
}

CRemote* AskRemote(QWidget* pParent, CQuorbexDoc& doc)
{
    QStringList names;
    for (const auto& [strName, pRemote] : *doc.m_pRemotes)
        names.append(QString::fromStdString(ToDisplayText(strName)));
    std::sort(names.begin(), names.end());
    const QString strChosen = AskItem(pParent, QStringLiteral("Import into the remote:"), names);
    std::string strName;
    if (strChosen.isEmpty() || !FromUtf8Text(strChosen.toStdString(), strName))
        return nullptr;
    return doc.FindRemote(strName);
}

// The remote of the file to take, when it holds several; false when the person cancelled.
bool AskSource(QWidget* pParent, std::vector<SExchangeCode>& codes)
{
    QStringList sources;
    for (const SExchangeCode& code : codes)
        if (!sources.contains(QString::fromStdString(code.strSource)))
            sources.append(QString::fromStdString(code.strSource));
    const QString strSource =
        sources.size() > 1
            ? AskItem(pParent, QStringLiteral("The file holds several remotes; import:"), sources)
            : QString();
    if (sources.size() > 1 && strSource.isEmpty())
        return false;
    std::string strReason;
    return ChooseSource(codes, strSource.toStdString(), strReason);
}

void RefuseAt(QWidget* pParent, const QString& strShown, const SExchangeError& error)
{
    Refuse(pParent, QStringLiteral("%1:%2: %3")
                        .arg(strShown)
                        .arg(error.nLine)
                        .arg(QString::fromStdString(error.strReason)));
}

// The codes' names in the document's spelling; false, the person told why, where one cannot be.
bool ConvertNames(QWidget* pParent, std::vector<SExchangeCode>& codes, const QString& strShown)
{
    for (SExchangeCode& code : codes)
    {
        std::string strName;
        const char* pszFault = !FromUtf8Text(code.strName, strName)
                                   ? "the code's name holds a character documents "
                                     "cannot store"
                               : strName.empty() ? "the code has no name"
                                                 : nullptr;
        if (pszFault)
        {
            RefuseAt(pParent, strShown, {code.nLine, pszFault});
            return false;
        }
        code.strName = std::move(strName);
    }
    return true;
}

// Each code checked against the remote.
bool CheckCodes(QWidget* pParent, const CRemote& remote, const std::vector<SExchangeCode>& codes,
                double dNanos, const QString& strShown)
{
    SExchangeError error;
    for (const SExchangeCode& code : codes)
    {
        if (!CheckImportedCode(remote, code, dNanos, error))
        {
            RefuseAt(pParent, strShown, error);
            return false;
        }
    }
    return true;
}

// Room on the pad for the new names, with the person's leave for a larger style if need be.
bool MakeRoom(QWidget* pParent, CRemote& remote, const std::vector<SExchangeCode>& codes)
{
    const std::size_t nFree = CountFreeCells(remote);
    const std::size_t nNew = CountNewButtons(remote, codes);
    if (nNew <= nFree)
        return true;
    const QString strFull = QStringLiteral("%1 has %2 free places on its pad for %3 new buttons.")
                                .arg(QString::fromStdString(ToDisplayText(remote.m_strName)))
                                .arg(nFree)
                                .arg(nNew);
    const int nStyle = FindRoomyStyle(remote, nNew);
    if (nStyle < 0)
    {
        Refuse(pParent, strFull + QStringLiteral(" No pad style holds them all."));
        return false;
    }
    const QString strStyle =
        QString::fromLatin1(kRemoteStyles[static_cast<std::size_t>(nStyle)].pszText);
    if (CMessageBox::Show(pParent, QMessageBox::Question,
                          strFull + QStringLiteral(" Make its pad %1?").arg(strStyle),
                          QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return false;
    remote.m_nStyle = nStyle;
    return true;
}
} // namespace

void ImportCodesInto(QWidget* pParent, CQuorbexDoc& doc, CInfraredDevice& device)
{
    const QString strPath = CFileDialog::GetImportPath(pParent);
    if (strPath.isEmpty())
        return;
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return Refuse(pParent, QStringLiteral("%1: cannot be opened").arg(strPath));
    const QByteArray text = file.read(kMaxInputBytes + 1);
    if (text.size() > kMaxInputBytes)
        return Refuse(
            pParent,
            QStringLiteral("%1: larger than the 16 MB a file of codes may be").arg(strPath));
    std::vector<SExchangeCode> codes;
    std::vector<SSkippedRemote> skipped;
    SExchangeError error;
    if (!ParseAnyCodes(std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                       codes, skipped, error))
        return RefuseAt(pParent, strPath, error);
    CRemote* pRemote = AskRemote(pParent, doc);
    const double dNanos = GetDisplayPeriod(device).dNanos;
    if (!pRemote || !AskSource(pParent, codes) || !ConvertNames(pParent, codes, strPath))
        return;
    const std::vector<std::string> renamed = NameCodes(codes, *pRemote);
    if (!CheckCodes(pParent, *pRemote, codes, dNanos, strPath) ||
        !MakeRoom(pParent, *pRemote, codes))
        return;
    std::string strReport;
    if (!ApplyCodes(doc, *pRemote, codes, dNanos, strReport))
        return;
    for (const std::string& strRenamed : renamed)
        strReport += strRenamed + ".\n";
    for (const SSkippedRemote& skip : skipped)
        strReport += ToDisplayUtf8(strPath.toStdString()) + ":" + std::to_string(skip.error.nLine) +
                     ": " + DescribeSkippedRemote(skip) + ".\n";
    CMessageBox::Show(pParent, QMessageBox::Information, QString::fromStdString(strReport),
                      QMessageBox::Ok, QMessageBox::Ok);
}
