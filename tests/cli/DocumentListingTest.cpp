#include "cli/DocumentListing.h"
#include "cli/CListingFrontEnd.h"
#include "cli/ListingTestDocument.h"
#include "signal/SignalDurations.h"
#include "signal/SignalEncoder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace
{
// Two remotes, a megabutton that spans both, a fifth-column button in its second stored form,
// and one event that fired and one that never did.
class DocumentListingTest : public testing::Test
{
protected:
    DocumentListingTest()
    {
        CRemote& tv = m_test.AddRemote("TV", 0);
        CRemoteButton& power = m_test.AddButton(tv, "Power", std::string("\xFF\x00", 2), 0, 0);
        m_test.AddButton(tv, "Vol+", "");
        m_test.AddButton(tv, "Zap", "\xA5", 3, 20);
        CRemote& hifi = m_test.AddRemote("HiFi", 3);
        CRemoteButton& mute = m_test.AddButton(hifi, "Mute", "");
        SEncodedSignal encoded;
        EncodeSignal({.eProtocol = EProtocol::kNec, .nAddress = 0x04, .nCommand = 0x08}, encoded);
        mute.m_bits = ToBitstream(encoded.durations, kNanos);
        CRemoteButton& party = m_test.AddMegabutton(hifi, "Party", 2, 0);
        party.m_strDescription = "Party time";
        party.m_steps = {{&tv, &power, 1}, {&hifi, &mute, 4, 300}};
        hifi.m_nPadX = 120;
        hifi.m_nPadY = -8;
        m_test.AddEvent("Wake", CTime(1998, 3, 2, 7, 0, 0), kFrequencyDaily, tv, power);
        CTimedEvent& holiday =
            m_test.AddEvent("Holiday", CTime(1998, 12, 24, 18, 0, 0), kFrequencyOnce, hifi, party);
        holiday.m_bDisabled = true;
        holiday.m_lastFired = CTime(1998, 12, 24, 18, 0, 0);
        CListingFrontEnd().OpenPad(hifi);
    }

    static constexpr double kNanos = 1000;
    CListingTestDocument m_test;
};

TEST_F(DocumentListingTest, TextListsEverythingByName)
{
    EXPECT_EQ(FormatDocumentText(m_test.m_doc, kNanos),
              "Quorbit document, version 512\n"
              "Remote HiFi: 9 buttons high, 3 buttons wide, pad open\n"
              "  Button Mute: not placed, 8531 bytes, NEC address 0x04 command 0x08\n"
              "  Button Party (Party time): megabutton, cell 2/0\n"
              "    1. TV/Power (delay 1.0s)\n"
              "    2. HiFi/Mute (delay 60.0s, held 300 ms)\n"
              "Remote TV: 15 buttons high, 5 buttons wide, pad closed\n"
              "  Button Power: cell 0/0, 2 bytes, unknown (1 runs)\n"
              "  Button Vol+: not placed, not learned\n"
              "  Button Zap: cell 4/5, 1 byte, unknown (7 runs)\n"
              "Event Holiday: 1998-12-24 18:00 Once, disabled, HiFi/Party, last fired "
              "1998-12-24 18:00\n"
              "Event Wake: 07:00 Daily, TV/Power, last fired never\n");
}

// Keys in the order written, so that the order is checked too.
std::vector<std::string> KeysOf(const nlohmann::ordered_json& object)
{
    std::vector<std::string> keys;
    for (const auto& [strKey, value] : object.items())
        keys.push_back(strKey);
    return keys;
}

TEST_F(DocumentListingTest, JsonHasTheAgreedShape)
{
    const std::string strJson = FormatDocumentJson(m_test.m_doc, kNanos);
    ASSERT_EQ(strJson.back(), '\n');
    const auto root = nlohmann::ordered_json::parse(strJson, nullptr, false);
    ASSERT_FALSE(root.is_discarded()) << strJson;
    using Keys = std::vector<std::string>;
    EXPECT_EQ(KeysOf(root), (Keys{"version", "remotes", "events"}));
    EXPECT_EQ(root.at("version"), 512);

    const auto& remotes = root.at("remotes");
    ASSERT_EQ(remotes.size(), 2u);
    const auto& hifi = remotes.at(0);
    EXPECT_EQ(KeysOf(hifi),
              (Keys{"name", "style", "menuId", "padOpen", "padX", "padY", "buttons"}));
    EXPECT_EQ(hifi.at("name"), "HiFi");
    EXPECT_EQ(hifi.at("style"), 3);
    EXPECT_EQ(hifi.at("menuId"), 0x8401);
    EXPECT_EQ(hifi.at("padOpen"), true);
    EXPECT_EQ(hifi.at("padY"), -8);
    EXPECT_EQ(remotes.at(1).at("padOpen"), false);

    const auto& mute = hifi.at("buttons").at(0);
    EXPECT_EQ(KeysOf(mute), (Keys{"name", "description", "column", "row", "mega", "length", "bits",
                                  "steps", "signal"}));
    EXPECT_EQ(mute.at("signal"), nlohmann::ordered_json::parse(R"({"protocol":"NEC",
        "address":4,"command":8,"bits":32,"repeats":0})"));

    const auto& party = hifi.at("buttons").at(1);
    EXPECT_EQ(KeysOf(party),
              (Keys{"name", "description", "column", "row", "mega", "length", "bits", "steps"}));
    EXPECT_EQ(party.at("mega"), true);
    ASSERT_EQ(party.at("steps").size(), 2u);
    EXPECT_EQ(KeysOf(party.at("steps").at(0)), (Keys{"remote", "button", "delay"}));
    EXPECT_EQ(party.at("steps").at(0).at("remote"), "TV");
    EXPECT_EQ(party.at("steps").at(1).at("delay"), 4);
    EXPECT_EQ(party.at("steps").at(1).at("holdMs"), 300);

    const auto& tvButtons = remotes.at(1).at("buttons");
    EXPECT_EQ(tvButtons.at(0).at("bits"), "ff00");
    EXPECT_EQ(tvButtons.at(0).at("length"), 2);
    EXPECT_EQ(tvButtons.at(0).at("signal"),
              nlohmann::ordered_json::parse(R"({"protocol":"unknown","runs":1})"));
    EXPECT_EQ(tvButtons.at(1).at("column"), 5);
    EXPECT_EQ(tvButtons.at(1).at("row"), 15);
    EXPECT_EQ(tvButtons.at(2).at("column"), 4);
    EXPECT_EQ(tvButtons.at(2).at("row"), 5);

    const auto& events = root.at("events");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(KeysOf(events.at(0)),
              (Keys{"name", "time", "lastFired", "disabled", "frequency", "remote", "button"}));
    EXPECT_EQ(events.at(0).at("time"), "1998-12-24T18:00");
    EXPECT_EQ(events.at(0).at("disabled"), true);
    EXPECT_EQ(events.at(1).at("lastFired"), "1997-01-01T00:00");
    EXPECT_EQ(events.at(1).at("frequency"), kFrequencyDaily);
    EXPECT_EQ(events.at(1).at("button"), "Power");
}

// An action is listed with its button, names as everywhere else (UTF-8 from the document's
// Windows-1252), in a line and a key that only buttons with an action have.
TEST_F(DocumentListingTest, AButtonsActionIsListedWithIt)
{
    CRemote& kitchen = m_test.AddRemote("K\xFC"
                                        "che",
                                        0);
    CRemoteButton& light = m_test.AddButton(kitchen, "Licht \xBD", "");
    CRemoteButton& volume = *m_test.m_doc.FindRemote("TV")->FindButton("Vol+");
    ASSERT_TRUE(m_test.m_doc.SetHeardAction(volume, &kitchen, &light));
    const std::string strText = FormatDocumentText(m_test.m_doc, kNanos);
    EXPECT_NE(strText.find("  Button Vol+: not placed, not learned\n"
                           "    when heard fires K\u00FCche/Licht \u00BD\n"
                           "  Button Zap"),
              std::string::npos)
        << strText;

    const auto root = nlohmann::ordered_json::parse(FormatDocumentJson(m_test.m_doc, kNanos));
    const auto& tvButtons = root.at("remotes").at(2).at("buttons");
    EXPECT_EQ(KeysOf(tvButtons.at(1)).back(), "whenHeard");
    EXPECT_EQ(tvButtons.at(1).at("whenHeard"),
              nlohmann::ordered_json::parse(R"({"remote":"K\u00FCche","button":"Licht \u00BD"})"));
    EXPECT_FALSE(tvButtons.at(0).contains("whenHeard"));
}

// Names reach the JSON in UTF-8 with quotes and backslashes escaped and every control
// character as \u00XX, the form tools have always read.
TEST(DocumentListingJsonTest, NamesAreUtf8WithControlsAsCodes)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", "\"\""},
        {"TV Power", "\"TV Power\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\tv", "\"C:\\\\tv\""},
        // Latin-1 range, the code page's own 0x80-0x9F, and its undefined 0x81 kept as a control.
        {"caf\xE9", "\"caf\xC3\xA9\""},
        {"\x80\x9F\xFF", "\"\xE2\x82\xAC\xC5\xB8\xC3\xBF\""},
        {"a\x81z", "\"a\\u0081z\""},
        // A terminal escape in a name must not break the JSON.
        {"\x1B[2J\n\t\x7F", "\"\\u001b[2J\\u000a\\u0009\\u007f\""},
        {"\b\f\r", "\"\\u0008\\u000c\\u000d\""}};
    for (const auto& [strName, strJson] : cases)
    {
        CListingTestDocument test;
        test.AddRemote(strName, 0);
        EXPECT_NE(
            FormatDocumentJson(test.m_doc, 1000).find("[{\"name\":" + strJson + ",\"style\":"),
            std::string::npos)
            << strJson;
    }
}

TEST(DocumentListingEmptyTest, EmptyDocumentHasEmptyArrays)
{
    CListingTestDocument test;
    test.m_doc.m_nFileVersion = 1;
    EXPECT_EQ(FormatDocumentJson(test.m_doc, 1000),
              "{\"version\":1,\"remotes\":[],\"events\":[]}\n");
    EXPECT_EQ(FormatDocumentText(test.m_doc, 1000), "Quorbit document, version 1\n");
}
} // namespace
