#include "control/CHostLookup.h"

#include <thread>

#include <arpa/inet.h>
#include <netdb.h>

CHostLookup::CHostLookup(const std::string& strHost) : m_pResult(std::make_shared<SResult>())
{
    std::thread(
        [pResult = m_pResult, strHost]
        {
            addrinfo hints{};
            hints.ai_socktype = SOCK_STREAM;
            addrinfo* pFound = nullptr;
            const int nResult = getaddrinfo(strHost.c_str(), nullptr, &hints, &pFound);
            if (nResult == 0)
                freeaddrinfo(pFound);
            else
                pResult->strError = strHost + " is not found (" + gai_strerror(nResult) + ")";
            pResult->bDone.store(true, std::memory_order_release);
        })
        .detach();
}

bool CHostLookup::IsAddress(const std::string& strHost)
{
    unsigned char address[sizeof(in6_addr)];
    return inet_pton(AF_INET, strHost.c_str(), address) == 1 ||
           inet_pton(AF_INET6, strHost.c_str(), address) == 1;
}
