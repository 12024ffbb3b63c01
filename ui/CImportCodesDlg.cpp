#include "ui/CImportCodesDlg.h"

#include "base/DocumentConstants.h"
#include "ui/DialogParts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace
{
enum EColumn : int
{
    kColumnName,
    kColumnSignal,
    kColumnCarrier,
    kColumnFate,
    kColumnCount,
};

// The names code collections give their files: .ir files, and LIRC's remote files, which end
// in .conf or .lircd, carry no ending at all under a remotes folder, or, as Debian ships them,
// are named lircd.conf.MODEL.
bool IsCodeFileName(const QString& strName)
{
    return strName.endsWith(QStringLiteral(".ir")) || strName.endsWith(QStringLiteral(".conf")) ||
           strName.endsWith(QStringLiteral(".lircd")) || !strName.contains(QLatin1Char('.')) ||
           strName.startsWith(QStringLiteral("lircd.conf."));
}

QPushButton* MakeButton(const QString& strText, const char* pszName)
{
    auto* pButton = new QPushButton(strText);
    pButton->setObjectName(QString::fromLatin1(pszName));
    pButton->setAutoDefault(false);
    return pButton;
}

QLineEdit* MakeLineEdit(const char* pszName, const QString& strPlaceholder)
{
    auto* pField = new QLineEdit;
    pField->setObjectName(QString::fromLatin1(pszName));
    pField->setPlaceholderText(strPlaceholder);
    return pField;
}

// A row of controls without margins of its own, in the dialog's column.
QHBoxLayout* MakeRow(QWidget*& pRow)
{
    pRow = new QWidget;
    auto* pLayout = new QHBoxLayout(pRow);
    pLayout->setContentsMargins(0, 0, 0, 0);
    return pLayout;
}

// A path under the person's home folder as a shell writes it, "~/ir-codes/TVs/LG/LG.ir", and
// back: the fields are narrow and the home folder says nothing.
QString ShowPath(const QString& strPath)
{
    const QString strHome = QDir::homePath() + QLatin1Char('/');
    return strPath.startsWith(strHome) ? QStringLiteral("~/") + strPath.mid(strHome.size())
                                       : strPath;
}

QString ReadPath(const QString& strText)
{
    return strText.startsWith(QStringLiteral("~/")) ? QDir::homePath() + strText.mid(1) : strText;
}

QTableWidgetItem* MakeItem(const QString& strText, bool bEditable)
{
    auto* pItem = new QTableWidgetItem(strText);
    pItem->setFlags(bEditable ? pItem->flags() | Qt::ItemIsEditable
                              : pItem->flags() & ~Qt::ItemIsEditable);
    return pItem;
}
} // namespace

QStringList ListCodeFiles(const QString& strFolder, int nLimit)
{
    QStringList files;
    const QDir folder(strFolder);
    QDirIterator it(strFolder, QDir::Files | QDir::Readable, QDirIterator::Subdirectories);
    while (it.hasNext() && files.size() < nLimit)
    {
        it.next();
        if (IsCodeFileName(it.fileName()))
            files.append(folder.relativeFilePath(it.filePath()));
    }
    files.sort(Qt::CaseInsensitive);
    return files;
}

QStringList SearchCodeFiles(const QStringList& files, const QString& strSearch)
{
    const QStringList words = strSearch.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList found;
    for (const QString& strFile : files)
        if (std::all_of(words.begin(), words.end(),
                        [&strFile](const QString& strWord)
                        { return strFile.contains(strWord, Qt::CaseInsensitive); }))
            found.append(strFile);
    return found;
}

