#include "support/CLoopbackPort.h"

#include <cstdint>
#include <utility>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
sockaddr_in LoopbackAddress(int nPort)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(nPort));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}
} // namespace

// The kernel picks the port for a socket bound to port 0.
CLoopbackPort::CLoopbackPort() : m_nSocket(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
{
    sockaddr_in address = LoopbackAddress(0);
    socklen_t nSize = sizeof(address);
    auto* pAddress = reinterpret_cast<sockaddr*>(&address);
    if (bind(m_nSocket, pAddress, nSize) == 0 && listen(m_nSocket, 1) == 0 &&
        getsockname(m_nSocket, pAddress, &nSize) == 0)
        m_nPort = ntohs(address.sin_port);
}

void CLoopbackPort::Close()
{
    if (m_nSocket >= 0)
        close(std::exchange(m_nSocket, -1));
}

bool CLoopbackPort::TakesConnections(int nPort)
{
    const int nSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = LoopbackAddress(nPort);
    const bool bConnected =
        connect(nSocket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    close(nSocket);
    return bConnected;
}
