// The window tests' own main: one QApplication on the offscreen platform for every test, with
// the settings and the desktop registration kept in a folder of their own, message boxes and
// file choosers answered from scripts, and one fixed locale for the texts.
#include "app/CFileDialog.h"
#include "app/CMessageBox.h"
#include "support/FreshStateFolders.h"

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    const QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
    UseFreshStateFolders();
    // The desktop's cache tools would run on after a test and its folders are gone; the
    // registration leaves them out when they are not found.
    qputenv("PATH", (home.path() + "/bin").toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setOrganizationName("Dorn");
    QApplication::setApplicationName("Quorbit");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    CMessageBox::UseScriptedAnswers();
    CFileDialog::UseScriptedPaths();

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
