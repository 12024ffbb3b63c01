#include "cli/CDocumentWatch.h"

#include <cstring>
#include <filesystem>

#include <sys/inotify.h>

namespace
{
// Written and closed, or put in place by a rename: either way the file is whole.
constexpr std::uint32_t kWholeFile = IN_CLOSE_WRITE | IN_MOVED_TO;
} // namespace

CDocumentWatch::CDocumentWatch(const std::string& strPath, std::function<void()> written)
    : m_notify(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
      m_strName(std::filesystem::path(strPath).filename().string()), m_written(std::move(written))
{
    const std::filesystem::path folder = std::filesystem::path(strPath).parent_path();
    if (m_notify.IsOpen() &&
        inotify_add_watch(m_notify.Get(), folder.empty() ? "." : folder.c_str(), kWholeFile) < 0)
        m_notify = CFileDescriptor();
}

std::vector<int> CDocumentWatch::GetWatchedDescriptors() const
{
    if (!m_notify.IsOpen())
        return {};
    return {m_notify.Get()};
}

void CDocumentWatch::OnReadable(int nDescriptor)
{
    alignas(inotify_event) char buffer[4096];
    bool bWritten = false;
    ssize_t nRead = 0;
    while ((nRead = ::read(nDescriptor, buffer, sizeof buffer)) > 0)
    {
        for (ssize_t nAt = 0; nAt < nRead;)
        {
            inotify_event event;
            std::memcpy(&event, buffer + nAt, sizeof event);
            const char* pszName = buffer + nAt + sizeof event;
            // Events lost to a full queue may have been the document's.
            if ((event.mask & IN_Q_OVERFLOW) != 0 || (event.len > 0 && m_strName == pszName))
                bWritten = true;
            nAt += static_cast<ssize_t>(sizeof event + event.len);
        }
    }
    if (bWritten)
        m_written();
}
