#pragma once

#include <QDialog>
#include <QStringList>

#include <vector>

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// One code of the file as the table shows it.
struct SImportRow
{
    QString strName;    // as it will be stored, or as the file has it when refused
    QString strSignal;  // "NEC address 0x04 command 0x08", or "raw"
    QString strCarrier; // "38 kHz"; empty when the file says none
    QString strFate;    // "new", "replaces", "goes to LG 2", "refused: ..."
    bool bRefused = false;
};

// What the person chose in the dialog, for the program behind it to plan and carry out.
struct SImportChoices
{
    QString strSource;  // the remote of the file, when it holds several
    QString strTarget;  // a remote of the document; empty for a new remote
    QString strNewName; // the new remote's name
    int nStyle = 0;     // the target's pad style
    std::vector<bool> chosen;
    std::vector<QString> names; // the name each code is to come in under
};

// The side of Import Codes that reads files and changes the document; the dialog only shows.
class CImportPlanner
{
public:
    virtual ~CImportPlanner() = default;
    // Reads the file; its remotes when it holds several. False with the reason.
    virtual bool ReadFile(const QString& strPath, QStringList& sources, QString& strError) = 0;
    // The file's codes of the chosen source, in order, with their names as the file gives them.
    virtual QStringList GetCodeNames(const QString& strSource) const = 0;
    // What would happen to each code; strProblem says why nothing can come in at all.
    virtual std::vector<SImportRow> Preview(const SImportChoices& choices,
                                            QString& strProblem) const = 0;
    // Brings the chosen codes in; the report of what happened, or why nothing did.
    virtual QString Import(const SImportChoices& choices) = 0;
    // The remotes of the document, and the style of one.
    virtual QStringList GetRemoteNames() const = 0;
    virtual int GetRemoteStyle(const QString& strRemote) const = 0;
};

// File > Import Codes: a file of codes (chosen, or found in a code library folder), a table of
// its codes that says what will happen to each, where the person picks, renames and chooses the
// target remote, and the report of what was done.
class CImportCodesDlg : public QDialog
{
    Q_OBJECT

public:
    CImportCodesDlg(CImportPlanner& planner, const QString& strLibrary, QWidget* pParent = nullptr);

    // Reads the file into the table, or says why it cannot.
    void OpenFile(const QString& strPath);
    // Lists the code files of the folder, for the search.
    void OpenLibrary(const QString& strFolder);
    QString GetLibrary() const { return m_strLibrary; }

private:
    QWidget* MakeFileRow();
    QWidget* MakeLibrary();
    QWidget* MakeTargetRow();
    void OnBrowse();
    void OnChooseLibrary();
    void OnSearch();
    void ShowLibrary();
    void OnSourceChanged();
    void OnTargetChanged();
    void FillTable();
    void UpdatePreview();
    void ShowEveryColumn();
    void OnImport();
    bool IsNewTarget() const;
    SImportChoices GetChoices() const;

    CImportPlanner& m_planner;
    QString m_strLibrary;
    QStringList m_libraryFiles; // relative to the library folder
    bool m_bFilling = false;
    QLineEdit* m_pFile = nullptr;
    QLineEdit* m_pLibraryFolder = nullptr;
    QLineEdit* m_pSearch = nullptr;
    QListWidget* m_pFound = nullptr;
    QFormLayout* m_pLibraryLayout = nullptr;
    QComboBox* m_pSource = nullptr;
    QComboBox* m_pTarget = nullptr;
    QLineEdit* m_pNewName = nullptr;
    QComboBox* m_pStyle = nullptr;
    QTableWidget* m_pCodes = nullptr;
    QLabel* m_pProblem = nullptr;
    QPlainTextEdit* m_pReport = nullptr;
    QPushButton* m_pImport = nullptr;
};

// The code files under strFolder (relative paths, sorted), at most nLimit of them.
QStringList ListCodeFiles(const QString& strFolder, int nLimit);

// The files whose path holds every word of strSearch, in any case: maker, model and file name
// are all in the path of a code collection ("TVs/LG/LG_AKB72915207.ir").
QStringList SearchCodeFiles(const QStringList& files, const QString& strSearch);
