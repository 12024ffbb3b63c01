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

bool RegisterLauncher(const QString& strDataHome, const QString& strExecutable)
{
    const QString strApplications = strDataHome + "/applications";
    const QString strPath = strApplications + "/quorbit.desktop";
    if (QFile::exists(strPath))
        return true;
    QString strEntry = ReadResource(":/desktop/quorbit.desktop");
    strEntry.replace("Exec=quorbit %f", "Exec=" + QuoteExecArgument(strExecutable) + " %f");
    if (!WriteNewFile(strPath, strEntry))
        return false;
    RunIfInstalled("update-desktop-database", strApplications);
    return true;
}
// The launcher names its icon "quorbit"; the desktop finds it in the user's icon theme folder.
bool RegisterIcon(const QString& strDataHome)
{
    const QString strPath = strDataHome + "/icons/hicolor/scalable/apps/quorbit.svg";
    return QFile::exists(strPath) || WriteNewFile(strPath, ReadResource(":/icons/quorbit.svg"));
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
    const bool bMime = RegisterMimeType(strDataHome);
    const bool bLauncher = RegisterLauncher(strDataHome, strExecutable);
    const bool bIcon = RegisterIcon(strDataHome);
    return bMime && bLauncher && bIcon;
}
