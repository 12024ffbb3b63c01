// The tagged fields that follow each record in version 513: a button's time base, carrier and
// code, a step's hold, and room for fields still to come.
#include "document/CQbFile.h"

#include "CQbBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace
{
using CBytes = std::vector<std::uint8_t>;
const CBytes kTrain{0x90, 0x40}; // FF 00 encoded

CBytes Store(const SQbContent& content)
{
    CBytes bytes;
    SQbStoreError error;
    EXPECT_TRUE(StoreQbFile(content.pRemotes.get(), content.pEvents.get(), bytes, error))
        << error.nReason << " " << error.strRecord;
    return bytes;
}

CRemoteButton& AddButton(SQbContent& content, const std::string& strRemote,
                         const std::string& strButton, bool bMega)
{
    auto& pRemote = (*content.pRemotes)[strRemote];
    if (!pRemote)
        pRemote = std::make_unique<CRemote>(strRemote, 0, 0);
    auto pButton = std::make_unique<CRemoteButton>(strButton, bMega);
    CRemoteButton* pAdded = pButton.get();
    pRemote->AddButton(std::move(pButton));
    return *pAdded;
}

// A learned button, a button made from a Pioneer code read from a ".ir" file, and a megabutton
// that holds the first for 1.5 s.
SQbContent MakeDocumentWithFacts()
{
    SQbContent content;
    CRemoteButton& learned = AddButton(content, "Amp", "Vol+", false);
    learned.m_bits = CBitstream(CBytes{0xF0, 0x0F});
    learned.m_facts.nSamplePicos = 1370456; // a parallel port's 1.370456 µs
    learned.m_facts.nCarrierHz = 36000;
    CRemoteButton& coded = AddButton(content, "Amp", "Power", false);
    coded.m_bits = CBitstream(CBytes{0xFF, 0x00});
    coded.m_facts = {2000000, 40000, 33,
                     SButtonCode{"Pioneer", 0xA5AA, 0x1C, 0x2002, 32, true, true}};
    CRemoteButton& mega = AddButton(content, "All", "Ramp", true);
    CRemote* pAmp = content.pRemotes->at("Amp").get();
    mega.m_steps.push_back({pAmp, &learned, 1, 1500});
    mega.m_steps.push_back({pAmp, &coded, 0, 0});
    return content;
}

CBytes ReadFile(const std::filesystem::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return CBytes(std::istreambuf_iterator<char>(stream), {});
}

const CRemoteButton& Button(const SQbContent& content, const char* pszRemote, const char* pszName)
{
    return *content.pRemotes->at(pszRemote)->m_buttons.at(pszName);
}

// The example document (TV, Power, the event Wake) with the tagged fields of version 513 after
// each record, as docs/file-format.md lays them out; buttonTags is Power's block.
CBytes TaggedExample(const CBytes& buttonTags)
{
    CQbBytes bytes;
    bytes.Header(513).U16(1).Remote("TV", 1).Button("Power", 0, 0, kTrain);
    bytes.U16(static_cast<unsigned>(buttonTags.size()));
    bytes.m_bytes.insert(bytes.m_bytes.end(), buttonTags.begin(), buttonTags.end());
    return bytes
        .U16(0) // the remote's fields
        .U16(1)
        .Event("Wake", "TV", "Power")
        .U16(0) // the event's
        .U16(0) // the document's
        .m_bytes;
}

CBytes Field(unsigned nTag, const CBytes& value)
{
    CQbBytes bytes;
    bytes.U16(nTag).U16(static_cast<unsigned>(value.size()));
    bytes.m_bytes.insert(bytes.m_bytes.end(), value.begin(), value.end());
    return bytes.m_bytes;
}

CBytes U32(std::uint32_t nValue)
{
    return {static_cast<std::uint8_t>(nValue), static_cast<std::uint8_t>(nValue >> 8),
            static_cast<std::uint8_t>(nValue >> 16), static_cast<std::uint8_t>(nValue >> 24)};
}

CBytes Join(std::initializer_list<CBytes> parts)
{
    CBytes joined;
    for (const CBytes& part : parts)
        joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}
} // namespace

TEST(CQbTaggedFieldsTest, EveryFactAndHoldComesBackAndStoresToTheSameBytes)
{
    const SQbContent original = MakeDocumentWithFacts();
    const CBytes bytes = Store(original);
    SQbContent loaded;
    ASSERT_EQ(ParseQbFile(bytes, loaded), EQbParse::Ok);
    EXPECT_EQ(loaded.nVersion, kQbTaggedVersion);
    for (const char* pszName : {"Vol+", "Power"})
    {
        EXPECT_EQ(Button(loaded, "Amp", pszName).m_facts, Button(original, "Amp", pszName).m_facts)
            << pszName;
        EXPECT_EQ(Button(loaded, "Amp", pszName).m_bits, Button(original, "Amp", pszName).m_bits);
    }
    const CMegaStepList& steps = Button(loaded, "All", "Ramp").m_steps;
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].m_nHoldMillis, 1500);
    EXPECT_EQ(steps[0].m_nDelay, 1);
    EXPECT_EQ(steps[1].m_nHoldMillis, 0);
    EXPECT_EQ(Store(loaded), bytes);
}

