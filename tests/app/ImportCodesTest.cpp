#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "app/CSettings.h"
#include "document/CQuorbexDoc.h"
#include "support/CTempFolder.h"
#include "ui/CDialogDriver.h"
#include "ui/CImportCodesDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace
{
const QString kImports = QStringLiteral(QUORBIT_FIXTURES "/import/");

// The columns of the codes table.
constexpr int kName = 0;
constexpr int kSignal = 1;
constexpr int kFate = 3;

// File > Import Codes, worked as a person works it, with the dialog's state read in act.
class ImportCodesTest : public CAppFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start()); }

    // Runs File > Import Codes; act works the dialog, which is closed afterwards.
    void RunImport(const std::function<void(CImportCodesDlg&)>& act)
    {
        bool bActed = false;
        WhenDialogOpens(
            [&](QDialog& dialog)
            {
                auto* pImport = qobject_cast<CImportCodesDlg*>(&dialog);
                if (pImport)
                    act(*pImport);
                bActed = pImport != nullptr;
                dialog.reject();
            });
        Frame().OnCommand(CMainFrame::kCmdImport);
        EXPECT_TRUE(bActed) << "Import Codes did not open";
    }

    static QTableWidget& Table(const CImportCodesDlg& dialog)
    {
        return CDialogDriver(dialog).Find<QTableWidget>("codes");
    }

    static QString Cell(const CImportCodesDlg& dialog, int nRow, int nColumn)
    {
        const QTableWidgetItem* pItem = Table(dialog).item(nRow, nColumn);
        return pItem ? pItem->text() : QStringLiteral("(none)");
    }

    // The rows whose fate starts so ("goes to LG 2" also counts "goes to LG 2, renamed ...").
    static int CountFates(const CImportCodesDlg& dialog, const QString& strFate)
    {
        int nCount = 0;
        for (int nRow = 0; nRow < Table(dialog).rowCount(); ++nRow)
            nCount += Cell(dialog, nRow, kFate).startsWith(strFate) ? 1 : 0;
        return nCount;
    }

    static QString Report(const CImportCodesDlg& dialog)
    {
        return CDialogDriver(dialog).Find<QPlainTextEdit>("report").toPlainText();
    }

    static void PressImport(const CImportCodesDlg& dialog)
    {
        auto& import = CDialogDriver(dialog).Find<QPushButton>("import");
        ASSERT_TRUE(import.isEnabled());
        import.click();
    }

    std::size_t CountButtons(const std::string& strRemote) const
    {
        const CRemote* pRemote = Doc().FindRemote(strRemote);
        return pRemote ? pRemote->m_buttons.size() : 0;
    }
};

// The table shows all 135 codes of the LIRC remote before anything changes: the first 75 new on
// LG, the rest going to LG 2; the import does so and the report stays in the window.
TEST_F(ImportCodesTest, ALircRemoteOfManyButtonsIsPreviewedThenSplit)
{
    ASSERT_NE(Doc().AddRemote("LG", 0), nullptr);
    RunImport(
        [this](CImportCodesDlg& dialog)
        {
            dialog.OpenFile(kImports + "big-remote.lircd.conf");
            ASSERT_EQ(Table(dialog).rowCount(), 135);
            EXPECT_EQ(Cell(dialog, 0, kName), "KEY_POWER");
            EXPECT_EQ(Cell(dialog, 0, kSignal), "NEC address 0x04 command 0x00");
            EXPECT_EQ(CountFates(dialog, "new"), 75);
            EXPECT_EQ(CountFates(dialog, "goes to LG 2"), 60);
            EXPECT_EQ(Cell(dialog, 75, kFate), "goes to LG 2");
            // The dialog grew to show every column, "What happens" whole.
            const QTableWidget& table = Table(dialog);
            QApplication::processEvents();
            EXPECT_GT(table.columnWidth(kFate),
                      table.fontMetrics().horizontalAdvance(Cell(dialog, 75, kFate)));
            EXPECT_FALSE(table.horizontalScrollBar()->isVisible());
            EXPECT_EQ(CountButtons("LG"), 0u) << "the preview changed the document";
            PressImport(dialog);
            const QString strReport = Report(dialog);
            EXPECT_TRUE(strReport.startsWith("Made the remote LG 2 for the codes LG has no room "
                                             "for.\nAdded KEY_POWER on LG, cell 0/0.\n"))
                << strReport.toStdString();
            EXPECT_TRUE(strReport.contains("Added KEY_TWEN on LG 2, cell 4/11.\n"));
            // Once in, a second import would replace what the first brought.
            EXPECT_EQ(Cell(dialog, 0, kFate), "replaces");
        });
    EXPECT_EQ(CountButtons("LG"), 75u);
    EXPECT_EQ(CountButtons("LG 2"), 60u);
    EXPECT_TRUE(Doc().IsModified());
}

