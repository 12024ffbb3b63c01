#include "common/CLastFiredStore.h"

#include "cli/ListingTestDocument.h"
#include "support/CTempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
namespace fs = std::filesystem;

// A document with events "E0" to "E(n-1)" and a store in a folder of the test's own.
class LastFiredStoreTest : public ::testing::Test
{
protected:
    LastFiredStoreTest()
    {
        CRemote& tv = m_document.AddRemote("TV", 0);
        CRemoteButton& power = m_document.AddButton(tv, "Power", "\x01");
        for (int nEvent = 0; nEvent < kEvents; ++nEvent)
            m_document.AddEvent("E" + std::to_string(nEvent), CTime(1998, 3, 2, 7, 0, 0),
                                kFrequencyDaily, tv, power);
    }

    CLastFiredStore MakeStore()
    {
        CLastFiredStore store(m_strStore);
        store.SetNoticeObserver([this](const std::string& strNotice) { m_notices += strNotice; });
        return store;
    }

    // Remembers that event nEvent of the document at strDocument fired at 07:00.
    bool Remember(const CLastFiredStore& store, const std::string& strDocument, int nEvent)
    {
        CTimedEvent& event = *m_document.m_doc.FindEvent("E" + std::to_string(nEvent));
        event.m_lastFired = CTime(1998, 3, 2, 7, 0, 0);
        std::string strError;
        return store.Remember(strDocument, event, strError);
    }

    // How many of the document's events the store knows to have fired.
    int CountApplied(const std::string& strDocument)
    {
        CListingTestDocument fresh;
        CRemote& tv = fresh.AddRemote("TV", 0);
        CRemoteButton& power = fresh.AddButton(tv, "Power", "\x01");
        for (int nEvent = 0; nEvent < kEvents; ++nEvent)
            fresh.AddEvent("E" + std::to_string(nEvent), CTime(1998, 3, 2, 7, 0, 0),
                           kFrequencyDaily, tv, power);
        MakeStore().Apply(strDocument, fresh.m_doc);
        int nFired = 0;
        for (const auto& [strName, pEvent] : *fresh.m_doc.m_pEvents)
            nFired += pEvent->m_lastFired != CTime::NeverFired() ? 1 : 0;
        return nFired;
    }

    static constexpr int kEvents = 40;
    CTempFolder m_folder;
    std::string m_strStore = m_folder.File("state/quorbit/last-fired.json");
    std::string m_strDocument = m_folder.File("tv.qb");
    CListingTestDocument m_document;
    std::string m_notices;
};

// Two runners write at once; without the lock each rewrites the file from what it read and
// the other's entries are lost.
TEST_F(LastFiredStoreTest, TwoWritersAtOnceLoseNoEntry)
{
    const CLastFiredStore store = MakeStore();
    const auto write = [&](const std::string& strDocument)
    {
        for (int nEvent = 0; nEvent < kEvents; ++nEvent)
        {
            CTimedEvent event = *m_document.m_doc.FindEvent("E" + std::to_string(nEvent));
            event.m_lastFired = CTime(1998, 3, 2, 7, 0, 0);
            std::string strError;
            EXPECT_TRUE(store.Remember(strDocument, event, strError)) << strError;
        }
    };
    std::thread first(write, m_folder.File("a.qb"));
    std::thread second(write, m_folder.File("b.qb"));
    first.join();
    second.join();
    EXPECT_EQ(CountApplied(m_folder.File("a.qb")), kEvents);
    EXPECT_EQ(CountApplied(m_folder.File("b.qb")), kEvents);
}

// A run started through a link to the document, or through a linked folder, finds what the
// run on the document's own path remembered.
TEST_F(LastFiredStoreTest, DocumentIsKnownByItsCanonicalPath)
{
    WriteFileBytes(m_strDocument, "QB");
    fs::create_symlink(m_strDocument, m_folder.File("link.qb"));
    fs::create_directory_symlink(m_folder.GetPath(), m_folder.File("again"));
    ASSERT_TRUE(Remember(MakeStore(), m_folder.File("link.qb"), 0));
    EXPECT_EQ(CountApplied(m_strDocument), 1);
    EXPECT_EQ(CountApplied(m_folder.File("again/tv.qb")), 1);
}