TEST(CQbTaggedFieldsTest, WritesTheLayoutTheFormatPageGives)
{
    SQbContent content;
    ASSERT_EQ(ParseQbFile(GetExampleFileBytes(), content), EQbParse::Ok);
    CRemoteButton& power = *content.pRemotes->at("TV")->m_buttons.at("Power");
    power.m_facts = {1000000, 56000, 0, SButtonCode{"NEC", 0x04, 0x08, 0, 32, false, true}};
    const CBytes code =
        Join({{0x02, 0x00, 32, 0x00}, U32(0x04), U32(0x08), U32(0), {3, 0}, {'N', 'E', 'C'}});
    const CBytes expected =
        TaggedExample(Join({Field(1, U32(1000000)), Field(2, U32(56000)), Field(4, code)}));
    EXPECT_EQ(Store(content), expected);
    SQbContent loaded;
    ASSERT_EQ(ParseQbFile(expected, loaded), EQbParse::Ok);
    EXPECT_EQ(Button(loaded, "TV", "Power").m_facts, power.m_facts);
}

// Documents that need none of the new fields keep the version and the bytes they had, so that
// opening and saving one changes nothing an older Quorbit can read.
TEST(CQbTaggedFieldsTest, DocumentsWithoutNewFieldsStayVersion512ByteForByte)
{
    const std::filesystem::path fixtures = QUORBIT_FIXTURES;
    std::vector<std::filesystem::path> files{fixtures / "example.qb"};
    for (const auto& entry : std::filesystem::directory_iterator(fixtures / "../../fuzz/corpus"))
        files.push_back(entry.path());
    int nCompared = 0;
    for (const auto& path : files)
    {
        const CBytes bytes = ReadFile(path);
        SQbContent content;
        // The corpus holds damaged files too.
        if (ParseQbFile(bytes, content) != EQbParse::Ok || content.nVersion != kQbFileVersion)
            continue;
        EXPECT_EQ(Store(content), bytes) << path;
        ++nCompared;
    }
    EXPECT_GE(nCompared, 2);
    // The corpus's tagged document, with a document field of a later version, which is dropped.
    SQbContent tagged;
    ASSERT_EQ(ParseQbFile(ReadFile(fixtures / "../../fuzz/corpus/tagged.qb"), tagged),
              EQbParse::Ok);
    EXPECT_EQ(Button(tagged, "TV", "Power").m_facts.code->strProtocol, "Pioneer");
    EXPECT_EQ(Button(tagged, "All", "Ramp").m_steps.at(0).m_nHoldMillis, 1500);

    // The version follows the content: without its facts and holds, a document is 512 again.
    SQbContent content = MakeDocumentWithFacts();
    for (const char* pszName : {"Vol+", "Power"})
        content.pRemotes->at("Amp")->m_buttons.at(pszName)->m_facts = {};
    EXPECT_EQ(Store(content).at(2), kQbTaggedVersion & 0xFF);
    content.pRemotes->at("All")->m_buttons.at("Ramp")->m_steps[0].m_nHoldMillis = 0;
    EXPECT_EQ(Store(content).at(2), kQbFileVersion & 0xFF);
}

TEST(CQbTaggedFieldsTest, PassesOverFieldsOfLaterVersionsAndRefusesBrokenOnes)
{
    struct SCase
    {
        const char* pszWhat;
        CBytes tags;
        EQbParse eResult;
    };
    const CBytes code = Join({{0, 0, 0, 0}, U32(1), U32(2), U32(0), {3, 0}, {'N', 'E', 'C'}});
    const SCase cases[] = {
        {"an unknown tag", Field(77, {1, 2, 3}), EQbParse::Ok},
        {"a carrier with bytes after it", Field(2, Join({U32(36000), {9, 9}})), EQbParse::Ok},
        {"a code with unknown flags",
         Field(4, Join({{0x80, 0}, CBytes(code.begin() + 2, code.end())})), EQbParse::Ok},
        {"no fields", {}, EQbParse::Ok},
        {"a carrier cut short", Field(2, {0x40, 0x9C}), EQbParse::InvalidFile},
        {"a field running past its block", Join({{2, 0, 9, 0}, U32(36000)}), EQbParse::InvalidFile},
        {"a field header cut short", {2, 0, 4}, EQbParse::InvalidFile},
        {"a time base of 0", Field(1, U32(0)), EQbParse::InvalidFile},
        {"a duty cycle over 100", Field(3, {101, 0}), EQbParse::InvalidFile},
        {"a code without a protocol", Field(4, CBytes(code.begin(), code.end() - 5)),
         EQbParse::InvalidFile},
        {"a code with an empty protocol",
         Field(4, Join({CBytes(code.begin(), code.end() - 5), {0, 0}})), EQbParse::InvalidFile},
    };
    for (const SCase& test : cases)
    {
        SQbContent content;
        EXPECT_EQ(ParseQbFile(TaggedExample(test.tags), content), test.eResult) << test.pszWhat;
    }

    SQbContent content;
    ASSERT_EQ(ParseQbFile(TaggedExample(Join({Field(77, {1}), Field(2, U32(36000))})), content),
              EQbParse::Ok);
    EXPECT_EQ(Button(content, "TV", "Power").m_facts.nCarrierHz, 36000u);
}

TEST(CQbTaggedFieldsTest, RefusesToStoreFactsTheReaderWouldRefuse)
{
    SQbContent content = MakeDocumentWithFacts();
    CRemoteButton& power = *content.pRemotes->at("Amp")->m_buttons.at("Power");
    CBytes bytes;
    SQbStoreError error;
    power.m_facts.code->strProtocol.clear();
    EXPECT_FALSE(StoreQbFile(content.pRemotes.get(), nullptr, bytes, error));
    EXPECT_EQ(error.strRecord, "Amp: Power");
    power.m_facts.code->strProtocol = "NEC";
    content.pRemotes->at("All")->m_buttons.at("Ramp")->m_steps[0].m_nHoldMillis = -1;
    EXPECT_FALSE(StoreQbFile(content.pRemotes.get(), nullptr, bytes, error));
}