CImportCodesDlg::CImportCodesDlg(CImportPlanner& planner, const QString& strLibrary,
                                 QWidget* pParent)
    : QDialog(pParent), m_planner(planner)
{
    setObjectName(QStringLiteral("importCodes"));
    setWindowTitle(QStringLiteral("Import Codes"));
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(MakeFileRow());
    pLayout->addWidget(MakeLibrary());
    pLayout->addWidget(MakeTargetRow());
    m_pCodes = new QTableWidget(0, kColumnCount);
    m_pCodes->setObjectName(QStringLiteral("codes"));
    m_pCodes->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Signal"),
                                         QStringLiteral("Carrier"),
                                         QStringLiteral("What happens")});
    m_pCodes->horizontalHeader()->setStretchLastSection(true);
    m_pCodes->verticalHeader()->hide();
    // On a small screen the dialog scrolls rather than squeeze the table to a row or two.
    constexpr int kRowsAlwaysShown = 6;
    m_pCodes->setMinimumHeight(m_pCodes->horizontalHeader()->sizeHint().height() +
                               kRowsAlwaysShown * m_pCodes->verticalHeader()->defaultSectionSize());
    connect(m_pCodes, &QTableWidget::itemChanged, this, &CImportCodesDlg::UpdatePreview);
    pLayout->addWidget(m_pCodes, 3);
    m_pProblem = new QLabel;
    m_pProblem->setObjectName(QStringLiteral("problem"));
    m_pProblem->setWordWrap(true);
    pLayout->addWidget(m_pProblem);
    m_pReport = new QPlainTextEdit;
    m_pReport->setObjectName(QStringLiteral("report"));
    m_pReport->setReadOnly(true);
    m_pReport->setPlaceholderText(QStringLiteral("What the import did shows here."));
    pLayout->addWidget(m_pReport, 1);
    auto* pButtons = new QDialogButtonBox;
    m_pImport = MakeButton(QStringLiteral("&Import"), "import");
    m_pImport->setEnabled(false);
    pButtons->addButton(m_pImport, QDialogButtonBox::ActionRole);
    QPushButton* pClose = MakeButton(QStringLiteral("Close"), "close");
    pButtons->addButton(pClose, QDialogButtonBox::RejectRole);
    connect(m_pImport, &QPushButton::clicked, this, &CImportCodesDlg::OnImport);
    connect(pClose, &QPushButton::clicked, this, &QDialog::reject);
    pLayout->addWidget(pButtons);
    if (!strLibrary.isEmpty())
        OpenLibrary(strLibrary);
    OnTargetChanged();
    FitOnScreen(*this, pButtons);
}

QWidget* CImportCodesDlg::MakeFileRow()
{
    QWidget* pRow = nullptr;
    QHBoxLayout* pLayout = MakeRow(pRow);
    m_pFile = MakeLineEdit("file", QStringLiteral("a file of codes: .ir, LIRC, Pronto or typed"));
    auto* pLabel = new QLabel(QStringLiteral("&File:"));
    pLabel->setBuddy(m_pFile);
    QPushButton* pBrowse = MakeButton(QStringLiteral("&Browse..."), "browse");
    connect(pBrowse, &QPushButton::clicked, this, &CImportCodesDlg::OnBrowse);
    connect(m_pFile, &QLineEdit::returnPressed, this,
            [this] { OpenFile(ReadPath(m_pFile->text())); });
    m_pSource = new QComboBox;
    m_pSource->setObjectName(QStringLiteral("source"));
    m_pSource->setVisible(false);
    connect(m_pSource, &QComboBox::currentIndexChanged, this, &CImportCodesDlg::OnSourceChanged);
    pLayout->addWidget(pLabel);
    pLayout->addWidget(m_pFile, 1);
    pLayout->addWidget(pBrowse);
    pLayout->addWidget(m_pSource);
    return pRow;
}

QWidget* CImportCodesDlg::MakeLibrary()
{
    auto* pBox = new QWidget;
    auto* pLayout = new QFormLayout(pBox);
    m_pLibraryLayout = pLayout;
    pLayout->setContentsMargins(0, 0, 0, 0);
    auto* pFolderRow = new QHBoxLayout;
    m_pLibraryFolder = MakeLineEdit(
        "libraryFolder",
        QStringLiteral("a folder of .ir files or LIRC remotes, e.g. /usr/share/lirc/remotes"));
    m_pLibraryFolder->setReadOnly(true);
    QPushButton* pChoose = MakeButton(QStringLiteral("C&hoose..."), "chooseLibrary");
    connect(pChoose, &QPushButton::clicked, this, &CImportCodesDlg::OnChooseLibrary);
    pFolderRow->addWidget(m_pLibraryFolder, 1);
    pFolderRow->addWidget(pChoose);
    pLayout->addRow(QStringLiteral("Code &library:"), pFolderRow);
    qobject_cast<QLabel*>(pLayout->labelForField(pFolderRow))->setBuddy(m_pLibraryFolder);
    m_pSearch = MakeLineEdit("search", QStringLiteral("maker, model or file name"));
    connect(m_pSearch, &QLineEdit::textChanged, this, &CImportCodesDlg::OnSearch);
    pLayout->addRow(QStringLiteral("&Search:"), m_pSearch);
    m_pFound = new QListWidget;
    m_pFound->setObjectName(QStringLiteral("found"));
    m_pFound->setMaximumHeight(fontMetrics().height() * 6);
    connect(m_pFound, &QListWidget::currentTextChanged, this,
            [this](const QString& strFile)
            {
                if (!strFile.isEmpty())
                    OpenFile(QDir(m_strLibrary).filePath(strFile));
            });
    pLayout->addRow(m_pFound);
    ShowLibrary();
    return pBox;
}

