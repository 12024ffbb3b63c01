#include "app/CodeImport.h"

#include "app/CSettings.h"
#include "base/TextEncoding.h"
#include "common/ImportPlan.h"
#include "common/SignalStore.h"
#include "document/CQuorbexDoc.h"
#include "signal/SignalDecoder.h"
#include "ui/SignalText.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace
{
// More than any file of codes; a larger one is a mistake, not codes.
constexpr qint64 kMaxInputBytes = qint64{16} << 20;

QString FromText(const std::string& strUtf8)
{
    return QString::fromStdString(strUtf8);
}

QString FromName(const std::string& strWindows1252)
{
    return FromText(ToDisplayText(strWindows1252));
}

// The code the file names, or the one its timings carry; "raw" for timings of no known protocol.
QString DescribeCode(const SExchangeCode& code)
{
    const SDecodedSignal decoded = code.code ? *code.code : DecodeSignal(code.durations);
    return decoded.eProtocol == EProtocol::kUnknown ? QStringLiteral("raw")
                                                    : FromText(DescribeSignal(decoded));
}

QString DescribeCarrier(const SExchangeCode& code)
{
    return code.nCarrierHz == 0 ? QString()
                                : QStringLiteral("%1 kHz").arg(code.nCarrierHz / 1000.0, 0, 'f', 1);
}

// What happens to a code the plan places: "new", "replaces", "goes to LG 2", and its new name
// when it comes in under another.
QString DescribeFate(const SCodePlace& place, const SImportPlan& plan, const std::string& strAs,
                     const QString& strTyped)
{
    QString strFate =
        place.bReplaces ? QStringLiteral("replaces")
        : place.nRemote == 0
            ? QStringLiteral("new")
            : QStringLiteral("goes to %1").arg(FromName(plan.further[place.nRemote - 1].strName));
    if (FromName(strAs) != strTyped)
        strFate += QStringLiteral(", renamed %1").arg(FromName(strAs));
    return strFate;
}
} // namespace

// One plan of the dialog's choices: the codes that come in (document spelling, named), the row
// each came from, where each goes, and the table's rows.
struct CCodeImportPlanner::SPlanned
{
    std::unique_ptr<CRemote> pNewTarget; // the remote to make, when the target is new
    const CRemote* pTarget = nullptr;
    std::string strNewName;
    std::vector<SExchangeCode> codes;
    std::vector<std::size_t> rowOf;
    SImportPlan plan;
    std::vector<SImportRow> rows;
};

CCodeImportPlanner::CCodeImportPlanner(CQuorbexDoc& doc, double dNanos)
    : m_doc(doc), m_dNanos(dNanos)
{
}

CCodeImportPlanner::~CCodeImportPlanner() = default;

bool CCodeImportPlanner::ReadFile(const QString& strPath, QStringList& sources, QString& strError)
{
    m_codes.clear();
    QFile file(strPath);
    if (!QFileInfo(strPath).isFile() || !file.open(QIODevice::ReadOnly))
    {
        strError = QStringLiteral("%1: cannot be opened").arg(strPath);
        return false;
    }
    const QByteArray text = file.read(kMaxInputBytes + 1);
    if (text.size() > kMaxInputBytes)
    {
        strError = QStringLiteral("%1: larger than the 16 MB a file of codes may be").arg(strPath);
        return false;
    }
    SExchangeError error;
    if (!ParseCodeFile(QFileInfo(strPath).fileName().toStdString(),
                       std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                       m_codes, error))
    {
        m_codes.clear();
        strError =
            (error.nLine == 0 ? strPath : QStringLiteral("%1:%2").arg(strPath).arg(error.nLine)) +
            QStringLiteral(": ") + FromText(error.strReason);
        return false;
    }
    for (const SExchangeCode& code : m_codes)
        if (!sources.contains(FromText(code.strSource)))
            sources.append(FromText(code.strSource));
    m_bSeveralSources = sources.size() > 1;
    return true;
}

std::vector<SExchangeCode> CCodeImportPlanner::GetSourceCodes(const QString& strSource) const
{
    std::vector<SExchangeCode> codes = m_codes;
    std::string strReason;
    if (m_bSeveralSources && !ChooseSource(codes, strSource.toStdString(), strReason))
        codes.clear();
    return codes;
}

