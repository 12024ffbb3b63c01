#include "document/CDocumentLock.h"

#include "CQbBytes.h"
#include "base/CStringTable.h"
#include "device/CBiosClock.h"
#include "document/CQuorbexDoc.h"
#include "document/CSafeFile.h"
#include "support/CRecordingFrontEnd.h"
#include "support/CScriptedClock.h"
#include "support/CTempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

namespace
{
using CBytes = std::vector<std::uint8_t>;
using EResult = CDocumentLock::EResult;

// A program that waited for a save to finish must end up holding the file the save put in
// place, not the one it replaced; else a third program would find the document free while the
// second still works on it.
TEST(CDocumentLockTest, AWaitingProgramLocksTheFileTheSavePutInPlace)
{
    const CTempFolder folder;
    const std::string strPath = folder.File("home.qb");
    WriteFileBytes(strPath, "old");
    CDocumentLock first;
    std::string strError;
    ASSERT_EQ(first.Lock(strPath, true, 0, strError), EResult::Locked) << strError;

    EResult nSecond = EResult::Failed;
    EResult nThirdMeanwhile = EResult::Failed;
    std::string strThirdError;
    std::thread second(
        [&]
        {
            CDocumentLock lock;
            std::string strSecondError;
            nSecond = lock.Lock(strPath, true, CDocumentLock::kWaitMs, strSecondError);
            CDocumentLock third;
            nThirdMeanwhile = third.Lock(strPath, false, 0, strThirdError);
        });
    // Gives the second a moment to start waiting on the old file; the outcome is the same
    // should it come later.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const CBytes fresh(20, 0x22);
    ASSERT_TRUE(CSafeFile().SaveWithBackup(strPath, fresh, strError)) << strError;
    first.Unlock();
    second.join();

    EXPECT_EQ(nSecond, EResult::Locked);
    EXPECT_EQ(nThirdMeanwhile, EResult::Busy);
    EXPECT_NE(strThirdError.find(strPath + " is being changed by another program"),
              std::string::npos)
        << strThirdError;
}

class CStaleSaveTest : public testing::Test
{
protected:
    CTempFolder m_folder;
    CRecordingFrontEnd m_frontEnd;
    CScriptedClock m_backend;
    CBiosClock m_clock{m_backend};
    CQuorbexDoc m_doc{m_frontEnd, m_clock, SClockSettings{}};
    CQuorbexDoc m_other{m_frontEnd, m_clock, SClockSettings{}};
    const std::string m_strPath = m_folder.File("home.qb");
};

// Whatever way another program changed the file after it was read here, a save here refuses to
// overwrite it unless told to.
TEST_F(CStaleSaveTest, ASaveRefusesAFileAnotherProgramChangedSinceItWasRead)
{
    struct SCase
    {
        const char* pszHow;
        std::function<void(CQuorbexDoc& other, const std::string& strPath)> change;
    };
    const SCase cases[] = {
        {"saved by another Quorbit",
         [](CQuorbexDoc& other, const std::string& strPath)
         {
             ASSERT_TRUE(other.OnOpenDocument(strPath));
             AddTestRemote(other, "Amp");
             ASSERT_TRUE(other.OnSaveDocument(strPath));
         }},
        {"written in place",
         [](CQuorbexDoc&, const std::string& strPath)
         {
             const std::string strBytes = ReadFileBytes(strPath);
             std::ofstream(strPath, std::ios::binary | std::ios::app) << "x";
             ASSERT_NE(ReadFileBytes(strPath), strBytes);
         }},
    };
    for (const SCase& test : cases)
    {
        SCOPED_TRACE(test.pszHow);
        m_doc.OnNewDocument();
        AddExampleContent(m_doc);
        ASSERT_TRUE(m_doc.OnSaveDocument(m_strPath));
        ASSERT_TRUE(m_doc.OnOpenDocument(m_strPath));
        EXPECT_FALSE(m_doc.HasChangedOnDisk(m_strPath));
        test.change(m_other, m_strPath);
        const std::string strChanged = ReadFileBytes(m_strPath);
        m_frontEnd.m_messages.clear();

        AddTestRemote(m_doc, "Lamp");
        EXPECT_TRUE(m_doc.HasChangedOnDisk(m_strPath));
        EXPECT_FALSE(m_doc.OnSaveDocument(m_strPath));
        EXPECT_EQ(ReadFileBytes(m_strPath), strChanged);
        ASSERT_EQ(m_frontEnd.m_messages.size(), 1u);
        EXPECT_EQ(m_frontEnd.m_messages[0].nStringId, StringId::kSaveFailed);
        EXPECT_EQ(m_frontEnd.m_messages[0].strArgument,
                  m_strPath + ": another program changed the file since it was read here, so "
                              "it is not overwritten");

        // Told to, it overwrites, and its own save is no change to the next.
        EXPECT_TRUE(m_doc.OnSaveDocument(m_strPath, true));
        EXPECT_FALSE(m_doc.HasChangedOnDisk(m_strPath));
        EXPECT_TRUE(m_doc.OnSaveDocument(m_strPath));
        ASSERT_TRUE(m_other.OnOpenDocument(m_strPath));
        EXPECT_NE(m_other.FindRemote("Lamp"), nullptr);
    }
}
} // namespace
