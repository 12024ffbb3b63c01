#include "support/FreshStateFolders.h"

#include "support/CTempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace
{
class CFreshStateFolders : public testing::EmptyTestEventListener
{
    void OnTestStart(const testing::TestInfo&) override
    {
        const std::string strFolder = m_folder.File("state" + std::to_string(++m_nTests));
        setenv("XDG_STATE_HOME", strFolder.c_str(), 1);
    }

    CTempFolder m_folder;
    int m_nTests = 0;
};
} // namespace

void UseFreshStateFolders()
{
    static bool bInUse = false;
    if (!std::exchange(bInUse, true))
        testing::UnitTest::GetInstance()->listeners().Append(new CFreshStateFolders);
}
