#include "app/CDesktopRegistration.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

namespace
{
QString ReadResource(const QString& strPath)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

bool WriteNewFile(const QString& strPath, const QString& strContent)
{
    if (strContent.isEmpty() || !QDir().mkpath(QFileInfo(strPath).path()))
        return false;
    QFile file(strPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const QByteArray bytes = strContent.toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}

// The desktop entry format's quoting for one argument of Exec.
QString QuoteExecArgument(QString strArgument)
{
    static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    // A field code's percent sign must not be read as one.
    strArgument.replace('%', "%%");
    if (std::none_of(strArgument.begin(), strArgument.end(),
                     [](QChar ch) { return kReserved.contains(ch); }))
        return strArgument;
    for (const char* pszChar : {"\\", "\"", "`", "$"})
        strArgument.replace(pszChar, QStringLiteral("\\") + pszChar);
    // The desktop file's own string escaping doubles every backslash once more.
    strArgument.replace("\\", "\\\\");
    return '"' + strArgument + '"';
}

void RunIfInstalled(const QString& strTool, const QString& strFolder)
{
    const QString strProgram = QStandardPaths::findExecutable(strTool);
    if (!strProgram.isEmpty())
        QProcess::startDetached(strProgram, {strFolder});
}

bool RegisterMimeType(const QString& strDataHome)
{
    const QString strMimeHome = strDataHome + "/mime";
    const QString strPath = strMimeHome + "/packages/quorbit.xml";
    if (QFile::exists(strPath))
        return true;
    if (!WriteNewFile(strPath, ReadResource(":/desktop/quorbit-mime.xml")))
        return false;
    RunIfInstalled("update-mime-database", strMimeHome);
    return true;
}

constexpr const char* kThemeIconLine = "\nIcon=quorbit\n";

// The launcher's Icon line naming strIconPath in full, a backslash escaped as the format says.
QString IconLine(QString strIconPath)
{
    return "\nIcon=" + strIconPath.replace("\\", "\\\\") + "\n";
}

bool RegisterLauncher(const QString& strDataHome, const QString& strExecutable,
                      const QString& strIconPath)
{
    const QString strApplications = strDataHome + "/applications";
    const QString strPath = strApplications + "/quorbit.desktop";
    if (QFile::exists(strPath))
        return true;
    QString strEntry = ReadResource(":/desktop/quorbit.desktop");
    strEntry.replace("Exec=quorbit %f", "Exec=" + QuoteExecArgument(strExecutable) + " %f");
    strEntry.replace(kThemeIconLine, IconLine(strIconPath));
    if (!WriteNewFile(strPath, strEntry))
        return false;
    RunIfInstalled("update-desktop-database", strApplications);
    return true;
}

// The icon in a data folder of Quorbit's own, which the launcher names in full. Not in the
// user's icon theme folder: one there without the index that the icon cache tool writes makes
// every Qt program look each of its icons up in every folder of the theme, some 22,000 failing
// look-ups and 60 ms at each start.
bool RegisterIcon(const QString& strIconPath)
{
    return QFile::exists(strIconPath) ||
           WriteNewFile(strIconPath, ReadResource(":/icons/quorbit.svg"));
}

// Earlier starts put the icon in the user's icon theme folder. Still as written, it goes, with
// the folders made for it when they hold nothing else, and the launcher written then names the
// icon's new place.
void MoveIconOutOfTheme(const QString& strDataHome, const QString& strIconPath)
{
    const QString strThemeIcon = strDataHome + "/icons/hicolor/scalable/apps/quorbit.svg";
    QFile icon(strThemeIcon);
    if (!icon.open(QIODevice::ReadOnly) ||
        QString::fromUtf8(icon.readAll()) != ReadResource(":/icons/quorbit.svg") || !icon.remove())
        return;
    QDir home(strDataHome);
    for (const char* pszFolder :
         {"icons/hicolor/scalable/apps", "icons/hicolor/scalable", "icons/hicolor", "icons"})
        home.rmdir(pszFolder);
    QFile launcher(strDataHome + "/applications/quorbit.desktop");
    if (!launcher.open(QIODevice::ReadWrite))
        return;
    QString strEntry = QString::fromUtf8(launcher.readAll());
    if (!strEntry.contains(kThemeIconLine))
        return;
    strEntry.replace(kThemeIconLine, IconLine(strIconPath));
    const QByteArray bytes = strEntry.toUtf8();
    launcher.resize(0);
    launcher.seek(0);
    launcher.write(bytes);
}
// Whether a data folder of the system ($XDG_DATA_DIRS, else /usr/local/share and /usr/share)
// holds Quorbit's launcher.
bool IsInstalledForEveryone()
{
    const QString strHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QStringList found = QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                        "applications/quorbit.desktop");
    return std::any_of(found.begin(), found.end(),
                       [&strHome](const QString& strPath)
                       { return !strPath.startsWith(strHome + "/"); });
}
} // namespace

bool RegisterDocumentType(const QString& strExecutable)
{
    // Installed as a package, the system knows the type, the launcher and the icon already.
    if (IsInstalledForEveryone())
        return true;
    Q_INIT_RESOURCE(quorbit);
    // $XDG_DATA_HOME, or ~/.local/share when it is not set.
    const QString strDataHome =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (strDataHome.isEmpty())
        return false;
    const QString strIconPath = strDataHome + "/quorbit/quorbit.svg";
    const bool bMime = RegisterMimeType(strDataHome);
    const bool bIcon = RegisterIcon(strIconPath);
    const bool bLauncher = RegisterLauncher(strDataHome, strExecutable, strIconPath);
    MoveIconOutOfTheme(strDataHome, strIconPath);
    return bMime && bLauncher && bIcon;
}
