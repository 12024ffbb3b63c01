#include "app/cli/CLastFiredStore.h"

#include "base/StateFolder.h"
#include "base/TextEncoding.h"
#include "document/CQuorbexDoc.h"
#include "document/CSafeFile.h"

#include <nlohmann/json.hpp>

#include <filesystem>

namespace
{
// Far more than the times of any number of documents' events take.
constexpr std::size_t kMaxStateBytes = std::size_t{16} << 20;

// A damaged or missing file is the same as an empty one: nothing fired that it knows of.
nlohmann::json ReadState(const std::string& strFile)
{
    std::vector<std::uint8_t> bytes;
    std::string strError;
    if (strFile.empty() || !CSafeFile::ReadAll(strFile, kMaxStateBytes, bytes, strError))
        return nlohmann::json::object();
    nlohmann::json state = nlohmann::json::parse(bytes, nullptr, false);
    return state.is_object() ? state : nlohmann::json::object();
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
    const nlohmann::json state = ReadState(m_strFile);
    const auto document = state.find(KeyOf(strDocument));
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
    if (m_strFile.empty())
    {
        strError = "there is no home folder to keep it in";
        return false;
    }
    nlohmann::json state = ReadState(m_strFile);
    state[KeyOf(strDocument)][KeyOf(event.m_strName)] = event.m_lastFired.GetTime();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(m_strFile).parent_path(), error);
    const std::string strText =
        state.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (!CSafeFile().Save(m_strFile,
                          {reinterpret_cast<const std::uint8_t*>(strText.data()), strText.size()},
                          strError))
    {
        strError = m_strFile + ": " + strError;
        return false;
    }
    return true;
}
