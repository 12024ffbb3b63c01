#pragma once

#include "support/CTempFolder.h"

#include <string>

#include <sys/types.h>

// A broker of the test's own on a free loopback port: no anonymous logins, a password file and
// an access list of its own, nothing kept on disk, so a restart forgets every retained message.
// The access list is the README's: user "living-room" (password kQuorbitPassword) may use
// quorbit/living-room/# and the hub's configurations under homeassistant/+/living-room/, user
// "bedroom" (kOtherPassword) the same for bedroom, and user "hub" (kHubPassword) every topic.
class CMosquittoBroker
{
public:
    static constexpr const char* kQuorbitUser = "living-room";
    static constexpr const char* kQuorbitPassword = "ir-secret";
    static constexpr const char* kOtherUser = "bedroom";
    static constexpr const char* kOtherPassword = "bed-secret";
    static constexpr const char* kHubPassword = "hub-secret";

    // Whether the broker's programs are there to start.
    static bool IsInstalled();

    CMosquittoBroker();
    ~CMosquittoBroker();
    CMosquittoBroker(const CMosquittoBroker&) = delete;
    CMosquittoBroker& operator=(const CMosquittoBroker&) = delete;

    // Before Start: a second listener, taking TLS with a certificate of its own that no
    // authority signed. Its port, or 0 when no certificate can be made.
    int AddTlsListener();
    // Starts the broker on its ports and waits until each takes connections; false when one
    // does not come up.
    bool Start();
    void Stop();
    int GetPort() const { return m_nPort; }
    // What the broker said on its output and in its log.
    std::string ReadLog() const;

private:
    CTempFolder m_folder;
    int m_nPort = 0;
    int m_nTlsPort = 0; // none until AddTlsListener
    pid_t m_nProcess = -1;
};