// Every second code of a name comes in renamed, and the row says so.
TEST_F(ImportCodesTest, RepeatedNamesOfAnIrFileAreShownRenamed)
{
    ASSERT_NE(Doc().AddRemote("LG", 0), nullptr);
    RunImport(
        [this](CImportCodesDlg& dialog)
        {
            dialog.OpenFile(kImports + "repeated-names.ir");
            ASSERT_EQ(Table(dialog).rowCount(), 80);
            EXPECT_EQ(Cell(dialog, 40, kName), "KEY_POWER");
            EXPECT_EQ(Cell(dialog, 40, kFate), "new, renamed KEY_POWER 2");
            EXPECT_EQ(Cell(dialog, 79, kFate), "goes to LG 2, renamed KEY_X 2");
            PressImport(dialog);
            EXPECT_TRUE(Report(dialog).contains("Added KEY_POWER 2 on LG, cell 0/8.\n"))
                << Report(dialog).toStdString();
        });
    EXPECT_EQ(CountButtons("LG"), 75u);
    EXPECT_EQ(CountButtons("LG 2"), 5u);
}

// In a document without remotes Import Codes makes the first, under the name given.
TEST_F(ImportCodesTest, MakesTheFirstRemote)
{
    ASSERT_TRUE(Doc().m_pRemotes->empty());
    ASSERT_TRUE(Frame().IsCommandEnabled(CMainFrame::kCmdImport));
    const QString strCodes = WriteTempFile("codes.txt", "Up NEC 0x30 5\nDown NEC 0x30 6\n");
    RunImport(
        [&](CImportCodesDlg& dialog)
        {
            const CDialogDriver driver(dialog);
            dialog.OpenFile(strCodes);
            EXPECT_EQ(driver.Text("target"), "New remote");
            EXPECT_TRUE(Cell(dialog, 0, kFate).isEmpty()) << Cell(dialog, 0, kFate).toStdString();
            EXPECT_EQ(driver.Text("problem"), "Give the new remote a name.");
            driver.Type("newName", "Bedroom");
            EXPECT_EQ(Cell(dialog, 0, kFate), "new");
            PressImport(dialog);
            EXPECT_TRUE(Report(dialog).startsWith("Made the remote Bedroom.\n"));
            EXPECT_EQ(driver.Text("target"), "Bedroom");
        });
    EXPECT_EQ(CountButtons("Bedroom"), 2u);
}

// Each code is picked, renamed or refused on its own: a refusal names its reason (a bad name its
// character) in its row, and the codes beside it still come in.
TEST_F(ImportCodesTest, CodesArePickedRenamedAndRefusedOneByOne)
{
    CRemote& tv = AddRemoteWithButton("TV");
    ASSERT_NE(Doc().AddButton(tv, "Movie", "", true), nullptr);
    const QString strCodes = WriteTempFile(
        "codes.txt", "Up NEC 1 2\nMovie NEC 1 3\nDown NEC 1 4\nLeft NEC 1 5\nPower NEC 1 6\n");
    RunImport(
        [&](CImportCodesDlg& dialog)
        {
            dialog.OpenFile(strCodes);
            QTableWidget& table = Table(dialog);
            ASSERT_EQ(table.rowCount(), 5);
            EXPECT_EQ(Cell(dialog, 1, kFate),
                      "refused: Movie is a megabutton of TV, which plays other buttons and takes "
                      "no signal");
            EXPECT_EQ(Cell(dialog, 4, kFate), "replaces");
            table.item(2, kName)->setText(QString::fromUtf8("Ωmega"));
            EXPECT_EQ(Cell(dialog, 2, kFate),
                      QString::fromUtf8("refused: the name holds \"Ω\" (U+03A9), which documents "
                                        "cannot store (they keep names in Windows-1252)"));
            table.item(3, kName)->setText("West");
            EXPECT_EQ(Cell(dialog, 3, kFate), "new");
            table.item(4, kName)->setCheckState(Qt::Unchecked);
            EXPECT_EQ(Cell(dialog, 4, kFate), "left out");
            PressImport(dialog);
            EXPECT_TRUE(Report(dialog).contains("Left out Movie: refused: Movie is a megabutton"))
                << Report(dialog).toStdString();
        });
    EXPECT_NE(tv.FindButton("Up"), nullptr);
    EXPECT_NE(tv.FindButton("West"), nullptr);
    EXPECT_EQ(tv.FindButton("Left"), nullptr);
    EXPECT_EQ(tv.FindButton("Down"), nullptr);
    EXPECT_EQ(tv.FindButton("Power")->m_bits.GetLength(), 4u) << "a left-out code came in";
}

