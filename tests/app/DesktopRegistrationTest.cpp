#include "app/CDesktopRegistration.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
// Points the registration at a data folder of its own for the life of the object.
class CScopedDataHome
{
public:
    CScopedDataHome() : m_strOld(qgetenv("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", m_dir.path().toLocal8Bit());
    }
    ~CScopedDataHome() { qputenv("XDG_DATA_HOME", m_strOld); }
    CScopedDataHome(const CScopedDataHome&) = delete;
    CScopedDataHome& operator=(const CScopedDataHome&) = delete;

    QString Read(const QString& strName) const
    {
        QFile file(m_dir.filePath(strName));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_strOld;
};

TEST(DesktopRegistrationTest, RegistersTheDocumentTypeAndALauncherForIt)
{
    const CScopedDataHome home;
    EXPECT_TRUE(RegisterDocumentType("/opt/quorbit/bin/quorbit"));

    const QString strMime = home.Read("mime/packages/quorbit.xml");
    EXPECT_TRUE(strMime.contains(R"(<mime-type type="application/x-quorbit">)"));
    EXPECT_TRUE(strMime.contains("<comment>Quorbit Document</comment>"));
    EXPECT_TRUE(strMime.contains(R"(<glob pattern="*.qb"/>)"));
    const QString strEntry = home.Read("applications/quorbit.desktop");
    EXPECT_TRUE(strEntry.contains("\nExec=/opt/quorbit/bin/quorbit %f\n"));
    EXPECT_TRUE(strEntry.contains("\nMimeType=application/x-quorbit;\n"));
    EXPECT_TRUE(strEntry.contains("\nIcon=quorbit\n"));
    EXPECT_TRUE(home.Read("icons/hicolor/scalable/apps/quorbit.svg").contains("<svg"));
}

TEST(DesktopRegistrationTest, QuotesAProgramPathTheLauncherCouldMisread)
{
    const CScopedDataHome home;
    RegisterDocumentType(R"(/home/ann/my "apps"/100%/quorbit)");
    EXPECT_TRUE(home.Read("applications/quorbit.desktop")
                    .contains(R"(Exec="/home/ann/my \\"apps\\"/100%%/quorbit" %f)"));
}

TEST(DesktopRegistrationTest, LeavesWhatIsAlreadyRegisteredAlone)
{
    const CScopedDataHome home;
    RegisterDocumentType("/first/quorbit");
    EXPECT_TRUE(RegisterDocumentType("/second/quorbit"));
    EXPECT_TRUE(home.Read("applications/quorbit.desktop").contains("Exec=/first/quorbit %f"));
}
} // namespace
