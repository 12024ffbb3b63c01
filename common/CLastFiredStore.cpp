#include "common/CLastFiredStore.h"

#include "base/CFileDescriptor.h"
#include "base/StateFolder.h"
#include "base/TextEncoding.h"
#include "document/CQuorbexDoc.h"
#include "document/CSafeFile.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include <climits>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Far more than the times of any number of documents' events take.
constexpr std::size_t kMaxStateBytes = std::size_t{16} << 20;

std::string SystemReason(int nError)
{
    return std::strerror(nError);
}

// The state folder, the user's alone, locked for as long as this lives, so that two Quorbits
// never interleave their read-change-writes and lose each other's entries.
class CLockedFolder
{
public:
    bool Open(const std::filesystem::path& folder, std::string& strError)
    {
        std::error_code error;
        std::filesystem::create_directories(folder.parent_path(), error);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return Fail(folder, SystemReason(errno), strError);
        m_folder = CFileDescriptor(
            ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat status
        {
        };
        if (!m_folder.IsOpen() || ::fstat(m_folder.Get(), &status) != 0)
            return Fail(folder, errno == ELOOP ? "a link, not a folder" : SystemReason(errno),
                        strError);
        if (status.st_uid != ::geteuid())
            return Fail(folder, "it belongs to user " + std::to_string(status.st_uid), strError);
        if ((status.st_mode & 077) != 0 && ::fchmod(m_folder.Get(), 0700) != 0)
            return Fail(folder, SystemReason(errno), strError);
        if (::flock(m_folder.Get(), LOCK_EX) != 0)
            return Fail(folder, SystemReason(errno), strError);
        return true;
    }

    int Get() const { return m_folder.Get(); }

private:
    static bool Fail(const std::filesystem::path& folder, const std::string& strReason,
                     std::string& strError)
    {
        strError = folder.string() + ": " + strReason;
        return false;
    }

    CFileDescriptor m_folder;
};

// The store's entries, or why the file is no store: not a regular file of the user's, too
// large, or not a JSON object. A missing file is an empty store.
bool ReadState(int nFolder, const std::string& strName, nlohmann::json& state,
               std::string& strReason)
{
    state = nlohmann::json::object();
    const CFileDescriptor file(
        ::openat(nFolder, strName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.IsOpen())
    {
        if (errno == ENOENT)
            return true;
        strReason = errno == ELOOP ? "a link" : SystemReason(errno);
        return false;
    }
    struct stat status
    {
    };
    if (::fstat(file.Get(), &status) == 0 && status.st_uid != ::geteuid())
    {
        strReason = "it belongs to user " + std::to_string(status.st_uid);
        return false;
    }
    std::vector<std::uint8_t> bytes;
    if (!CSafeFile::ReadOpen(file, kMaxStateBytes, bytes, strReason))
        return false;
    state = nlohmann::json::parse(bytes, nullptr, false);
    if (state.is_object())
        return true;
    state = nlohmann::json::object();
    strReason = "not a list of documents and their events' times";
    return false;
}

// A name beside the store for a file that could not be read, telling when it was put aside.
std::string GetAsideName(const std::string& strName)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char szStamp[32];
    std::strftime(szStamp, sizeof szStamp, "%Y%m%d-%H%M%S", &local);
    return strName + ".damaged-" + szStamp;
}

// Writes the whole store in the locked folder: a new file, private to the user, renamed over
// the old one. A rename replaces a link rather than writing through it.
bool WriteState(int nFolder, const std::string& strName, const nlohmann::json& state,
                std::string& strError)
{
    const std::string strText =
        state.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    const std::string strTemporary = "." + strName + ".new";
    ::unlinkat(nFolder, strTemporary.c_str(), 0); // what an interrupted write left
    CFileDescriptor file(::openat(nFolder, strTemporary.c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    bool bWritten = file.IsOpen();
    for (std::size_t nDone = 0; bWritten && nDone < strText.size();)
    {
        const ssize_t n = ::write(file.Get(), strText.data() + nDone, strText.size() - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        bWritten = n > 0;
        nDone += bWritten ? static_cast<std::size_t>(n) : 0;
    }
    bWritten = bWritten && ::fsync(file.Get()) == 0 && file.Close() &&
               ::renameat(nFolder, strTemporary.c_str(), nFolder, strName.c_str()) == 0;
    if (!bWritten)
    {
        strError = SystemReason(errno);
        ::unlinkat(nFolder, strTemporary.c_str(), 0);
        return false;
    }
    ::fsync(nFolder);
    return true;
}

// Documents are known by their canonical path, so that a link to a document, or a path through
// a linked folder, finds the same entries as the document's own path.
std::string KeyOfDocument(const std::string& strDocument)
{
    char szResolved[PATH_MAX];
    const char* pszKey =
        ::realpath(strDocument.c_str(), szResolved) ? szResolved : strDocument.c_str();
    return ToDisplayText(pszKey);
}

// The store read under the folder's lock; a file that is no store is put aside, and
// strNotice says so.
bool ReadLocked(const std::string& strFile, CLockedFolder& folder, nlohmann::json& state,
                std::string& strNotice, std::string& strError)
{
    const std::filesystem::path path(strFile);
    if (strFile.empty())
    {
        strError = "there is no home folder to keep it in";
        return false;
    }
    if (!folder.Open(path.parent_path(), strError))
        return false;
    const std::string strName = path.filename().string();
    std::string strReason;
    if (ReadState(folder.Get(), strName, state, strReason))
        return true;
    const std::string strAside = GetAsideName(strName);
    if (::renameat(folder.Get(), strName.c_str(), folder.Get(), strAside.c_str()) != 0)
    {
        strError =
            strFile + ": " + strReason + ", and it cannot be put aside: " + SystemReason(errno);
        return false;
    }
    strNotice = strFile + " could not be read (" + strReason + "); it was kept as " +
                (path.parent_path() / strAside).string() +
                " and when events last fired starts afresh";
    return true;
}

// Keys are UTF-8; event names are kept in the document's code page.
std::string KeyOf(const std::string& strName)
{
    return ToDisplayText(strName);
}
} // namespace

std::string CLastFiredStore::GetDefaultFile()
{
    const std::string strFolder = GetStateFolder();
    return strFolder.empty() ? std::string() : strFolder + "/last-fired.json";
}

CLastFiredStore::CLastFiredStore(std::string strFile) : m_strFile(std::move(strFile)) {}

void CLastFiredStore::Apply(const std::string& strDocument, CQuorbexDoc& doc) const
{
    CLockedFolder folder;
    nlohmann::json state;
    std::string strNotice, strError;
    if (!ReadLocked(m_strFile, folder, state, strNotice, strError) && !m_strFile.empty())
        strNotice = "cannot read when events last fired: " + strError;
    if (!strNotice.empty() && m_onNotice)
        m_onNotice(strNotice);
    const auto document = state.find(KeyOfDocument(strDocument));
    if (document == state.end() || !document->is_object())
        return;
    for (const auto& [strName, pEvent] : *doc.m_pEvents)
    {
        const auto fired = document->find(KeyOf(strName));
        if (fired != document->end() && fired->is_number_integer())
            pEvent->m_lastFired = std::max(pEvent->m_lastFired, CTime(fired->get<std::int64_t>()));
    }
}

bool CLastFiredStore::Remember(const std::string& strDocument, const CTimedEvent& event,
                               std::string& strError) const
{
    CLockedFolder folder;
    nlohmann::json state;
    std::string strNotice;
    if (!ReadLocked(m_strFile, folder, state, strNotice, strError))
        return false;
    if (!strNotice.empty() && m_onNotice)
        m_onNotice(strNotice);
    state[KeyOfDocument(strDocument)][KeyOf(event.m_strName)] = event.m_lastFired.GetTime();
    const std::filesystem::path path(m_strFile);
    if (!WriteState(folder.Get(), path.filename().string(), state, strError))
    {
        strError = m_strFile + ": " + strError;
        return false;
    }
    return true;
}
