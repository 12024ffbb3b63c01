#include "document/CQuorbexDoc.h"

#include "CQbBytes.h"
#include "base/CStringTable.h"
#include "device/CBiosClock.h"
#include "document/CQbFile.h"
#include "document/CSafeFile.h"
#include "support/CRecordingFrontEnd.h"
#include "support/CScriptedClock.h"
#include "support/CTempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
using CBytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

class CQuorbexDocFileTest : public testing::Test
{
protected:
    void SetUp() override { m_doc.OnNewDocument(); }

    std::string PathOf(const std::string& strName) const { return m_folder.File(strName); }

    static void WriteBytes(const std::string& strPath, const CBytes& bytes)
    {
        std::ofstream(strPath, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    static CBytes ReadBytes(const std::string& strPath)
    {
        std::ifstream file(strPath, std::ios::binary);
        return CBytes(std::istreambuf_iterator<char>(file), {});
    }

    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> entries;
        for (const auto& entry : fs::directory_iterator(m_folder.GetPath()))
            entries.push_back(entry.path().filename().string());
        std::sort(entries.begin(), entries.end());
        return entries;
    }

    // Calls to the windows that loading makes, in order.
    std::vector<std::string> LoadingCalls() const
    {
        std::vector<std::string> calls;
        for (const std::string& strCall : m_frontEnd.m_calls)
        {
            if (strCall.starts_with("Add") || strCall.starts_with("OpenPad"))
                calls.push_back(strCall);
        }
        return calls;
    }

    CTempFolder m_folder;
    CRecordingFrontEnd m_frontEnd;
    CScriptedClock m_backend; // 1998-03-02 06:59
    CBiosClock m_clock{m_backend};
    CQuorbexDoc m_doc{m_frontEnd, m_clock, SClockSettings{}};
};

const CBytes kTrain{0x90, 0x40};
} // namespace

TEST_F(CQuorbexDocFileTest, SavesTheExampleDocumentAsTheExampleFile)
{
    AddExampleContent(m_doc);
    m_doc.SetModifiedFlag(true);
    ASSERT_TRUE(m_doc.OnSaveDocument(PathOf("example.qb")));
    EXPECT_EQ(ReadBytes(PathOf("example.qb")), GetExampleFileBytes());
    EXPECT_EQ(ReadBytes(QUORBIT_FIXTURES "/example.qb"), GetExampleFileBytes());
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"example.qb"}); // no backup of nothing
}

TEST_F(CQuorbexDocFileTest, LoadsIntoTheWindowsInOrderAndArmsTheNextEvent)
{
    AddTestRemote(m_doc, "Old"); // takes the first menu id; the counter goes on from there
    m_doc.SetModifiedFlag(true);
    WriteBytes(PathOf("two.qb"), CQbBytes()
                                     .Header()
                                     .U16(2)
                                     .Remote("TV", 1, 0, 1, 120, -40)
                                     .Button("Power", 0, 0, kTrain)
                                     .Remote("VCR", 0)
                                     .U16(1)
                                     .Event("Wake", "TV", "Power")
                                     .m_bytes);
    m_frontEnd.m_calls.clear();

    ASSERT_TRUE(m_doc.OnOpenDocument(PathOf("two.qb")));
    EXPECT_EQ(m_frontEnd.m_calls.front(), "RemoveRemoteMenuEntry Old 33792");
    EXPECT_EQ(LoadingCalls(), (std::vector<std::string>{"AddRemoteMenuEntry TV 33793",
                                                        "AddRemoteMenuEntry VCR 33794",
                                                        "OpenPad TV", "AddEventRow Wake"}));
    EXPECT_EQ(m_doc.m_nRemoteIds, 3u);
    const CRemote* pTv = m_doc.FindRemote("TV");
    ASSERT_NE(pTv, nullptr);
    EXPECT_EQ(pTv->m_nPadX, 120);
    EXPECT_EQ(pTv->m_nPadY, -40);
    EXPECT_EQ(m_doc.m_pArmedEvent, m_doc.FindEvent("Wake"));
    EXPECT_EQ(m_doc.m_armed.m_time, CTime(1998, 3, 2, 7, 0, 0));
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(m_doc.m_nFileVersion, 512);
}

