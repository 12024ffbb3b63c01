#include "control/CMosquittoLibrary.h"

#include <gtest/gtest.h>

namespace
{
TEST(MosquittoLibraryTest, LoadsTheInstalledLibraryWithEveryCall)
{
    std::string strError;
    const CMosquittoLibrary* pLibrary = CMosquittoLibrary::Get(strError);
    ASSERT_NE(pLibrary, nullptr) << strError;
    EXPECT_EQ(strError, "");
    // The library's own answer, not a stand-in.
    EXPECT_STREQ(pLibrary->m_pfnStrerror(MOSQ_ERR_NO_CONN), mosquitto_strerror(MOSQ_ERR_NO_CONN));
    EXPECT_EQ(CMosquittoLibrary::Get(strError), pLibrary);
}

// A library that cannot be loaded, or an older one without a call MQTT makes, is named with
// the package that brings it and the loader's reason.
TEST(MosquittoLibraryTest, SaysWhatIsMissing)
{
    struct SCase
    {
        const char* pszFile;
        const char* pszReason;
    };
    for (const SCase& test : {
             SCase{"libmosquitto.so.0-absent", "cannot open shared object file"},
             // The C library is there, but holds none of the calls.
             SCase{"libc.so.6", "mosquitto_lib_init"},
         })
    {
        CMosquittoLibrary library;
        std::string strError;
        EXPECT_FALSE(library.Load(test.pszFile, strError)) << test.pszFile;
        EXPECT_EQ(strError.find(std::string("MQTT needs ") + test.pszFile +
                                " (Debian package libmosquitto1"),
                  0u)
            << strError;
        EXPECT_NE(strError.find(test.pszReason), std::string::npos) << strError;
    }
}
} // namespace
