#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "app/CWindowControl.h"
#include "control/CControlServer.h"
#include "control/ControlProtocol.h"
#include "control/ControlSocket.h"
#include "device/CInfraredDevice.h"
#include "support/CPrivateRuntime.h"

#include <QCoreApplication>
#include <QDialog>
#include <QMessageBox>
#include <QStatusBar>

#include <future>

namespace
{
// The window program with its control socket, and a script talking to it from another thread
// while the window's event loop runs.
class WindowControlTest : public CAppFixture
{
protected:
    void Serve()
    {
        std::string strError;
        ASSERT_EQ(m_server.Claim(strError), CControlServer::EClaim::Claimed) << strError;
        ASSERT_TRUE(m_server.Listen(m_control, strError)) << strError;
        m_control.StartServing(App().GetDocuments(), Frame());
    }

    // The reply's last line, once the event loop has answered.
    std::string Request(const std::string& strLine)
    {
        std::future<std::string> reply =
            std::async(std::launch::async,
                       [strLine]
                       {
                           CControlClient client;
                           std::string strError;
                           std::vector<std::string> dataLines;
                           std::string strLastLine;
                           if (client.Connect(strError) != CControlClient::EConnect::Connected ||
                               !client.Request(strLine, dataLines, strLastLine, strError))
                               return strError;
                           return strLastLine;
                       });
        while (reply.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
            QCoreApplication::processEvents();
        return reply.get();
    }

    CPrivateRuntime m_runtime;
    CControlServer m_server;
    CWindowControl m_control{m_server};
};

TEST_F(WindowControlTest, ScriptsOpenFilesAndFireAsThePersonWould)
{
    ASSERT_TRUE(Start());
    Serve();
    EXPECT_EQ(Request("FIRE TV Power"), "ERROR no-document no document is open");

    const QString strFile = QString(QUORBIT_EXAMPLES) + "/living-room.qb";
    EXPECT_EQ(Request("OPEN " + QuoteControlWord(strFile.toStdString())),
              "OK opened " + strFile.toStdString());
    EXPECT_EQ(App().GetDocuments().GetPathName(), strFile);

    EXPECT_EQ(Request("FIRE TV Power"), "OK fired TV Power");
    EXPECT_GT(App().GetUnit().GetDevice().GetLastTransmitNanosPerSample(), 0);
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "Sent TV: TV on/off");

    // A dialog may hold records of the document that opening would replace.
    WhenDialogOpens(
        [this](QDialog& dialog)
        {
            EXPECT_EQ(Request("OPEN " + QuoteControlWord(GetTempPath("x.qb").toStdString())),
                      "ERROR busy a dialog is open in Quorbit; close it first");
            EXPECT_EQ(FormatControlResult(m_control.Enable("Sunday film", true)),
                      "ERROR busy a dialog is open in Quorbit; close it first\n");
            dialog.reject();
        });
    Frame().OnCommand(CMainFrame::kCmdEventProgrammer);
    EXPECT_EQ(App().GetDocuments().GetPathName(), strFile);
    // Turned on from the hub as the Disable box would, for the person to save.
    EXPECT_EQ(FormatControlResult(m_control.Enable("Sunday film", true)),
              "OK enabled \"Sunday film\"\n");
    EXPECT_TRUE(App().GetSession().GetDocument().IsModified());
}
// "quorbit FILE" hands the file over and waits for the reply: a question put to the person must
// not hold it up, whether it is open already or the hand-over would raise it.
TEST_F(WindowControlTest, AHandOverIsAnsweredAtOnceWhileAQuestionIsOrWouldBeOpen)
{
    ASSERT_TRUE(Start());
    Serve();
    AddRemoteWithButton("TV");
    const QString strFile = QString(QUORBIT_EXAMPLES) + "/living-room.qb";
    const std::string strOpen = "OPEN " + QuoteControlWord(strFile.toStdString());

    QMessageBox question(QMessageBox::Question, "Quorbit", "Save changes to Untitled?",
                         QMessageBox::Yes | QMessageBox::No, &Frame());
    question.open();
    EXPECT_EQ(Request(strOpen),
              "ERROR busy Quorbit asks \"Save changes to Untitled?\"; answer it first");
    question.reject();
    QCoreApplication::processEvents();
    CMessageBox::TakeShownTexts(); // the refusal, shown to the person too

    CMessageBox::QueueAnswer(QMessageBox::No);
    EXPECT_EQ(Request(strOpen), "ERROR busy the changes to Untitled are not saved; Quorbit asks "
                                "about them before it opens " +
                                    strFile.toStdString());
    QCoreApplication::processEvents();
    EXPECT_EQ(CMessageBox::TakeShownTexts(), QStringList{"Save changes to Untitled?"});
    EXPECT_EQ(App().GetDocuments().GetPathName(), strFile);
    EXPECT_FALSE(Doc().IsModified());
}

// A second start or a script waits for the reply; the person's box must not hold it up, and
// the document open stays as it was.
TEST_F(WindowControlTest, ARefusedFileIsAnsweredBeforeItsMessageAndKeepsTheDocument)
{
    ASSERT_TRUE(Start());
    m_control.StartServing(App().GetDocuments(), Frame());
    AddRemoteWithButton("TV");
    const QString strNotes = WriteTempFile("notes.qb", "These are notes, not remote controls.");

    const std::string strReply = FormatControlResult(m_control.Open(strNotes.toStdString()));
    EXPECT_EQ(strReply, "ERROR not-opened " + strNotes.toStdString() +
                            "  The file you have attempted to open is not a valid Quorbit "
                            "file.\n");
    EXPECT_TRUE(CMessageBox::TakeShownTexts().isEmpty());
    QCoreApplication::processEvents();
    const QStringList shown = CMessageBox::TakeShownTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(strNotes + "\n\n")) << shown[0].toStdString();
    EXPECT_NE(Doc().FindRemote("TV"), nullptr);
    EXPECT_TRUE(Doc().IsModified());
}
} // namespace
