#pragma once

#include "signal/ExchangeCode.h"
#include "ui/CImportCodesDlg.h"

#include <memory>
#include <string>
#include <vector>

class CInfraredDevice;
class CQuorbexDoc;
class CRemote;
class CSettings;
class QWidget;
struct SImportPlan;

// Plans and carries out Import Codes for its dialog, as --import does: new names become buttons
// on free cells of the target's pad, known ones take the new signal, and codes the pad has no
// room for go on into further remotes named after it. Each code the person picked is checked on
// its own; a refused one is said in its row and the others still come in.
class CCodeImportPlanner : public CImportPlanner
{
public:
    CCodeImportPlanner(CQuorbexDoc& doc, double dNanosPerSample);
    ~CCodeImportPlanner() override;

    bool ReadFile(const QString& strPath, QStringList& sources, QString& strError) override;
    QStringList GetCodeNames(const QString& strSource) const override;
    std::vector<SImportRow> Preview(const SImportChoices& choices,
                                    QString& strProblem) const override;
    QString Import(const SImportChoices& choices) override;
    QStringList GetRemoteNames() const override;
    int GetRemoteStyle(const QString& strRemote) const override;

private:
    struct SPlanned;

    std::vector<SExchangeCode> GetSourceCodes(const QString& strSource) const;
    bool Plan(const SImportChoices& choices, SPlanned& planned, QString& strProblem) const;
    const CRemote* FindTarget(const SImportChoices& choices, SPlanned& planned,
                              QString& strProblem) const;

    CQuorbexDoc& m_doc;
    double m_dNanos;
    std::vector<SExchangeCode> m_codes; // of the file read last
    bool m_bSeveralSources = false;
};

// File > Import Codes: the dialog, on the code library folder the settings keep.
void ImportCodesInto(QWidget* pParent, CQuorbexDoc& doc, CInfraredDevice& device,
                     CSettings& settings);
