#include "ui/CAddRemoteDlg.h"
#include "ui/CDeleteRemoteDlg.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace
{
CRemoteMap MakeRemotes(std::initializer_list<const char*> names)
{
    CRemoteMap remotes;
    int nMenuId = 0x8400;
    for (const char* pszName : names)
        remotes[pszName] = std::make_unique<CRemote>(pszName, 0, nMenuId++);
    return remotes;
}

// Types characters the way a keyboard layout with them would, also those beyond ASCII.
void TypeText(QWidget* pWidget, const QString& strText)
{
    for (const QChar ch : strText)
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(pWidget, &press);
    }
}

struct SNameCase
{
    const char* pszTyped;
    int nBackspaces;
    bool bOkEnabled;
    const char* pszProblem; // the start of the line under the field; null: none shown
};

class AddRemoteNameTest : public ::testing::TestWithParam<SNameCase>
{
};

// The name stays as typed, also with a character that a document cannot hold: the line under the
// field says what is wrong.
TEST_P(AddRemoteNameTest, OkIsOfferedOnlyForANewNameThatADocumentCanHold)
{
    const SNameCase& test = GetParam();
    const CRemoteMap remotes = MakeRemotes({"TV"});
    CAddRemoteDlg dlg(remotes);
    dlg.show();
    auto* pName = dlg.findChild<QLineEdit*>("name");
    TypeText(pName, QString::fromUtf8(test.pszTyped));
    for (int n = 0; n < test.nBackspaces; ++n)
        QTest::keyClick(pName, Qt::Key_Backspace);

    EXPECT_EQ(pName->text(), QString::fromUtf8(test.pszTyped).chopped(test.nBackspaces));
    EXPECT_EQ(dlg.findChild<QPushButton*>("ok")->isEnabled(), test.bOkEnabled);
    const auto* pProblem = dlg.findChild<QLabel*>("nameProblem");
    EXPECT_EQ(pProblem->isVisible(), test.pszProblem != nullptr);
    if (test.pszProblem)
    {
        EXPECT_TRUE(pProblem->text().startsWith(QString::fromUtf8(test.pszProblem)))
            << pProblem->text().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, AddRemoteNameTest,
    ::testing::Values(SNameCase{"", 0, false, nullptr}, SNameCase{"Amp", 0, true, nullptr},
                      SNameCase{"Amp", 3, false, nullptr},
                      SNameCase{"TV", 0, false, "TV:  A remote with this name"},
                      SNameCase{"tv", 0, true, nullptr},
                      SNameCase{"TVs", 1, false, "TV:  A remote with this name"},
                      SNameCase{"   ", 0, false, "A name of only spaces"},
                      SNameCase{"Living room left", 0, false,
                                "Remote names can have up to 15 "
                                "characters; this one has 16."},
                      SNameCase{"Living room left", 1, true, nullptr},
                      SNameCase{"\u0141azienka", 0, false, "\u201c\u0141\u201d cannot be stored"}));

TEST(AddRemoteDlgTest, EnterAddsOnlyOnceANameIsTyped)
{
    const CRemoteMap remotes;
    CAddRemoteDlg dlg(remotes);
    dlg.show();
    dlg.findChild<QComboBox*>("style")->setCurrentIndex(7);
    auto* pName = dlg.findChild<QLineEdit*>("name");

    QTest::keyClick(pName, Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());

    // Fifteen characters at most, in the document's code page.
    TypeText(pName, QString::fromUtf8("Caf\u00e9 \u20ac 34567890A"));
    QTest::keyClick(pName, Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    QTest::keyClick(pName, Qt::Key_Backspace);
    QTest::keyClick(pName, Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.GetName(), "Caf\xe9 \x80 34567890");
    EXPECT_EQ(dlg.GetStyle(), 7);
}

TEST(DeleteRemoteDlgTest, ListsSortedNamesWithTheFirstChosen)
{
    const CRemoteMap remotes = MakeRemotes({"TV", "Amp", "VCR", "amp"});
    CDeleteRemoteDlg dlg(remotes);
    dlg.show();
    const auto* pList = dlg.findChild<QComboBox*>("name");
    QStringList names;
    for (int n = 0; n < pList->count(); ++n)
        names << pList->itemText(n);
    EXPECT_EQ(names, (QStringList{"Amp", "amp", "TV", "VCR"}));
    EXPECT_EQ(pList->currentText(), "Amp");

    QTest::mouseClick(dlg.findChild<QPushButton*>("ok"), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.GetName(), "Amp");
}

TEST(DeleteRemoteDlgTest, EnterCancels)
{
    const CRemoteMap remotes = MakeRemotes({"TV"});
    CDeleteRemoteDlg dlg(remotes);
    dlg.show();
    QTest::keyClick(dlg.findChild<QComboBox*>("name"), Qt::Key_Return);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(dlg.GetName(), "");
}
} // namespace
