#include "app/CDesktopRegistration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
// Points the registration at a data folder of its own, and the system's data folders at an
// empty one (a machine with Quorbit installed must not change what the tests see), for the
// life of the object.
class CScopedDataHome
{
public:
    CScopedDataHome() : m_strOld(qgetenv("XDG_DATA_HOME")), m_strOldSystem(qgetenv("XDG_DATA_DIRS"))
    {
        qputenv("XDG_DATA_HOME", m_dir.path().toLocal8Bit());
        qputenv("XDG_DATA_DIRS", m_system.path().toLocal8Bit());
    }
    ~CScopedDataHome()
    {
        qputenv("XDG_DATA_HOME", m_strOld);
        qputenv("XDG_DATA_DIRS", m_strOldSystem);
    }
    CScopedDataHome(const CScopedDataHome&) = delete;
    CScopedDataHome& operator=(const CScopedDataHome&) = delete;

    QString Read(const QString& strName) const
    {
        QFile file(m_dir.filePath(strName));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // Installs the launcher for everyone, as the package does.
    void InstallForEveryone() const
    {
        QDir(m_system.path()).mkpath("applications");
        QFile file(m_system.filePath("applications/quorbit.desktop"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nExec=quorbit %f\n");
    }
    bool IsHomeEmpty() const { return QDir(m_dir.path()).isEmpty(); }
    QString Path(const QString& strName) const { return m_dir.filePath(strName); }
    void Write(const QString& strName, const QString& strContent) const
    {
        QFile file(m_dir.filePath(strName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(strContent.toUtf8());
    }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_system;
    QByteArray m_strOld;
    QByteArray m_strOldSystem;
};

// Installed as a package, the first start writes nothing in the person's home.
TEST(DesktopRegistrationTest, InstalledForEveryoneLeavesTheHomeAlone)
{
    const CScopedDataHome home;
    home.InstallForEveryone();
    EXPECT_TRUE(RegisterDocumentType("/usr/bin/quorbit"));
    EXPECT_TRUE(home.IsHomeEmpty());
}

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
    EXPECT_TRUE(strEntry.contains("\nIcon=" + home.Path("quorbit/quorbit.svg") + "\n"));
    EXPECT_TRUE(home.Read("quorbit/quorbit.svg").contains("<svg"));
    // An icon theme folder without its cache slows every Qt program's start.
    EXPECT_FALSE(QFileInfo::exists(home.Path("icons")));
}

// The icon earlier starts put in the icon theme folder goes, with the folders made for it, and
// the launcher then written names the icon's new place; what the person put there stays.
TEST(DesktopRegistrationTest, MovesTheIconOfEarlierStartsOutOfTheTheme)
{
    struct SCase
    {
        bool bOwnIcon;   // the theme's quorbit.svg is the one Quorbit wrote
        bool bOtherIcon; // the person keeps another icon beside it
        bool bIconsGone;
        bool bThemeIconGone;
    };
    for (const SCase& test : {SCase{true, false, true, true}, SCase{true, true, false, true},
                              SCase{false, false, false, false}})
    {
        const CScopedDataHome home;
        ASSERT_TRUE(RegisterDocumentType("/usr/local/bin/quorbit"));
        const QString strApps = home.Path("icons/hicolor/scalable/apps");
        ASSERT_TRUE(QDir().mkpath(strApps));
        const QString strOwn = home.Read("quorbit/quorbit.svg");
        home.Write("icons/hicolor/scalable/apps/quorbit.svg", test.bOwnIcon ? strOwn : "<svg/>");
        if (test.bOtherIcon)
            home.Write("icons/hicolor/scalable/apps/other.svg", "<svg/>");
        home.Write("applications/quorbit.desktop",
                   "[Desktop Entry]\nExec=/usr/local/bin/quorbit %f\nIcon=quorbit\n");

        EXPECT_TRUE(RegisterDocumentType("/usr/local/bin/quorbit"));
        EXPECT_EQ(!QFileInfo::exists(home.Path("icons")), test.bIconsGone);
        EXPECT_EQ(!QFileInfo::exists(strApps + "/quorbit.svg"), test.bThemeIconGone);
        EXPECT_EQ(QFileInfo::exists(strApps + "/other.svg"), test.bOtherIcon);
        EXPECT_EQ(home.Read("applications/quorbit.desktop"),
                  "[Desktop Entry]\nExec=/usr/local/bin/quorbit %f\nIcon=" +
                      (test.bThemeIconGone ? home.Path("quorbit/quorbit.svg") : "quorbit") + "\n");
    }
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