// What the store file may be found as; none of it is read, written through or thrown away.
struct SHostileStoreCase
{
    const char* pszName;
    void (*make)(const std::string& strStore, const std::string& strDocument);
};

const SHostileStoreCase kHostileStoreCases[] = {
    {"LinkToTheDocument", [](const std::string& strStore, const std::string& strDocument)
     { fs::create_symlink(strDocument, strStore); }},
    {"NotJson", [](const std::string& strStore, const std::string&)
     { WriteFileBytes(strStore, "{\"/a.qb\": {\"E0\": 88"); }},
    {"JsonButNoObject",
     [](const std::string& strStore, const std::string&) { WriteFileBytes(strStore, "[1, 2]"); }},
    {"TooLarge", [](const std::string& strStore, const std::string&)
     { fs::resize_file((WriteFileBytes(strStore, "{"), strStore), std::uintmax_t{17} << 20); }},
    // Opening a FIFO to read it would wait for a writer for ever.
    {"Fifo", [](const std::string& strStore, const std::string&)
     { ASSERT_EQ(mkfifo(strStore.c_str(), 0600), 0); }},
};

class HostileStoreTest : public LastFiredStoreTest,
                         public testing::WithParamInterface<SHostileStoreCase>
{
};

TEST_P(HostileStoreTest, IsKeptAsideWithANoticeAndAFreshPrivateStoreTakesItsPlace)
{
    const std::string strDocumentText = "QB the person's own document";
    WriteFileBytes(m_strDocument, strDocumentText);
    fs::create_directories(fs::path(m_strStore).parent_path());
    fs::permissions(fs::path(m_strStore).parent_path(), fs::perms(0755));
    GetParam().make(m_strStore, m_strDocument);

    ASSERT_TRUE(Remember(MakeStore(), m_strDocument, 3));

    EXPECT_EQ(ReadFileBytes(m_strDocument), strDocumentText);
    EXPECT_NE(m_notices.find("could not be read"), std::string::npos) << m_notices;
    int nAside = 0;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(m_strStore).parent_path()))
        nAside += entry.path().filename().string().starts_with("last-fired.json.damaged-") ? 1 : 0;
    EXPECT_EQ(nAside, 1);
    EXPECT_NE(m_notices.find(".damaged-"), std::string::npos) << m_notices;

    struct stat status
    {
    };
    ASSERT_EQ(lstat(m_strStore.c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(fs::path(m_strStore).parent_path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    EXPECT_EQ(CountApplied(m_strDocument), 1);
}

INSTANTIATE_TEST_SUITE_P(Files, HostileStoreTest, testing::ValuesIn(kHostileStoreCases),
                         [](const testing::TestParamInfo<SHostileStoreCase>& info)
                         { return info.param.pszName; });

// A state folder another user made (in a shared place, say) is never written into.
TEST_F(LastFiredStoreTest, FolderOfAnotherUserIsRefusedByName)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to give the folder to another user";
    const fs::path folder = fs::path(m_strStore).parent_path();
    fs::create_directories(folder);
    ASSERT_EQ(chown(folder.c_str(), 65534, 65534), 0);
    CTimedEvent& event = *m_document.m_doc.FindEvent("E0");
    std::string strError;
    EXPECT_FALSE(MakeStore().Remember(m_strDocument, event, strError));
    EXPECT_NE(strError.find(folder.string()), std::string::npos) << strError;
    EXPECT_NE(strError.find("belongs to user 65534"), std::string::npos) << strError;
    EXPECT_FALSE(fs::exists(m_strStore));
}
} // namespace