QWidget* CImportCodesDlg::MakeTargetRow()
{
    QWidget* pRow = nullptr;
    QHBoxLayout* pLayout = MakeRow(pRow);
    m_pTarget = new QComboBox;
    m_pTarget->setObjectName(QStringLiteral("target"));
    m_pTarget->addItems(m_planner.GetRemoteNames());
    m_pTarget->addItem(QStringLiteral("New remote"));
    auto* pLabel = new QLabel(QStringLiteral("In&to:"));
    pLabel->setBuddy(m_pTarget);
    m_pNewName = MakeLineEdit("newName", QStringLiteral("name of the new remote"));
    m_pNewName->setMaxLength(static_cast<int>(kMaxRemoteName));
    m_pStyle = new QComboBox;
    m_pStyle->setObjectName(QStringLiteral("style"));
    for (const SRemoteStyle& style : kRemoteStyles)
        m_pStyle->addItem(QString::fromLatin1(style.pszText));
    connect(m_pTarget, &QComboBox::currentIndexChanged, this, &CImportCodesDlg::OnTargetChanged);
    connect(m_pNewName, &QLineEdit::textChanged, this, &CImportCodesDlg::UpdatePreview);
    connect(m_pStyle, &QComboBox::currentIndexChanged, this, &CImportCodesDlg::UpdatePreview);
    pLayout->addWidget(pLabel);
    pLayout->addWidget(m_pTarget);
    pLayout->addWidget(m_pNewName, 1);
    pLayout->addWidget(m_pStyle);
    return pRow;
}

void CImportCodesDlg::OpenFile(const QString& strPath)
{
    m_pFile->setText(ShowPath(strPath));
    m_pReport->clear();
    QStringList sources;
    QString strError;
    const bool bRead = m_planner.ReadFile(strPath, sources, strError);
    {
        const QSignalBlocker blocker(m_pSource);
        m_pSource->clear();
        m_pSource->addItems(sources);
    }
    m_pSource->setVisible(sources.size() > 1);
    if (!bRead)
    {
        m_pCodes->setRowCount(0);
        m_pImport->setEnabled(false);
        m_pProblem->setText(strError);
        return;
    }
    FillTable();
}

void CImportCodesDlg::OpenLibrary(const QString& strFolder)
{
    // A whole collection has some tens of thousands of files; more is not a code library.
    constexpr int kMaxLibraryFiles = 100000;
    m_strLibrary = strFolder;
    m_pLibraryFolder->setText(ShowPath(strFolder));
    m_libraryFiles = ListCodeFiles(strFolder, kMaxLibraryFiles);
    ShowLibrary();
    OnSearch();
}

void CImportCodesDlg::OnBrowse()
{
    const QString strPath = QFileDialog::getOpenFileName(
        this, QStringLiteral("Import Codes"), ReadPath(m_pFile->text()),
        QStringLiteral("Codes (*.ir *.conf *.lircd *.txt);;All Files (*)"));
    if (!strPath.isEmpty())
        OpenFile(strPath);
}

void CImportCodesDlg::OnChooseLibrary()
{
    const QString strFolder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Code Library"), m_strLibrary);
    if (!strFolder.isEmpty())
        OpenLibrary(strFolder);
}

void CImportCodesDlg::OnSearch()
{
    // Listing every file of a large collection while nothing is typed would say nothing.
    constexpr int kMaxShown = 500;
    const QStringList found = SearchCodeFiles(m_libraryFiles, m_pSearch->text());
    const QSignalBlocker blocker(m_pFound);
    m_pFound->clear();
    m_pFound->addItems(found.mid(0, kMaxShown));
}

// The search and its list show once there is a library to search.
void CImportCodesDlg::ShowLibrary()
{
    const bool bLibrary = !m_strLibrary.isEmpty();
    m_pLibraryLayout->setRowVisible(m_pSearch, bLibrary);
    m_pLibraryLayout->setRowVisible(m_pFound, bLibrary);
}

void CImportCodesDlg::OnSourceChanged()
{
    FillTable();
}

void CImportCodesDlg::OnTargetChanged()
{
    const bool bNew = IsNewTarget();
    m_pNewName->setVisible(bNew);
    const QSignalBlocker blocker(m_pStyle);
    m_pStyle->setCurrentIndex(bNew ? 0 : m_planner.GetRemoteStyle(m_pTarget->currentText()));
    UpdatePreview();
}