TEST_F(CQuorbexDocFileTest, WritesPadsThatAreOpenAsOpen)
{
    AddExampleContent(m_doc);
    CRemote& tv = *m_doc.FindRemote("TV");
    tv.m_bPadOpen = true;
    tv.m_nPadX = -5;
    tv.m_nPadY = 300;
    ASSERT_TRUE(m_doc.OnSaveDocument(PathOf("pad.qb")));
    m_frontEnd.m_calls.clear();

    ASSERT_TRUE(m_doc.OnOpenDocument(PathOf("pad.qb")));
    const auto& calls = m_frontEnd.m_calls;
    const auto closed = std::find(calls.begin(), calls.end(), "ClosePad TV");
    EXPECT_NE(closed, calls.end());
    EXPECT_NE(std::find(closed, calls.end(), "OpenPad TV"), calls.end());
    EXPECT_EQ(m_doc.FindRemote("TV")->m_nPadX, -5);
    EXPECT_EQ(m_doc.FindRemote("TV")->m_nPadY, 300);
}

TEST_F(CQuorbexDocFileTest, RefusedFilesLeaveTheContentAlone)
{
    AddExampleContent(m_doc);
    m_doc.SetModifiedFlag(true);
    WriteBytes(PathOf("short.qb"), {'Q', 'B', 0x00});
    // A FIFO no one writes to, and a file larger than any document, refused without reading.
    ASSERT_EQ(::mkfifo(PathOf("fifo.qb").c_str(), 0600), 0);
    WriteBytes(PathOf("huge.qb"), {'Q', 'B'});
    fs::resize_file(PathOf("huge.qb"), kMaxQbFileBytes + 1);
    // Five bytes of file each decode to a full 50,000-byte bitstream.
    CQbBytes crafted;
    const unsigned nButtons = kMaxQbContentBytes / kBitstreamBytes + 1;
    crafted.Header().U16(1).Remote("Crafted", nButtons);
    for (unsigned i = 0; i < nButtons; ++i)
        crafted.Button("B" + std::to_string(i), 5, 15, {0x60, 0x00, 0xC3, 0x50, 0x00});
    WriteBytes(PathOf("expands.qb"), crafted.U16(0).m_bytes);
    struct SCase
    {
        std::string strPath;
        int nMessage;
        std::string strArgument;
    };
    const std::string strFixtures = QUORBIT_FIXTURES "/";
    const SCase cases[] = {
        {PathOf("short.qb"), StringId::kInvalidFile, PathOf("short.qb")},
        {strFixtures + "truncated.qb", StringId::kInvalidFile,
         strFixtures + "truncated.qb, at byte 100: the file ends in the middle of a record"},
        {strFixtures + "newer-version.qb", StringId::kNewerVersion,
         strFixtures + "newer-version.qb"},
        {PathOf("missing.qb"), StringId::kOpenFailed,
         PathOf("missing.qb") + ": No such file or directory"},
        {"/dev/zero", StringId::kOpenFailed, "/dev/zero: not a regular file"},
        {PathOf("fifo.qb"), StringId::kOpenFailed, PathOf("fifo.qb") + ": not a regular file"},
        {m_folder.GetPath().string(), StringId::kOpenFailed,
         m_folder.GetPath().string() + ": not a regular file"},
        {PathOf("huge.qb"), StringId::kOpenFailed, PathOf("huge.qb") + ": larger than 64 MB"},
        {PathOf("expands.qb"), StringId::kDocumentTooLarge, PathOf("expands.qb")},
    };
    for (const SCase& test : cases)
    {
        m_frontEnd.m_messages.clear();
        m_frontEnd.m_calls.clear();
        EXPECT_FALSE(m_doc.OnOpenDocument(test.strPath));
        ASSERT_EQ(m_frontEnd.m_messages.size(), 1u);
        EXPECT_EQ(m_frontEnd.m_messages[0].nStringId, test.nMessage);
        EXPECT_EQ(m_frontEnd.m_messages[0].strArgument, test.strArgument);
        EXPECT_EQ(m_frontEnd.m_calls.size(), 1u); // only the message
        EXPECT_NE(m_doc.FindEvent("Wake"), nullptr);
        EXPECT_TRUE(m_doc.IsModified());
    }
}

TEST_F(CQuorbexDocFileTest, SavingTwiceKeepsTheFirstSaveInTheBackup)
{
    AddExampleContent(m_doc);
    const std::string strPath = PathOf("home.qb");
    ASSERT_TRUE(m_doc.OnSaveDocument(strPath));
    m_doc.FindRemote("TV")->FindButton("Power")->m_strDescription = "Standby";
    ASSERT_TRUE(m_doc.OnSaveDocument(strPath));

    EXPECT_EQ(ReadBytes(PathOf("home.qbb")), GetExampleFileBytes());
    EXPECT_NE(ReadBytes(strPath), GetExampleFileBytes());
    ASSERT_TRUE(m_doc.OnOpenDocument(strPath));
    EXPECT_EQ(m_doc.FindRemote("TV")->FindButton("Power")->m_strDescription, "Standby");
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"home.qb", "home.qbb"}));
}

