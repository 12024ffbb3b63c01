#include "app/CAppFixture.h"
#include "app/CMainFrame.h"

#include <QAction>
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>
#include <QToolBar>

namespace
{
using ToolBarIconTest = CAppFixture;

// The tool bar never looks its pictures up in the icon theme, which took a sixth of the
// start: given a theme whose icons are all red, none of its buttons shows red.
TEST_F(ToolBarIconTest, TheToolBarTakesNoIconFromTheTheme)
{
    const QTemporaryDir themes;
    const QDir theme(themes.path() + "/red");
    ASSERT_TRUE(theme.mkpath("16"));
    QFile index(theme.filePath("index.theme"));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=red\nDirectories=16\n\n[16]\nSize=16\nType=Fixed\n");
    index.close();
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    for (const char* pszName :
         {"text-x-generic", "document-new", "document-open", "document-save", "view-list-details",
          "computer", "system", "help-contents", "dialog-information", "messagebox_info"})
        ASSERT_TRUE(red.save(theme.filePath(QString("16/%1.png").arg(pszName))));
    const QStringList oldPaths = QIcon::themeSearchPaths();
    const QString strOldTheme = QIcon::themeName();
    QIcon::setThemeSearchPaths({themes.path()});
    QIcon::setThemeName("red");
    ASSERT_EQ(QIcon::fromTheme("document-open").pixmap(16).toImage().pixelColor(8, 8),
              QColor(Qt::red))
        << "the theme is in use";

    const bool bStarted = Start();
    QIcon::setThemeSearchPaths(oldPaths);
    QIcon::setThemeName(strOldTheme);
    ASSERT_TRUE(bStarted);
    const QList<QAction*> actions = Frame().findChild<QToolBar*>("toolbar")->actions();
    ASSERT_FALSE(actions.isEmpty());
    for (const QAction* pAction : actions)
    {
        if (pAction->isSeparator())
            continue;
        const QImage picture = pAction->icon().pixmap(16).toImage();
        EXPECT_FALSE(picture.isNull()) << pAction->text().toStdString();
        EXPECT_NE(picture.pixelColor(8, 8), QColor(Qt::red)) << pAction->text().toStdString();
    }
}
} // namespace