// A row for each code of the chosen source, every one picked, under the file's name.
void CImportCodesDlg::FillTable()
{
    const QStringList names = m_planner.GetCodeNames(m_pSource->currentText());
    m_bFilling = true;
    m_pCodes->setRowCount(static_cast<int>(names.size()));
    for (int nRow = 0; nRow < names.size(); ++nRow)
    {
        QTableWidgetItem* pName = MakeItem(names[nRow], true);
        pName->setFlags(pName->flags() | Qt::ItemIsUserCheckable);
        pName->setCheckState(Qt::Checked);
        m_pCodes->setItem(nRow, kColumnName, pName);
        for (int nColumn = kColumnSignal; nColumn < kColumnCount; ++nColumn)
            m_pCodes->setItem(nRow, nColumn, MakeItem(QString(), false));
    }
    m_bFilling = false;
    UpdatePreview();
    ShowEveryColumn();
}

// The columns take their texts' width, and the dialog grows, as far as the screen has room,
// until the table shows every column whole: "What happens" is the column the person reads
// before importing.
void CImportCodesDlg::ShowEveryColumn()
{
    // The last column stretches over the room left; measured, it takes its texts' width.
    QHeaderView& header = *m_pCodes->horizontalHeader();
    header.setStretchLastSection(false);
    m_pCodes->resizeColumnsToContents();
    const int nWanted = header.length() + m_pCodes->verticalScrollBar()->sizeHint().width() +
                        2 * m_pCodes->frameWidth();
    header.setStretchLastSection(true);
    GrowWider(*this, nWanted - m_pCodes->width());
}

// "New remote" is the last entry of the target list.
bool CImportCodesDlg::IsNewTarget() const
{
    return m_pTarget->currentIndex() == m_pTarget->count() - 1;
}

SImportChoices CImportCodesDlg::GetChoices() const
{
    SImportChoices choices;
    choices.strSource = m_pSource->currentText();
    choices.strTarget = IsNewTarget() ? QString() : m_pTarget->currentText();
    choices.strNewName = m_pNewName->text();
    choices.nStyle = m_pStyle->currentIndex();
    for (int nRow = 0; nRow < m_pCodes->rowCount(); ++nRow)
    {
        const QTableWidgetItem* pName = m_pCodes->item(nRow, kColumnName);
        choices.chosen.push_back(pName->checkState() == Qt::Checked);
        choices.names.push_back(pName->data(Qt::EditRole).toString());
    }
    return choices;
}

// Every column but the name shows what the program makes of the choices; the name column shows
// the name a code will be stored under, which the person may change.
void CImportCodesDlg::UpdatePreview()
{
    if (m_bFilling || !m_pCodes)
        return;
    QString strProblem;
    const std::vector<SImportRow> rows = m_planner.Preview(GetChoices(), strProblem);
    m_bFilling = true;
    bool bAny = false;
    for (std::size_t nRow = 0; nRow < rows.size(); ++nRow)
    {
        const SImportRow& row = rows[nRow];
        const int nAt = static_cast<int>(nRow);
        m_pCodes->item(nAt, kColumnName)->setToolTip(row.strName);
        m_pCodes->item(nAt, kColumnSignal)->setText(row.strSignal);
        m_pCodes->item(nAt, kColumnCarrier)->setText(row.strCarrier);
        m_pCodes->item(nAt, kColumnFate)->setText(row.strFate);
        m_pCodes->item(nAt, kColumnFate)->setToolTip(row.strFate);
        m_pCodes->item(nAt, kColumnFate)
            ->setForeground(row.bRefused ? palette().brush(QPalette::Disabled, QPalette::Text)
                                         : palette().brush(QPalette::Text));
        bAny = bAny ||
               (!row.bRefused && m_pCodes->item(nAt, kColumnName)->checkState() == Qt::Checked);
    }
    m_bFilling = false;
    m_pProblem->setText(strProblem);
    m_pImport->setEnabled(bAny && strProblem.isEmpty());
}

void CImportCodesDlg::OnImport()
{
    m_pReport->setPlainText(m_planner.Import(GetChoices()));
    // A new remote is now one of the document's; the table says what a second import would do.
    const QString strNew = m_pNewName->text();
    if (IsNewTarget() && m_planner.GetRemoteNames().contains(strNew))
    {
        const QSignalBlocker blocker(m_pTarget);
        m_pTarget->clear();
        m_pTarget->addItems(m_planner.GetRemoteNames());
        m_pTarget->addItem(QStringLiteral("New remote"));
        m_pTarget->setCurrentText(strNew);
        m_pNewName->setVisible(false);
    }
    UpdatePreview();
}
