#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <vector>

class CControlHandler;
class CMainFrame;
class CQuorbexSession;

// The window program listens between firings: the event loop watches the receiver's descriptor
// (and looks once a second, for a unit with none to watch and for a signal that ends in
// silence), the listener tells the windows through the front end, and the control socket's and
// the broker's listeners hear of each press. Learn in the Heard list makes a button of a signal.
class CHearingLink : public QObject
{
public:
    CHearingLink(CQuorbexSession& session, CControlHandler& control, CMainFrame& frame);

private:
    void Listen();
    // Watches the descriptor of the unit in use, which the Configure dialog may have replaced.
    void WatchDescriptor();
    void Learn(const std::vector<std::uint32_t>& durations);

    CQuorbexSession& m_session;
    CMainFrame& m_frame;
    QTimer m_beat;
    std::unique_ptr<QSocketNotifier> m_pNotifier;
};
