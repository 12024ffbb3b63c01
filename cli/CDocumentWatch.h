#pragma once

#include "base/CFileDescriptor.h"
#include "control/CWatchedSource.h"

#include <functional>
#include <string>
#include <vector>

// Tells a run when its document's file has been written or replaced, so that a change another
// command made (an import, a learned button) is there for the next request at once, and the
// run need not look at the file every second to see it. The folder is watched, not the file:
// a save puts a new file in the old one's place. Where the system cannot watch (no inotify
// left), it watches nothing, and the run sees the change at its next minute.
class CDocumentWatch : public CWatchedSource
{
public:
    CDocumentWatch(const std::string& strPath, std::function<void()> written);

    std::vector<int> GetWatchedDescriptors() const override;
    void OnReadable(int nDescriptor) override;
    std::vector<int> GetWritingDescriptors() const override { return {}; }
    void OnWritable(int) override {}

private:
    CFileDescriptor m_notify;
    std::string m_strName;
    std::function<void()> m_written;
};