TEST_F(CQuorbexDocFileTest, NamesTheBackupAfterTheDocument)
{
    EXPECT_EQ(CSafeFile::GetBackupPath("x.qb"), "x.qbb");
    EXPECT_EQ(CSafeFile::GetBackupPath("/home/a.b/remotes"), "/home/a.b/remotes.qbb");
    EXPECT_EQ(CSafeFile::GetBackupPath("/home/my.remotes.qb"), "/home/my.remotes.qbb");
    // Otherwise a.qb and a.txt would overwrite each other's backup.
    EXPECT_EQ(CSafeFile::GetBackupPath("/home/a.txt"), "/home/a.txt.qbb");
}

// A file writer whose disk is full after nBytes bytes.
CSafeFile FailingAfter(std::size_t nBytes)
{
    return CSafeFile(
        [nLeft = nBytes](int nFd, const void* pData, std::size_t nSize) mutable -> ssize_t
        {
            if (nLeft == 0)
            {
                errno = ENOSPC;
                return -1;
            }
            const ssize_t nWritten = ::write(nFd, pData, std::min(nSize, nLeft));
            nLeft -= static_cast<std::size_t>(nWritten);
            return nWritten;
        });
}

TEST_F(CQuorbexDocFileTest, AFailedWriteLeavesDocumentAndBackupAsTheyWere)
{
    const std::string strPath = PathOf("home.qb");
    const CBytes old(500, 0x11), backup(300, 0x22), fresh(1000, 0x33);
    for (const std::size_t nFailAfter : {std::size_t{0}, std::size_t{1}, std::size_t{999}})
    {
        WriteBytes(strPath, old);
        WriteBytes(PathOf("home.qbb"), backup);
        const CSafeFile failing = FailingAfter(nFailAfter);
        std::string strError;
        EXPECT_FALSE(failing.SaveWithBackup(strPath, fresh, strError));
        EXPECT_EQ(strError, "No space left on device");
        EXPECT_EQ(ReadBytes(strPath), old);
        EXPECT_EQ(ReadBytes(PathOf("home.qbb")), backup);
        EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"home.qb", "home.qbb"}));
    }

    // With the new content written but no room left for the copy of the old one, the save
    // still goes ahead and the backup keeps what it held.
    WriteBytes(strPath, old);
    const CSafeFile noRoomForBackup = FailingAfter(fresh.size());
    std::string strBackupError;
    EXPECT_TRUE(noRoomForBackup.SaveWithBackup(strPath, fresh, strBackupError));
    EXPECT_EQ(ReadBytes(strPath), fresh);
    EXPECT_EQ(ReadBytes(PathOf("home.qbb")), backup);
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"home.qb", "home.qbb"}));
    WriteBytes(strPath, old);

    // Short writes are carried on, not mistaken for the end.
    const CSafeFile trickling([](int nFd, const void* pData, std::size_t nSize)
                              { return ::write(nFd, pData, std::min<std::size_t>(nSize, 7)); });
    std::string strError;
    EXPECT_TRUE(trickling.SaveWithBackup(strPath, fresh, strError));
    EXPECT_EQ(ReadBytes(strPath), fresh);
    EXPECT_EQ(ReadBytes(PathOf("home.qbb")), old);
}

