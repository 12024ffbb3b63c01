// --list --json says what a button keeps beside its samples, and leaves everything else as it
// was.
#include "cli/DocumentListing.h"
#include "cli/ListingTestDocument.h"
#include "signal/SignalDurations.h"
#include "signal/SignalEncoder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace
{
using Json = nlohmann::json;

// A Pioneer code imported from a ".ir" file: its frames are NEC's, sampled every 2 µs.
TEST(ListingFactsTest, JsonAddsTheTimeBaseCarrierAndCodeBesideTodaysKeys)
{
    CListingTestDocument test;
    CRemote& tuner = test.AddRemote("Tuner", 0);
    CRemoteButton& power = test.AddButton(tuner, "Power", "");
    SEncodedSignal encoded;
    ASSERT_TRUE(EncodeSignal({.eProtocol = EProtocol::kPioneer, .nAddress = 0xAA, .nCommand = 0x1C},
                             encoded));
    power.m_bits = ToBitstream(encoded.durations, 2000);
    const std::string strBefore = FormatDocumentJson(test.m_doc, 1000);

    power.m_facts = {2000000, 40000, 33, SButtonCode{"Pioneer", 0xAA, 0x1C, 0, 0, false, true}};
    const Json listed = Json::parse(FormatDocumentJson(test.m_doc, 1000));
    const Json& button = listed["remotes"][0]["buttons"][0];
    EXPECT_EQ(button["nanosPerSample"], 2000.0);
    EXPECT_EQ(button["carrier"], 40000);
    EXPECT_EQ(button["dutyCycle"], 33);
    EXPECT_EQ(button["code"], Json::parse(R"({"protocol": "Pioneer", "address": 170,
        "command": 28, "bits": 0, "extended": false, "timings": "ir-file"})"));
    // Read at its own 2 µs, the recording is understood; at the unit's 1 µs it was not.
    EXPECT_EQ(button["signal"]["protocol"], "NEC");
    EXPECT_EQ(button["signal"]["address"], 0xAA);
    EXPECT_EQ(Json::parse(strBefore)["remotes"][0]["buttons"][0]["signal"]["protocol"], "unknown");

    // Without the facts the listing is what it always was, key for key.
    Json withoutFacts = listed;
    for (const char* pszKey : {"nanosPerSample", "carrier", "dutyCycle", "code"})
        withoutFacts["remotes"][0]["buttons"][0].erase(pszKey);
    withoutFacts["remotes"][0]["buttons"][0]["signal"] =
        Json::parse(strBefore)["remotes"][0]["buttons"][0]["signal"];
    EXPECT_EQ(withoutFacts, Json::parse(strBefore));
    power.m_facts = {};
    EXPECT_EQ(FormatDocumentJson(test.m_doc, 1000), strBefore);
}
} // namespace
