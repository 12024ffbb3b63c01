#include "app/cli/DocumentListing.h"
#include "app/cli/CListingFrontEnd.h"
#include "cli/JsonReader.h"
#include "cli/ListingTestDocument.h"

#include <gtest/gtest.h>

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
        CRemoteButton& mute = m_test.AddButton(hifi, "Mute", "\x01\x02\x03");
        CRemoteButton& party = m_test.AddMegabutton(hifi, "Party", 2, 0);
        party.m_strDescription = "Party time";
        party.m_steps = {{&tv, &power, 1}, {&hifi, &mute, 4}};
        hifi.m_nPadX = 120;
        hifi.m_nPadY = -8;
        m_test.AddEvent("Wake", CTime(1998, 3, 2, 7, 0, 0), kFrequencyDaily, tv, power);
        CTimedEvent& holiday =
            m_test.AddEvent("Holiday", CTime(1998, 12, 24, 18, 0, 0), kFrequencyOnce, hifi, party);
        holiday.m_bDisabled = true;
        holiday.m_lastFired = CTime(1998, 12, 24, 18, 0, 0);
        CListingFrontEnd().OpenPad(hifi);
    }

    CListingTestDocument m_test;
};

TEST_F(DocumentListingTest, TextListsEverythingByName)
{
    EXPECT_EQ(FormatDocumentText(m_test.m_doc),
              "Quorbit document, version 512\n"
              "Remote HiFi: 9 buttons high, 3 buttons wide, pad open\n"
              "  Button Mute: not placed, 3 bytes\n"
              "  Button Party (Party time): megabutton, cell 2/0\n"
              "    1. TV/Power (delay 1.0s)\n"
              "    2. HiFi/Mute (delay 60.0s)\n"
              "Remote TV: 15 buttons high, 5 buttons wide, pad closed\n"
              "  Button Power: cell 0/0, 2 bytes\n"
              "  Button Vol+: not placed, not learned\n"
              "  Button Zap: cell 4/5, 1 byte\n"
              "Event Holiday: 1998-12-24 18:00 Once, disabled, HiFi/Party, last fired "
              "1998-12-24 18:00\n"
              "Event Wake: 07:00 Daily, TV/Power, last fired never\n");
}

TEST_F(DocumentListingTest, JsonHasTheAgreedShape)
{
    const std::string strJson = FormatDocumentJson(m_test.m_doc);
    ASSERT_EQ(strJson.back(), '\n');
    const std::optional<SJson> root = ReadJson(strJson);
    ASSERT_TRUE(root) << strJson;
    using Keys = std::vector<std::string>;
    EXPECT_EQ(root->GetKeys(), (Keys{"version", "remotes", "events"}));
    EXPECT_EQ((*root)["version"].dValue, 512);

    const std::vector<SJson>& remotes = (*root)["remotes"].items;
    ASSERT_EQ(remotes.size(), 2u);
    const SJson& hifi = remotes[0];
    EXPECT_EQ(hifi.GetKeys(),
              (Keys{"name", "style", "menuId", "padOpen", "padX", "padY", "buttons"}));
    EXPECT_EQ(hifi["name"].strValue, "HiFi");
    EXPECT_EQ(hifi["style"].dValue, 3);
    EXPECT_EQ(hifi["menuId"].dValue, 0x8401);
    EXPECT_EQ(hifi["padOpen"].nType, SJson::EType::Bool);
    EXPECT_TRUE(hifi["padOpen"].bValue);
    EXPECT_EQ(hifi["padY"].dValue, -8);
    EXPECT_FALSE(remotes[1]["padOpen"].bValue);

    const SJson& party = hifi["buttons"].items[1];
    EXPECT_EQ(party.GetKeys(),
              (Keys{"name", "description", "column", "row", "mega", "length", "bits", "steps"}));
    EXPECT_TRUE(party["mega"].bValue);
    ASSERT_EQ(party["steps"].items.size(), 2u);
    EXPECT_EQ(party["steps"].items[0].GetKeys(), (Keys{"remote", "button", "delay"}));
    EXPECT_EQ(party["steps"].items[0]["remote"].strValue, "TV");
    EXPECT_EQ(party["steps"].items[1]["delay"].dValue, 4);

    const SJson& tvButtons = remotes[1]["buttons"];
    EXPECT_EQ(tvButtons.items[0]["bits"].strValue, "ff00");
    EXPECT_EQ(tvButtons.items[0]["length"].dValue, 2);
    EXPECT_EQ(tvButtons.items[1]["column"].dValue, 5);
    EXPECT_EQ(tvButtons.items[1]["row"].dValue, 15);
    EXPECT_EQ(tvButtons.items[2]["column"].dValue, 4);
    EXPECT_EQ(tvButtons.items[2]["row"].dValue, 5);

    const std::vector<SJson>& events = (*root)["events"].items;
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].GetKeys(),
              (Keys{"name", "time", "lastFired", "disabled", "frequency", "remote", "button"}));
    EXPECT_EQ(events[0]["time"].strValue, "1998-12-24T18:00");
    EXPECT_TRUE(events[0]["disabled"].bValue);
    EXPECT_EQ(events[1]["lastFired"].strValue, "1997-01-01T00:00");
    EXPECT_EQ(events[1]["frequency"].dValue, kFrequencyDaily);
    EXPECT_EQ(events[1]["button"].strValue, "Power");
}

TEST(DocumentListingEmptyTest, EmptyDocumentHasEmptyArrays)
{
    CListingTestDocument test;
    test.m_doc.m_nFileVersion = 1;
    EXPECT_EQ(FormatDocumentJson(test.m_doc), "{\"version\":1,\"remotes\":[],\"events\":[]}\n");
    EXPECT_EQ(FormatDocumentText(test.m_doc), "Quorbit document, version 1\n");
}
} // namespace