// A file of several remotes shows one at a time; the remote chosen is the one that comes in.
TEST_F(ImportCodesTest, TheRemoteOfTheFileIsChosen)
{
    CRemote& tv = AddRemoteWithButton("TV");
    const QString strCodes =
        WriteTempFile("two.conf", "begin remote\nname A\nbegin raw_codes\nname X\n900 900 900\n"
                                  "name Y\n900 900 900\nend raw_codes\nend remote\n"
                                  "begin remote\nname B\nbegin raw_codes\nname Z\n900 900 900\n"
                                  "end raw_codes\nend remote\n");
    RunImport(
        [&](CImportCodesDlg& dialog)
        {
            dialog.OpenFile(strCodes);
            auto& source = CDialogDriver(dialog).Find<QComboBox>("source");
            EXPECT_FALSE(source.isHidden());
            ASSERT_EQ(source.count(), 2);
            EXPECT_EQ(Table(dialog).rowCount(), 2);
            source.setCurrentIndex(1);
            ASSERT_EQ(Table(dialog).rowCount(), 1);
            EXPECT_EQ(Cell(dialog, 0, kName), "Z");
            EXPECT_EQ(Cell(dialog, 0, kSignal), "raw");
            PressImport(dialog);
        });
    EXPECT_NE(tv.FindButton("Z"), nullptr);
    EXPECT_EQ(tv.FindButton("X"), nullptr);
}

// A file that is no file of codes says what it is not, before any row is shown.
TEST_F(ImportCodesTest, AFileThatIsNoFileOfCodesSaysSo)
{
    AddRemoteWithButton("TV");
    QByteArray noise;
    for (int nByte = 0; nByte < 512; ++nByte)
        noise.append(static_cast<char>((nByte * 151 + 7) % 256));
    const std::pair<QString, QByteArray> cases[] = {
        {"remote.ir", "Power NEC 1 2\n"},
        {"remote.ir", noise},
        {"codes.txt", noise},
    };
    for (const auto& [strName, bytes] : cases)
    {
        const QString strPath = WriteTempFile(strName, bytes);
        RunImport(
            [&](CImportCodesDlg& dialog)
            {
                dialog.OpenFile(strPath);
                const QString strProblem = CDialogDriver(dialog).Text("problem");
                EXPECT_EQ(Table(dialog).rowCount(), 0);
                EXPECT_TRUE(strProblem.startsWith(strPath + ": is not a"))
                    << strProblem.toStdString();
                EXPECT_FALSE(strProblem.contains("NAME PROTOCOL")) << strProblem.toStdString();
            });
    }
}

// The code library: the folder is searched by maker, model and file name, a file found is
// previewed in the table, and the folder is kept in the settings for the next time.
TEST_F(ImportCodesTest, TheCodeLibraryIsSearchedPreviewedAndRemembered)
{
    AddRemoteWithButton("TV");
    const CTempFolder library;
    std::filesystem::create_directories(library.File("TVs/LG"));
    std::filesystem::create_directories(library.File("remotes/samsung"));
    std::filesystem::copy_file(kImports.toStdString() + "repeated-names.ir",
                               library.File("TVs/LG/LG_42LB650V.ir"));
    std::filesystem::copy_file(kImports.toStdString() + "big-remote.lircd.conf",
                               library.File("remotes/samsung/BN59-00940A.lircd.conf"));
    // As Debian's lirc-compat-remotes names its files.
    std::filesystem::create_directories(library.File("remotes/apple"));
    std::filesystem::copy_file(kImports.toStdString() + "big-remote.lircd.conf",
                               library.File("remotes/apple/lircd.conf.macmini"));
    std::ofstream(library.File("TVs/LG/README.md")) << "not codes\n";
    App().GetSettings().m_strCodeLibrary = QString::fromStdString(library.File(""));
    RunImport(
        [](CImportCodesDlg& dialog)
        {
            const CDialogDriver driver(dialog);
            auto& found = driver.Find<QListWidget>("found");
            EXPECT_EQ(found.count(), 3);
            driver.Type("search", "apple");
            ASSERT_EQ(found.count(), 1);
            EXPECT_EQ(found.item(0)->text(), "remotes/apple/lircd.conf.macmini");
            driver.Type("search", "lg 42");
            ASSERT_EQ(found.count(), 1);
            EXPECT_EQ(found.item(0)->text(), "TVs/LG/LG_42LB650V.ir");
            driver.Type("search", "SAMSUNG bn59");
            ASSERT_EQ(found.count(), 1);
            found.setCurrentRow(0);
            EXPECT_EQ(Table(dialog).rowCount(), 135);
            EXPECT_TRUE(driver.Find<QLineEdit>("file").text().endsWith("BN59-00940A.lircd.conf"));
        });
    const std::string strKept = LoadSettings().m_strCodeLibrary.toStdString();
    EXPECT_TRUE(std::filesystem::equivalent(strKept, library.File(""))) << strKept;
}