TEST_F(CQuorbexDocFileTest, RefusedSavesWriteNothingAndKeepTheDocumentModified)
{
    AddExampleContent(m_doc);
    CRemoteButton& power = *m_doc.FindRemote("TV")->FindButton("Power");
    // A sample change at every bit cannot be encoded in the space.
    power.m_bits = CBitstream(CBytes(kBitstreamBytes, 0x55));
    m_doc.SetModifiedFlag(true);

    EXPECT_FALSE(m_doc.OnSaveDocument(PathOf("home.qb")));
    EXPECT_FALSE(m_doc.OnSaveDocument(PathOf("missing/home.qb")));
    power.m_bits.SetLength(0);
    EXPECT_FALSE(m_doc.OnSaveDocument(PathOf("missing/home.qb")));
    // The number of events is a whole-document fault: the file stands for the record.
    for (int i = 0; i < 65536; ++i)
        m_doc.m_pEvents->emplace(std::to_string(i), std::make_unique<CTimedEvent>());
    EXPECT_FALSE(m_doc.OnSaveDocument(PathOf("home.qb")));

    ASSERT_EQ(m_frontEnd.m_messages.size(), 4u);
    EXPECT_EQ(m_frontEnd.m_messages[0].nStringId, StringId::kSaveRefused);
    EXPECT_EQ(m_frontEnd.m_messages[0].strArgument,
              FormatString(StringId::kBitstreamTooLong, "TV: Power"));
    EXPECT_EQ(m_frontEnd.m_messages[1].nStringId, StringId::kSaveRefused);
    EXPECT_EQ(m_frontEnd.m_messages[2].nStringId, StringId::kSaveFailed);
    EXPECT_EQ(m_frontEnd.m_messages[2].strArgument,
              PathOf("missing/home.qb") + ": No such file or directory");
    EXPECT_EQ(m_frontEnd.m_messages[3].strArgument,
              FormatString(StringId::kTooManyRecords, PathOf("home.qb")));
    EXPECT_TRUE(FolderEntries().empty());
    EXPECT_TRUE(m_doc.IsModified());
}