QStringList CCodeImportPlanner::GetCodeNames(const QString& strSource) const
{
    QStringList names;
    for (const SExchangeCode& code : GetSourceCodes(strSource))
        names.append(FromText(code.strName));
    return names;
}

QStringList CCodeImportPlanner::GetRemoteNames() const
{
    QStringList names;
    for (const auto& entry : *m_doc.m_pRemotes)
        names.append(FromName(entry.first));
    names.sort(Qt::CaseInsensitive);
    return names;
}

int CCodeImportPlanner::GetRemoteStyle(const QString& strRemote) const
{
    std::string strName;
    const CRemote* pRemote =
        FromUtf8Text(strRemote.toStdString(), strName) ? m_doc.FindRemote(strName) : nullptr;
    return pRemote ? pRemote->m_nStyle : 0;
}

// The remote the codes go to: one of the document's, or the new one the person named.
const CRemote* CCodeImportPlanner::FindTarget(const SImportChoices& choices, SPlanned& planned,
                                              QString& strProblem) const
{
    std::string strName;
    std::string strReason;
    const std::string strTyped =
        (choices.strTarget.isEmpty() ? choices.strNewName : choices.strTarget).toStdString();
    if (!ToDocumentName(strTyped, strName, strReason))
        strProblem = QStringLiteral("The remote's name %1.").arg(FromText(strReason));
    else if (!choices.strTarget.isEmpty())
        return m_doc.FindRemote(strName);
    else if (strName.empty())
        strProblem = QStringLiteral("Give the new remote a name.");
    else if (m_doc.FindRemote(strName))
        strProblem = QStringLiteral("The document has a remote %1 already: choose it under "
                                    "Into.")
                         .arg(FromName(strName));
    if (!strProblem.isEmpty())
        return nullptr;
    planned.strNewName = strName;
    planned.pNewTarget = std::make_unique<CRemote>(strName, choices.nStyle, 0);
    return planned.pNewTarget.get();
}

bool CCodeImportPlanner::Plan(const SImportChoices& choices, SPlanned& planned,
                              QString& strProblem) const
{
    const std::vector<SExchangeCode> source = GetSourceCodes(choices.strSource);
    planned.rows.resize(source.size());
    const CRemote* pTarget = FindTarget(choices, planned, strProblem);
    if (pTarget && !FindStyleRefusal(*pTarget, choices.nStyle).empty())
        strProblem = QStringLiteral("%1 cannot take that style: %2.")
                         .arg(FromName(pTarget->m_strName),
                              FromText(FindStyleRefusal(*pTarget, choices.nStyle)));
    for (std::size_t nRow = 0; nRow < source.size(); ++nRow)
    {
        SImportRow& row = planned.rows[nRow];
        SExchangeCode code = source[nRow];
        row.strSignal = DescribeCode(code);
        row.strCarrier = DescribeCarrier(code);
        row.strName = nRow < choices.names.size() ? choices.names[nRow] : FromText(code.strName);
        std::string strReason;
        if (nRow < choices.chosen.size() && !choices.chosen[nRow])
            row.strFate = QStringLiteral("left out");
        else if (row.strName.isEmpty())
            strReason = "the code has no name: give it one";
        else if (!ToDocumentName(row.strName.toStdString(), code.strName, strReason))
            strReason = "the name " + strReason;
        if (!strReason.empty())
        {
            row.bRefused = true;
            row.strFate = QStringLiteral("refused: %1").arg(FromText(strReason));
        }
        else if (row.strFate.isEmpty())
        {
            planned.codes.push_back(std::move(code));
            planned.rowOf.push_back(nRow);
        }
    }
    if (!strProblem.isEmpty() || !pTarget)
        return false;
    planned.pTarget = pTarget;
    NameCodes(planned.codes, *pTarget);
    // A code the target cannot take is refused in its row; the others still come in.
    SExchangeError error;
    for (std::size_t nCode = planned.codes.size(); nCode-- > 0;)
    {
        if (CheckImportedCode(*pTarget, planned.codes[nCode], m_dNanos, error))
            continue;
        SImportRow& row = planned.rows[planned.rowOf[nCode]];
        row.bRefused = true;
        row.strFate = QStringLiteral("refused: %1").arg(FromText(error.strReason));
        planned.codes.erase(planned.codes.begin() + static_cast<std::ptrdiff_t>(nCode));
        planned.rowOf.erase(planned.rowOf.begin() + static_cast<std::ptrdiff_t>(nCode));
    }
    planned.plan = PlanPlaces(*m_doc.m_pRemotes, *pTarget, choices.nStyle, planned.codes);
    for (std::size_t nCode = 0; nCode < planned.codes.size(); ++nCode)
    {
        SImportRow& row = planned.rows[planned.rowOf[nCode]];
        row.strFate = DescribeFate(planned.plan.places[nCode], planned.plan,
                                   planned.codes[nCode].strName, row.strName);
        row.strName = FromName(planned.codes[nCode].strName);
    }
    return true;
}

