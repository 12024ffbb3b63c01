#include "app/CSettingsFile.h"

#include "app/CSettings.h"
#include "base/CFileDescriptor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>

namespace
{
constexpr mode_t kPrivateMode = 0600;

// QSettings replaces the file through a temporary one that takes the mode of the file it
// replaces, and only a new file gets the umask's mode. Made 0600 before the first write, the
// file is never readable by others, not even between a write and a later chmod.
void MakePrivate(const QString& strPath)
{
    QDir().mkpath(QFileInfo(strPath).absolutePath());
    const CFileDescriptor file(::open(QFile::encodeName(strPath).constData(),
                                      O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, kPrivateMode));
    struct stat status
    {
    };
    if (!file.IsOpen() || ::fstat(file.Get(), &status) != 0)
    {
        std::fprintf(stderr, "quorbit: cannot keep the settings in %s: %s\n",
                     QFile::encodeName(strPath).constData(), std::strerror(errno));
        return;
    }
    if (S_ISREG(status.st_mode) && status.st_uid == ::geteuid() &&
        (status.st_mode & 07777) != kPrivateMode)
        ::fchmod(file.Get(), kPrivateMode);
}
} // namespace

QSettings CSettingsFile::Open()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Dorn", "Quorbit");
}

void CSettingsFile::Read(CSettings& settings)
{
    QSettings store = Open();
    MakePrivate(store.fileName());
    settings.Read(store);
    m_stored = settings.GetValues();
}

bool CSettingsFile::Write(const CSettings& settings)
{
    const QVariantList values = settings.GetValues();
    if (values == m_stored)
        return true;
    QSettings store = Open();
    MakePrivate(store.fileName());
    settings.Write(store);
    if (store.status() != QSettings::NoError)
    {
        std::fprintf(stderr, "quorbit: cannot write the settings to %s\n",
                     QFile::encodeName(store.fileName()).constData());
        return false;
    }
    m_stored = values;
    return true;
}