TEST_F(CQuorbexDocFileTest, KeepsTheDocumentsPermissions)
{
    AddExampleContent(m_doc);
    const std::string strPath = PathOf("shared.qb");
    WriteBytes(strPath, {});
    ASSERT_EQ(::chmod(strPath.c_str(), 0640), 0);
    ASSERT_TRUE(m_doc.OnSaveDocument(strPath));
    struct stat status
    {
    };
    ASSERT_EQ(::stat(strPath.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);

    const mode_t nOldMask = ::umask(022);
    ASSERT_TRUE(m_doc.OnSaveDocument(PathOf("new.qb")));
    ::umask(nOldMask);
    ASSERT_EQ(::stat(PathOf("new.qb").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0644u);
}

TEST_F(CQuorbexDocFileTest, ReplacesOnlyRegularFiles)
{
    const CBytes old(10, 0x11), fresh(20, 0x22);
    const std::string strVictim = PathOf("victim");
    struct SCase
    {
        const char* pszName;
        std::function<void()> plant;
        std::string strNamed; // what the refusal names
        bool bLink;           // whether the document named is a link
    };
    const SCase cases[] = {
        {"a link to a FIFO",
         [&] { ::mkfifo(strVictim.c_str(), 0600), ::symlink("victim", PathOf("l.qb").c_str()); },
         strVictim, true},
        {"a folder where the document would be", [&] { fs::create_directory(PathOf("l.qb")); },
         PathOf("l.qb"), false},
        {"a backup that is a link",
         [&]
         {
             WriteBytes(strVictim, old), WriteBytes(PathOf("l.qb"), old);
             ::symlink("victim", PathOf("l.qbb").c_str());
         },
         PathOf("l.qbb"), false},
    };
    for (const SCase& test : cases)
    {
        SCOPED_TRACE(test.pszName);
        for (const std::string& strName : FolderEntries())
            fs::remove(PathOf(strName));
        test.plant();
        const auto before = fs::symlink_status(strVictim).type();
        std::string strError;
        // Named as people type paths, not as the save resolves it.
        const std::string strTyped = (m_folder.GetPath() / "." / "l.qb").string();
        EXPECT_FALSE(CSafeFile().SaveWithBackup(strTyped, fresh, strError));
        EXPECT_NE(strError.find(test.strNamed + " is not a regular file"), std::string::npos)
            << strError;
        // Only a link that was followed is called one.
        EXPECT_EQ(strError.starts_with("the file it links to, "), test.bLink) << strError;
        EXPECT_EQ(fs::symlink_status(strVictim).type(), before);
        if (before == fs::file_type::regular)
        {
            EXPECT_EQ(ReadBytes(strVictim), old);
        }
    }
}

// Needs root, which alone can give a link or a file to another user.
TEST_F(CQuorbexDocFileTest, FollowsNoLinkAnotherUserPlantedInASharedFolder)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make a link of another user";
    constexpr uid_t kOther = 65534;
    const CBytes old(10, 0x11), fresh(20, 0x22);
    ASSERT_EQ(::chmod(m_folder.GetPath().c_str(), 01777), 0);
    WriteBytes(PathOf("private.qb"), old);
    ASSERT_EQ(::symlink("private.qb", PathOf("planted.qb").c_str()), 0);
    ASSERT_EQ(::lchown(PathOf("planted.qb").c_str(), kOther, kOther), 0);
    std::string strError;
    EXPECT_FALSE(CSafeFile().SaveWithBackup(PathOf("planted.qb"), fresh, strError));
    EXPECT_NE(strError.find("it is not followed"), std::string::npos) << strError;
    EXPECT_EQ(ReadBytes(PathOf("private.qb")), old);
    EXPECT_FALSE(fs::exists(PathOf("private.qbb")));

    // A link of one's own is followed, and stays a link; the file keeps its owner.
    ASSERT_EQ(::symlink("private.qb", PathOf("mine.qb").c_str()), 0);
    ASSERT_EQ(::chown(PathOf("private.qb").c_str(), kOther, kOther), 0);
    EXPECT_TRUE(CSafeFile().SaveWithBackup(PathOf("mine.qb"), fresh, strError)) << strError;
    EXPECT_TRUE(fs::is_symlink(PathOf("mine.qb")));
    EXPECT_EQ(ReadBytes(PathOf("private.qb")), fresh);
    for (const char* pszName : {"private.qb", "private.qbb"})
    {
        struct stat status
        {
        };
        ASSERT_EQ(::stat(PathOf(pszName).c_str(), &status), 0) << pszName;
        EXPECT_EQ(status.st_uid, kOther) << pszName;
        EXPECT_EQ(status.st_gid, kOther) << pszName;
    }
}

// Needs root, which alone can give a folder or a link to another user. The kernel follows a
// link in a folder another user made in /tmp; a save must not take that user's way at all.
TEST_F(CQuorbexDocFileTest, TakesNoFolderOrLinkAnotherUserPlantedAnywhereInASharedFolder)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make a folder or link of another user";
    constexpr uid_t kOther = 65534;
    const CBytes old(10, 0x11), fresh(20, 0x22);
    ASSERT_EQ(::chmod(m_folder.GetPath().c_str(), 01777), 0);
    WriteBytes(PathOf("private.qb"), old);
    const auto makeFolder = [&](const std::string& strName, uid_t nOwner, mode_t nMode)
    {
        ASSERT_TRUE(fs::create_directory(PathOf(strName)));
        ASSERT_EQ(::chmod(PathOf(strName).c_str(), nMode), 0);
        ASSERT_EQ(::chown(PathOf(strName).c_str(), nOwner, nOwner), 0);
    };
    const auto makeLink = [&](const std::string& strName, uid_t nOwner)
    {
        ASSERT_EQ(::symlink(PathOf("private.qb").c_str(), PathOf(strName).c_str()), 0);
        ASSERT_EQ(::lchown(PathOf(strName).c_str(), nOwner, nOwner), 0);
    };
    struct SCase
    {
        const char* pszName;
        std::function<void()> plant;
        std::string strSaved;   // the path saved to
        std::string strRefusal; // empty when the save goes ahead
    };
    const SCase cases[] = {
        {"a link in another user's folder",
         [&] { makeFolder("theirs", kOther, 0755), makeLink("theirs/link.qb", kOther); },
         "theirs/link.qb", "the folder " + PathOf("theirs") + " belongs to "},
        {"a new file in another user's folder", [&] { makeFolder("theirs", kOther, 0777); },
         "theirs/new.qb", "the folder " + PathOf("theirs") + " belongs to "},
        {"another user's folder in a shared folder of root's",
         [&] { makeFolder("shared", 0, 01777), makeFolder("shared/theirs", kOther, 0755); },
         "shared/theirs/new.qb", "the folder " + PathOf("shared/theirs") + " belongs to "},
        {"another user's link two folders deep",
         [&] { makeFolder("shared", 0, 01777), makeLink("shared/link.qb", kOther); },
         "shared/link.qb", "the link " + PathOf("shared/link.qb") + " belongs to "},
        {"the shared folder's owner's folder and link",
         [&]
         {
             makeFolder("mine", 0, 0755), makeFolder("mine/shared", kOther, 01777);
             makeFolder("mine/shared/theirs", kOther, 0777);
             makeLink("mine/shared/theirs/link.qb", kOther);
         },
         "mine/shared/theirs/link.qb", ""},
        {"a folder of one's own", [&] { makeFolder("mine", 0, 0755), makeLink("mine/link.qb", 0); },
         "mine/link.qb", ""},
    };
    for (const SCase& test : cases)
    {
        SCOPED_TRACE(test.pszName);
        for (const char* pszName : {"theirs", "shared", "mine", "private.qbb"})
            fs::remove_all(PathOf(pszName));
        WriteBytes(PathOf("private.qb"), old);
        test.plant();
        std::string strError;
        const bool bSaved = CSafeFile().SaveWithBackup(PathOf(test.strSaved), fresh, strError);
        EXPECT_EQ(bSaved, test.strRefusal.empty()) << strError;
        EXPECT_EQ(ReadBytes(PathOf("private.qb")), bSaved ? fresh : old);
        if (!bSaved)
        {
            EXPECT_EQ(strError.find(test.strRefusal), 0u) << strError;
            EXPECT_FALSE(fs::exists(PathOf(test.strSaved)) &&
                         !fs::is_symlink(PathOf(test.strSaved)));
        }
    }
}

