#include "ui/CQuorbexStyle.h"

#include "ui/ProgramIcons.h"

#include <QGuiApplication>
#include <QWidget>

#include <initializer_list>

namespace
{
// Qt's pictures of the extension arrows, in the sizes Qt's styles give them.
QIcon ReadQtImages(const char* pszName, std::initializer_list<int> sizes)
{
    QStringList paths;
    for (const int nSize : sizes)
        paths.append(QStringLiteral(":/qt-project.org/styles/commonstyle/images/%1-%2.png")
                         .arg(QLatin1String(pszName))
                         .arg(nSize));
    return ReadPngIcon(paths);
}
} // namespace

CQuorbexStyle::CQuorbexStyle(const QString& strKey)
    : QProxyStyle(strKey),
      m_bQtStyle(baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0 ||
                 baseStyle()->name().compare(QLatin1String("windows"), Qt::CaseInsensitive) == 0)
{
}

QIcon CQuorbexStyle::standardIcon(StandardPixmap nIcon, const QStyleOption* pOption,
                                  const QWidget* pWidget) const
{
    if (m_bQtStyle && nIcon == SP_ToolBarHorizontalExtensionButton)
    {
        const bool bRightToLeft = (pWidget ? pWidget->layoutDirection()
                                           : QGuiApplication::layoutDirection()) == Qt::RightToLeft;
        return ReadQtImages(bRightToLeft ? "toolbar-ext-h-rtl" : "toolbar-ext-h", {8, 16, 32});
    }
    if (m_bQtStyle && nIcon == SP_ToolBarVerticalExtensionButton)
        return ReadQtImages("toolbar-ext-v", {5, 10, 20});
    return QProxyStyle::standardIcon(nIcon, pOption, pWidget);
}