std::vector<SImportRow> CCodeImportPlanner::Preview(const SImportChoices& choices,
                                                    QString& strProblem) const
{
    SPlanned planned;
    Plan(choices, planned, strProblem);
    return std::move(planned.rows);
}

QString CCodeImportPlanner::Import(const SImportChoices& choices)
{
    SPlanned planned;
    QString strProblem;
    if (!Plan(choices, planned, strProblem))
        return strProblem;
    CRemote* pTarget = planned.pNewTarget ? m_doc.AddRemote(planned.strNewName, choices.nStyle)
                                          : m_doc.FindRemote(planned.pTarget->m_strName);
    if (!pTarget)
        return QStringLiteral("Nothing was imported.");
    const bool bRestyled = pTarget->m_nStyle != choices.nStyle;
    pTarget->m_nStyle = choices.nStyle;
    if (!ApplyPlan(m_doc, *pTarget, planned.plan, planned.codes, m_dNanos))
        return QStringLiteral("Nothing more was imported.");
    QString strReport;
    if (planned.pNewTarget)
        strReport += QStringLiteral("Made the remote %1.\n").arg(FromName(pTarget->m_strName));
    if (bRestyled)
        strReport += QStringLiteral("Made the pad of %1 %2.\n")
                         .arg(FromName(pTarget->m_strName),
                              QString::fromLatin1(
                                  kRemoteStyles[static_cast<std::size_t>(choices.nStyle)].pszText));
    for (const SFurtherRemote& further : planned.plan.further)
        if (further.bMake)
            strReport += QStringLiteral("Made the remote %1 for the codes %2 has no room for.\n")
                             .arg(FromName(further.strName), FromName(pTarget->m_strName));
    for (std::size_t nCode = 0; nCode < planned.codes.size(); ++nCode)
    {
        const SCodePlace& place = planned.plan.places[nCode];
        const CRemote& remote =
            place.nRemote == 0 ? *pTarget
                               : *m_doc.FindRemote(planned.plan.further[place.nRemote - 1].strName);
        const QString strName = FromName(planned.codes[nCode].strName);
        strReport += place.bReplaces ? QStringLiteral("Replaced the signal of %1 on %2.\n")
                                           .arg(strName, FromName(remote.m_strName))
                                     : QStringLiteral("Added %1 on %2, cell %3/%4.\n")
                                           .arg(strName, FromName(remote.m_strName))
                                           .arg(place.nColumn)
                                           .arg(place.nRow);
    }
    for (const SImportRow& row : planned.rows)
        if (row.bRefused)
            strReport += QStringLiteral("Left out %1: %2.\n").arg(row.strName, row.strFate);
    return strReport;
}

void ImportCodesInto(QWidget* pParent, CQuorbexDoc& doc, CInfraredDevice& device,
                     CSettings& settings)
{
    CCodeImportPlanner planner(doc, GetDisplayPeriod(device).dNanos);
    CImportCodesDlg dialog(planner, settings.m_strCodeLibrary, pParent);
    dialog.exec();
    settings.m_strCodeLibrary = dialog.GetLibrary();
}
