#pragma once

#include "app/CSourceWatcher.h"
#include "control/CControlHandler.h"

#include <QObject>
#include <QTimer>

class CControlServer;
class CDocumentController;
class CMainFrame;
class CQuorbexSession;
struct SOpenRefusal;

// The window program's side of the control socket: the event loop watches the server's sockets,
// and requests act as the person's own commands would (a fire shows "Sending ..." in the status
// bar, a file opens as File > Open opens it, asking about unsaved changes).
class CWindowControl : public QObject, public CControlHandler
{
public:
    explicit CWindowControl(CControlServer& server);

    // Requests are answered from now on, on the document of documents and through its
    // frame; until then they wait in the socket.
    void StartServing(CDocumentController& documents, CMainFrame& frame);

    // Opens a file as File > Open does, asking about unsaved changes, and raises the window.
    SControlResult Open(const std::string& strPath) override;
    SControlResult Show() override;

protected:
    const char* GetProgramKind() const override { return "window"; }
    CQuorbexDoc* GetControlDocument() override;
    CFiringEngine& GetControlEngine() override;
    std::string GetDocumentPath() const override;
    CInfraredDevice& GetControlDevice() override;
    std::string GetClockName() const override;
    std::string GetFiringRefusal() const override;
    std::string GetEditRefusal() override;
    // Requests waiting behind a firing are served once it ends: a pad's or an event's firing
    // does not tell the socket, so the queue looks now and then while it holds any.
    void OnFireQueued() override;
    void FireFromControl(CRemote& remote, CRemoteButton& button) override;
    // Said in the status bar, where the press that set it off was.
    void OnActionRefused(const std::string& strAction, const SControlResult& result) override;

private:
    CQuorbexSession& GetSession() const;

    // Why no file may be opened now, or empty.
    std::string GetOpenRefusal();
    // Shows a refusal once the event loop has sent the reply.
    void ShowAfterReply(const SOpenRefusal& refusal);

    CDocumentController* m_pDocuments = nullptr;
    CMainFrame* m_pFrame = nullptr;
    CSourceWatcher m_serverWatcher;
    QTimer m_queueTimer;
};