// Needs root, to become a user who cannot give a file to another.
TEST_F(CQuorbexDocFileTest, ARefusedOwnerSaysTheSystemsReason)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make a file of another user";
    constexpr uid_t kSaver = 65534;
    constexpr uid_t kOwner = 65533;
    ASSERT_EQ(::chmod(m_folder.GetPath().c_str(), 0777), 0);
    const std::string strPath = PathOf("theirs.qb");
    WriteBytes(strPath, CBytes(10, 0x11));
    ASSERT_EQ(::chmod(strPath.c_str(), 0666), 0);
    ASSERT_EQ(::chown(strPath.c_str(), kOwner, kOwner), 0);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t nChild = ::fork();
    ASSERT_GE(nChild, 0);
    if (nChild == 0)
    {
        std::string strError;
        if (::setgid(kSaver) != 0 || ::setuid(kSaver) != 0 ||
            CSafeFile().SaveWithBackup(strPath, CBytes(20, 0x22), strError))
            strError = "saved";
        [[maybe_unused]] const ssize_t nWritten =
            ::write(pipeEnds[1], strError.data(), strError.size());
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string strError;
    char buffer[512];
    for (ssize_t nRead; (nRead = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        strError.append(buffer, static_cast<std::size_t>(nRead));
    ::close(pipeEnds[0]);
    ::waitpid(nChild, nullptr, 0);
    EXPECT_NE(strError.find("which a file saved now could not keep (Operation not permitted)"),
              std::string::npos)
        << strError;
    EXPECT_EQ(ReadBytes(strPath), CBytes(10, 0x11));
}

TEST_F(CQuorbexDocFileTest, RemovesWhatAnInterruptedSaveLeftBehind)
{
    const CBytes old(10, 0x11);
    WriteBytes(PathOf("home.qb"), old);
    for (const char* pszName : {".home.qb.Ab12Cd", ".home.qbb.xY34zW", ".other.qb.Ab12Cd"})
        WriteBytes(PathOf(pszName), old);
    std::string strError;
    ASSERT_TRUE(CSafeFile().SaveWithBackup(PathOf("home.qb"), old, strError)) << strError;
    EXPECT_EQ(FolderEntries(),
              (std::vector<std::string>{".other.qb.Ab12Cd", "home.qb", "home.qbb"}));
}

TEST_F(CQuorbexDocFileTest, RefusesASaveBeyondTheFileSizeLimit)
{
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string strError;
    const bool bSaved = CSafeFile().SaveWithBackup(PathOf("home.qb"), CBytes(1000, 0x33), strError);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    EXPECT_FALSE(bSaved);
    EXPECT_EQ(strError, "File too large");
    EXPECT_TRUE(FolderEntries().empty());
}

// The View menu lists remotes in the order they were added or read; a save keeps it.
TEST_F(CQuorbexDocFileTest, SavingKeepsTheOrderOfTheRemotes)
{
    ASSERT_NE(m_doc.AddRemote("Zed", 0), nullptr);
    ASSERT_NE(m_doc.AddRemote("Alpha", 0), nullptr);
    ASSERT_NE(m_doc.AddRemote("Mid", 0), nullptr);
    ASSERT_TRUE(m_doc.OnSaveDocument(PathOf("order.qb")));
    m_frontEnd.m_calls.clear();
    ASSERT_TRUE(m_doc.OnOpenDocument(PathOf("order.qb")));
    const std::vector<std::string> calls = LoadingCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(calls[0].starts_with("AddRemoteMenuEntry Zed "));
    EXPECT_TRUE(calls[1].starts_with("AddRemoteMenuEntry Alpha "));
    EXPECT_TRUE(calls[2].starts_with("AddRemoteMenuEntry Mid "));
}