// Paths under the home folder show as a shell writes them, and one typed so opens: a "~/" the
// dialog showed but could not read back would leave the person a field that lies.
TEST_F(ImportCodesTest, PathsUnderTheHomeFolderShowFromTilde)
{
    const CTempFolder home;
    const QByteArray strOldHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(home.File("")));
    std::filesystem::create_directories(home.File("ir-codes/TVs/LG"));
    std::filesystem::copy_file(kImports.toStdString() + "repeated-names.ir",
                               home.File("ir-codes/TVs/LG/LG_42LB650V.ir"));
    App().GetSettings().m_strCodeLibrary = QString::fromStdString(home.File("ir-codes"));
    RunImport(
        [](CImportCodesDlg& dialog)
        {
            const CDialogDriver driver(dialog);
            EXPECT_EQ(driver.Find<QLineEdit>("libraryFolder").text(), "~/ir-codes");
            driver.Find<QListWidget>("found").setCurrentRow(0);
            EXPECT_EQ(driver.Find<QLineEdit>("file").text(), "~/ir-codes/TVs/LG/LG_42LB650V.ir");
            const int nCodes = Table(dialog).rowCount();
            EXPECT_GT(nCodes, 0);
            driver.Type("file", "~/ir-codes/TVs/LG/LG_42LB650V.ir");
            Table(dialog).setRowCount(0);
            QTest::keyClick(&driver.Find<QLineEdit>("file"), Qt::Key_Return);
            EXPECT_EQ(Table(dialog).rowCount(), nCodes);
        });
    qputenv("HOME", strOldHome);
}

// Each Alt+letter of the dialog, the library's rows shown, reaches one field or button: "Into"
// and "Import" once shared the I.
TEST_F(ImportCodesTest, EveryMnemonicIsUsedOnce)
{
    App().GetSettings().m_strCodeLibrary = kImports;
    RunImport(
        [](CImportCodesDlg& dialog)
        {
            std::vector<QKeySequence> keys;
            for (const QLabel* pLabel : dialog.findChildren<QLabel*>())
                keys.push_back(QKeySequence::mnemonic(pLabel->text()));
            for (const QAbstractButton* pButton : dialog.findChildren<QAbstractButton*>())
                keys.push_back(QKeySequence::mnemonic(pButton->text()));
            std::erase(keys, QKeySequence());
            // File, browse, choose, code library, search, into, import.
            EXPECT_EQ(keys.size(), 7u);
            std::sort(keys.begin(), keys.end());
            EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end())
                << std::adjacent_find(keys.begin(), keys.end())->toString().toStdString();
        });
}

// The search takes every word, in any case, anywhere in the path.
TEST(CodeLibrarySearchTest, EveryWordMatchesSomewhereInThePath)
{
    const QStringList files = {"TVs/LG/LG_42LB650V.ir", "TVs/Samsung/UE40.ir",
                               "remotes/lg/AKB72915207.lircd.conf"};
    const std::pair<QString, QStringList> cases[] = {
        {"", files},  {"lg", {files[0], files[2]}}, {"LG akb", {files[2]}}, {"tvs 40", {files[1]}},
        {"sony", {}},
    };
    for (const auto& [strSearch, expected] : cases)
        EXPECT_EQ(SearchCodeFiles(files, strSearch), expected) << strSearch.toStdString();
}
} // namespace
