#pragma once

// A loopback TCP port of the test's own: while open it takes connections into its backlog and
// never speaks, like a broker that does not answer; closed, it resets what it took and is free
// for a broker of the test's to listen on.
class CLoopbackPort
{
public:
    CLoopbackPort();
    ~CLoopbackPort() { Close(); }
    CLoopbackPort(const CLoopbackPort&) = delete;
    CLoopbackPort& operator=(const CLoopbackPort&) = delete;

    int GetPort() const { return m_nPort; }
    void Close();

    // Whether something listens on the loopback port.
    static bool TakesConnections(int nPort);

private:
    int m_nSocket;
    int m_nPort = 0;
};
