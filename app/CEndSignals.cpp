#include "app/CEndSignals.h"

#include <cerrno>

#include <sys/socket.h>
#include <unistd.h>

namespace
{
// The write end for the handler; one set of handlers is installed at a time.
volatile std::sig_atomic_t g_nSignalFd = -1;

void OnEndSignal(int nSignal)
{
    const int nSavedErrno = errno;
    const unsigned char chSignal = static_cast<unsigned char>(nSignal);
    [[maybe_unused]] const ssize_t nWritten = ::write(g_nSignalFd, &chSignal, 1);
    errno = nSavedErrno;
}
} // namespace

CEndSignals::CEndSignals(std::function<void(int nSignal)> onSignal)
    : m_onSignal(std::move(onSignal))
{
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0)
        return;
    m_read = CFileDescriptor(fds[0]);
    m_write = CFileDescriptor(fds[1]);
    m_pNotifier = std::make_unique<QSocketNotifier>(m_read.Get(), QSocketNotifier::Read);
    QObject::connect(m_pNotifier.get(), &QSocketNotifier::activated, [this] { OnReadable(); });
    g_nSignalFd = m_write.Get();

    struct sigaction action
    {
    };
    action.sa_handler = OnEndSignal;
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (std::size_t nSignal = 0; nSignal < std::size(kSignals); ++nSignal)
        ::sigaction(kSignals[nSignal], &action, &m_previous[nSignal]);
}

CEndSignals::~CEndSignals()
{
    if (!m_pNotifier)
        return;
    for (std::size_t nSignal = 0; nSignal < std::size(kSignals); ++nSignal)
        ::sigaction(kSignals[nSignal], &m_previous[nSignal], nullptr);
    g_nSignalFd = -1;
}

void CEndSignals::OnReadable()
{
    unsigned char chSignal = 0;
    while (::read(m_read.Get(), &chSignal, 1) == 1)
        m_onSignal(chSignal);
}
