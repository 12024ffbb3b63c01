#include "app/CAppFixture.h"
#include "app/CEndSignals.h"
#include "app/CFileDialog.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "app/CRecoveryKeeper.h"
#include "document/CQuorbexDoc.h"
#include "support/CPrivateRuntime.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>

extern char** environ;

namespace
{
class RecoveryTest : public CAppFixture
{
protected:
    // Makes the open document a saved one with the remote "TV", and a button of "Amp" learned
    // since.
    void ChangeSavedDocument()
    {
        m_strDocument = GetTempPath("living-room.qb");
        AddRemoteWithButton("TV");
        CFileDialog::QueuePath(m_strDocument);
        ASSERT_TRUE(App().GetDocuments().OnFileSaveAs());
        m_saved = ReadFile(m_strDocument);
        AddRemoteWithButton("Amp");
        ASSERT_TRUE(Doc().IsModified());
    }

    // Writes the copy as the timer does every few minutes.
    void LetTimerWriteCopy()
    {
        QTimer& timer = App().GetRecovery().GetTimer();
        ASSERT_TRUE(timer.isActive());
        const QStringList before = ListCopies();
        timer.setInterval(0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return ListCopies() != before; }));
        timer.setInterval(CRecoveryKeeper::kIntervalMs);
    }

    static QString GetFolder()
    {
        return QFile::decodeName(CRecoveryFolder::GetDefaultFolder().c_str());
    }

    static QStringList ListCopies()
    {
        return QDir(GetFolder()).entryList({"*.qb"}, QDir::Files | QDir::System);
    }

    static QByteArray ReadFile(const QString& strPath)
    {
        QFile file(strPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static mode_t GetMode(const QString& strPath)
    {
        struct stat status
        {
        };
        return ::lstat(QFile::encodeName(strPath).constData(), &status) == 0
                   ? status.st_mode & 07777
                   : 0;
    }

    QString m_strDocument;
    QByteArray m_saved;
};

// A logout (SIGHUP, then SIGTERM), a kill or Ctrl+C in the terminal used to end the program on
// the spot and lose the button just learned.
TEST_F(RecoveryTest, SignalLeavesCopyThatNextStartOffersAndRecovers)
{
    ASSERT_TRUE(Start());
    for (const int nSignal : {SIGTERM, SIGHUP, SIGINT})
    {
        SCOPED_TRACE(nSignal);
        ChangeSavedDocument();
        bool bEnded = false;
        {
            const CEndSignals endSignals(
                [&](int nReceived)
                {
                    EXPECT_EQ(nReceived, nSignal);
                    App().OnEndSignal();
                    bEnded = true;
                });
            std::raise(nSignal);
            ASSERT_TRUE(QTest::qWaitFor([&] { return bEnded; }));
        }
        EXPECT_EQ(ReadFile(m_strDocument), m_saved);
        ASSERT_EQ(ListCopies().size(), 1);

        CMessageBox::TakeShownTexts();
        CMessageBox::QueueAnswer(QMessageBox::Yes);
        ASSERT_TRUE(StartAgain());
        const QStringList shown = CMessageBox::TakeShownTexts();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(
            shown[0].startsWith("Quorbit has unsaved changes of " + m_strDocument + " from "))
            << shown[0].toStdString();
        EXPECT_TRUE(shown[0].endsWith(". Recover them?"));
        EXPECT_NE(Doc().FindRemote("Amp"), nullptr);
        EXPECT_TRUE(Doc().IsModified());
        EXPECT_EQ(App().GetDocuments().GetPathName(), m_strDocument);
        EXPECT_EQ(ReadFile(m_strDocument), m_saved);

        // Saved where it came from, the changes need no copy any more.
        ASSERT_TRUE(App().GetDocuments().OnFileSave());
        EXPECT_TRUE(ListCopies().isEmpty());
        EXPECT_NE(ReadFile(m_strDocument), m_saved);
        StartAgain();
    }
}

TEST_F(RecoveryTest, DeclinedCopyIsDeletedAndTheStartDocumentStays)
{
    ASSERT_TRUE(Start());
    ChangeSavedDocument();
    LetTimerWriteCopy();
    CMessageBox::QueueAnswer(QMessageBox::No);
    ASSERT_TRUE(StartAgain(m_strDocument));
    EXPECT_TRUE(ListCopies().isEmpty());
    EXPECT_EQ(Doc().FindRemote("Amp"), nullptr);
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(RecoveryTest, UntitledDocumentIsRecoveredUntitled)
{
    ASSERT_TRUE(Start());
    AddRemoteWithButton("TV");
    LetTimerWriteCopy();
    EXPECT_EQ(ListCopies(), QStringList{"untitled.qb"});
    CMessageBox::TakeShownTexts();
    CMessageBox::QueueAnswer(QMessageBox::Yes);
    ASSERT_TRUE(StartAgain());
    EXPECT_TRUE(CMessageBox::TakeShownTexts().value(0).startsWith(
        "Quorbit has unsaved changes of Untitled from "));
    EXPECT_NE(Doc().FindRemote("TV"), nullptr);
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_TRUE(App().GetDocuments().GetPathName().isEmpty());
}

// The copy goes once the changes are saved or given up by choice, and only then.
TEST_F(RecoveryTest, CopyGoesWhenTheChangesAreSavedOrGivenUp)
{
    struct SCase
    {
        const char* pszWay;
        std::function<void()> end;
    };
    const SCase cases[] = {
        {"Save", [this] { App().GetDocuments().OnFileSave(); }},
        {"Save As",
         [this]
         {
             CFileDialog::QueuePath(GetTempPath("other.qb"));
             App().GetDocuments().OnFileSaveAs();
         }},
        {"New, not saving",
         [this]
         {
             CMessageBox::QueueAnswer(QMessageBox::No);
             App().GetDocuments().OnFileNew();
         }},
        {"Exit, not saving",
         [this]
         {
             CMessageBox::QueueAnswer(QMessageBox::No);
             Frame().OnCommand(CMainFrame::kCmdExit);
             App().ExitInstance();
         }},
    };
    ASSERT_TRUE(Start());
    for (const SCase& test : cases)
    {
        SCOPED_TRACE(test.pszWay);
        ChangeSavedDocument();
        LetTimerWriteCopy();
        ASSERT_EQ(ListCopies().size(), 1);
        test.end();
        EXPECT_TRUE(ListCopies().isEmpty());
        StartAgain();
    }

    // Cancelling the question keeps the changes, and so their copy.
    ChangeSavedDocument();
    LetTimerWriteCopy();
    CMessageBox::QueueAnswer(QMessageBox::Cancel);
    App().GetDocuments().OnFileNew();
    EXPECT_EQ(ListCopies().size(), 1);
}

// However the folder was left, the copy goes into it as a file of its own, readable by the
// person alone: a link in its place to the document is not written through.
TEST_F(RecoveryTest, CopyIsPrivateAndNeverWrittenOverTheDocument)
{
    ASSERT_TRUE(Start());
    ChangeSavedDocument();
    const std::string strName =
        CRecoveryFolder().GetName(QFile::encodeName(m_strDocument).toStdString());
    const QString strCopy = GetFolder() + "/" + QString::fromStdString(strName) + ".qb";
    ASSERT_TRUE(QDir().mkpath(GetFolder()));
    ASSERT_TRUE(QFile::link(m_strDocument, strCopy));
    ASSERT_TRUE(
        QFile::link(m_strDocument, GetFolder() + "/" + QString::fromStdString(strName) + ".path"));
    ::chmod(QFile::encodeName(GetFolder()).constData(), 0755);

    const mode_t nMask = ::umask(0);
    App().GetRecovery().WriteCopy();
    ::umask(nMask);
    EXPECT_EQ(ReadFile(m_strDocument), m_saved);
    EXPECT_EQ(GetMode(GetFolder()), 0700u);
    EXPECT_EQ(GetMode(strCopy), 0600u);
    EXPECT_EQ(GetMode(GetFolder() + "/" + QString::fromStdString(strName) + ".path"), 0600u);
    EXPECT_TRUE(std::filesystem::is_regular_file(
        std::filesystem::symlink_status(QFile::encodeName(strCopy).toStdString())));
}

TEST_F(RecoveryTest, DamagedCopyIsSetAsideWithAMessage)
{
    ASSERT_TRUE(QDir().mkpath(GetFolder()));
    const QString strCopy = GetFolder() + "/untitled.qb";
    QFile file(strCopy);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a document");
    file.close();

    ASSERT_TRUE(Start());
    const QStringList shown = CMessageBox::TakeShownTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(strCopy)) << shown[0].toStdString();
    EXPECT_TRUE(ListCopies().isEmpty());
    EXPECT_TRUE(QFile::exists(strCopy + ".damaged"));
}
// True once the program answers STATUS: it does so only when its window is up and its signal
// handlers are in place.
bool WaitUntilServing(const std::string& strSocket)
{
    for (int nTry = 0; nTry < 1200; ++nTry)
    {
        const CFileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, strSocket.c_str(), sizeof address.sun_path - 1);
        if (::connect(socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        {
            const timeval timeout{60, 0};
            ::setsockopt(socket.Get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
            char buffer[4096];
            return ::send(socket.Get(), "STATUS\n", 7, MSG_NOSIGNAL) == 7 &&
                   ::recv(socket.Get(), buffer, sizeof buffer, 0) > 0;
        }
        QTest::qSleep(50);
    }
    return false;
}

// The wait status of the program, killed if it does not end within a minute.
int WaitForEnd(pid_t nPid)
{
    int nStatus = 0;
    for (int nTry = 0; nTry < 1200 && ::waitpid(nPid, &nStatus, WNOHANG) == 0; ++nTry)
        QTest::qSleep(50);
    if (::waitpid(nPid, &nStatus, WNOHANG) == 0)
    {
        ADD_FAILURE() << "the window program did not end and was killed";
        ::kill(nPid, SIGKILL);
        ::waitpid(nPid, &nStatus, 0);
    }
    return nStatus;
}

// The window program itself, told to end by a logout or a kill, ends on its own, having kept
// what it must; it used to be ended by the signal there and then.
TEST(EndSignalTest, WindowProgramEndsCleanly)
{
    const CPrivateRuntime runtime;
    for (const int nSignal : {SIGTERM, SIGHUP})
    {
        SCOPED_TRACE(nSignal);
        char szProgram[] = QUORBIT_GUI_BINARY;
        char* argv[] = {szProgram, nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t nPid = 0;
        ASSERT_EQ(posix_spawn(&nPid, szProgram, &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_TRUE(WaitUntilServing(runtime.GetSocket()));
        ::kill(nPid, nSignal);
        const int nStatus = WaitForEnd(nPid);
        EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << nStatus;
    }
}
} // namespace
