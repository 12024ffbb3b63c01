#include "document/CQbFile.h"

#include "CQbBytes.h"
#include "base/CStringTable.h"
#include "support/TimeZone.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include <malloc.h>

// The address sanitizer keeps its own heap, and its own count of it; not every compiler ships
// the header that declares it.
#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace
{
using CBytes = std::vector<std::uint8_t>;
const CBytes kTrain{0x90, 0x40}; // FF 00 encoded

EQbParse Parse(const CBytes& bytes, SQbContent& content)
{
    return ParseQbFile(bytes, content);
}

EQbParse Parse(const CBytes& bytes)
{
    SQbContent content;
    return Parse(bytes, content);
}

CBytes Store(const SQbContent& content)
{
    CBytes bytes;
    SQbStoreError error;
    EXPECT_TRUE(StoreQbFile(content.pRemotes.get(), content.pEvents.get(), bytes, error))
        << error.nReason << " " << error.strRecord;
    return bytes;
}

// Bytes allocated on the heap and not yet freed.
std::size_t HeapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

// One remote of nButtons unplaced plain buttons, each with the same encoded bitstream.
CBytes ManyButtons(unsigned nButtons, const CBytes& encoded)
{
    CQbBytes bytes;
    bytes.Header().U16(1).Remote("Crafted", nButtons);
    for (unsigned i = 0; i < nButtons; ++i)
        bytes.Button("B" + std::to_string(i), 5, 15, encoded);
    return bytes.U16(0).m_bytes;
}

// Remote TV with button Power and one event "Wake" on it, at the given time and last fired at
// the other: year, month, day, hour and minute as the file holds them.
CBytes EventAt(const std::array<int, 5>& time,
               const std::array<int, 5>& lastFired = {1997, 1, 1, 0, 0},
               unsigned nFrequency = kFrequencyOnce)
{
    return CQbBytes()
        .Header()
        .U16(1)
        .Remote("TV", 1)
        .Button("Power", 0, 0, kTrain)
        .U16(1)
        .Text("Wake", 32)
        .Time(time[0], time[1], time[2], time[3], time[4])
        .Time(lastFired[0], lastFired[1], lastFired[2], lastFired[3], lastFired[4])
        .U16(0)
        .U16(nFrequency)
        .Text("TV", 16)
        .Text("Power", 16)
        .m_bytes;
}

// Five bytes that decode to a bitstream of the full 50,000 bytes.
const CBytes kFullLength{0x60, 0x00, 0xC3, 0x50, 0x00};
const unsigned kFullLengthsTooMany = kMaxQbContentBytes / kBitstreamBytes + 1;

CRemoteButton& Button(const SQbContent& content, const std::string& strRemote,
                      const std::string& strButton)
{
    CRemoteButton* pButton = content.pRemotes->at(strRemote)->FindButton(strButton);
    EXPECT_NE(pButton, nullptr);
    return *pButton;
}

// A document of random remotes, buttons, megabuttons and events that obeys every rule a file
// must: unique names and cells, steps only on buttons made before (so no cycles).
class CRandomDocument
{
public:
    explicit CRandomDocument(unsigned nSeed) : m_random(nSeed)
    {
        const int nRemotes = Pick(0, 6);
        for (int i = 0; i < nRemotes; ++i)
            AddRemote();
        const int nEvents = m_buttons.empty() ? 0 : Pick(0, 6);
        for (int i = 0; i < nEvents; ++i)
            AddEvent();
    }

    SQbContent m_content;

private:
    int Pick(int nLow, int nHigh) { return std::uniform_int_distribution(nLow, nHigh)(m_random); }

    // Any 8-bit character but the control characters.
    std::string Name(int nMaxLength)
    {
        std::string strName(Pick(1, nMaxLength), ' ');
        for (char& c : strName)
        {
            do
                c = static_cast<char>(Pick(0x20, 255));
            while (c == 0x7F);
        }
        return strName;
    }

    CTime Time()
    {
        return CTime(Pick(1997, 2060), Pick(1, 12), Pick(1, 28), Pick(0, 23), Pick(0, 59), 0);
    }

    void AddRemote()
    {
        auto pRemote = std::make_unique<CRemote>(Name(15), Pick(0, 7), 0);
        pRemote->m_nPadX = Pick(-32768, 32767);
        pRemote->m_nPadY = Pick(-32768, 32767);
        const int nButtons = Pick(0, 12);
        for (int i = 0; i < nButtons; ++i)
            AddButton(*pRemote);
        m_content.pRemotes->emplace(pRemote->m_strName, std::move(pRemote));
    }

    void AddButton(CRemote& remote)
    {
        auto pButton = std::make_unique<CRemoteButton>(Name(15), Pick(0, 3) == 0);
        if (remote.m_buttons.contains(pButton->m_strName))
            return;
        if (Pick(0, 1) == 0)
            Place(remote, *pButton);
        pButton->m_strDescription = Pick(0, 1) == 0 ? "" : Name(31);
        if (pButton->m_bMega)
            AddSteps(*pButton);
        else
            Learn(*pButton);
        m_buttons.emplace_back(&remote, pButton.get());
        remote.AddButton(std::move(pButton));
    }

    // A free cell of the pad, written in either of the two forms the fifth column has.
    void Place(const CRemote& remote, CRemoteButton& button)
    {
        const int nCell = Pick(0, kGridCells - 1);
        if (remote.m_grid[nCell] != nullptr ||
            !IsCellOnStyle(remote.m_nStyle, nCell / kGridRows, nCell % kGridRows))
            return;
        const bool bFifthAsThird = nCell >= 4 * kGridRows && Pick(0, 1) == 0;
        button.m_nColumn = bFifthAsThird ? 3 : nCell / kGridRows;
        button.m_nRow = bFifthAsThird ? nCell - 3 * kGridRows : nCell % kGridRows;
    }

    void Learn(CRemoteButton& button)
    {
        std::vector<std::uint8_t> bits(static_cast<std::size_t>(Pick(0, 3000)));
        bool bLevel = Pick(0, 1) != 0;
        for (std::size_t nSample = 0; nSample < bits.size() * 8;)
        {
            const std::size_t nEnd =
                std::min<std::size_t>(nSample + Pick(1, 3000), bits.size() * 8);
            for (; nSample < nEnd; ++nSample)
            {
                if (bLevel)
                    bits[nSample / 8] |= static_cast<std::uint8_t>(0x80 >> nSample % 8);
            }
            bLevel = !bLevel;
        }
        button.m_bits = CBitstream(std::move(bits));
    }

    void AddSteps(CRemoteButton& megabutton)
    {
        const int nSteps = m_buttons.empty() ? 0 : Pick(0, 5);
        for (int i = 0; i < nSteps; ++i)
        {
            const auto [pRemote, pButton] =
                m_buttons[Pick(0, static_cast<int>(m_buttons.size()) - 1)];
            megabutton.m_steps.push_back({pRemote, pButton, Pick(0, kStepDelayCount - 1)});
        }
    }

    void AddEvent()
    {
        auto pEvent = std::make_unique<CTimedEvent>();
        pEvent->m_strName = Name(31);
        pEvent->m_time = Time();
        pEvent->m_lastFired = Time();
        pEvent->m_bDisabled = Pick(0, 1) != 0;
        pEvent->m_nFrequency = Pick(0, kFrequencyCount - 1);
        std::tie(pEvent->m_pRemote, pEvent->m_pButton) =
            m_buttons[Pick(0, static_cast<int>(m_buttons.size()) - 1)];
        m_content.pEvents->emplace(pEvent->m_strName, std::move(pEvent));
    }

    std::mt19937 m_random;
    std::vector<std::pair<CRemote*, CRemoteButton*>> m_buttons;
};
} // namespace

TEST(CQbFileTest, ReadsEveryFieldOfTheExampleFileAndWritesItBackUnchanged)
{
    SQbContent content;
    ASSERT_EQ(Parse(GetExampleFileBytes(), content), EQbParse::Ok);
    EXPECT_EQ(content.nVersion, 512);
    ASSERT_EQ(content.pRemotes->size(), 1u);
    const CRemote& remote = *content.pRemotes->at("TV");
    EXPECT_EQ(remote.m_nStyle, 0);
    EXPECT_EQ(remote.m_nPadX, 0x7FFF);
    EXPECT_EQ(remote.m_nPadY, 0x7FFF);
    EXPECT_TRUE(content.openPads.empty());
    ASSERT_EQ(remote.m_buttons.size(), 1u);
    const CRemoteButton& button = Button(content, "TV", "Power");
    EXPECT_EQ(button.m_strDescription, "");
    EXPECT_EQ(button.m_nColumn, 0);
    EXPECT_EQ(button.m_nRow, 0);
    EXPECT_EQ(remote.m_grid[0], &button);
    EXPECT_FALSE(button.m_bMega);
    EXPECT_EQ(button.m_bits, CBitstream(std::vector<std::uint8_t>{0xFF, 0x00}));

    ASSERT_EQ(content.pEvents->size(), 1u);
    const CTimedEvent& event = *content.pEvents->at("Wake");
    EXPECT_EQ(event.m_time, CTime(1998, 3, 2, 7, 0, 0));
    EXPECT_EQ(event.m_lastFired, CTime::NeverFired());
    EXPECT_FALSE(event.m_bDisabled);
    EXPECT_EQ(event.m_nFrequency, kFrequencyDaily);
    EXPECT_EQ(event.m_pRemote, &remote);
    EXPECT_EQ(event.m_pButton, &button);

    EXPECT_EQ(Store(content), GetExampleFileBytes());
}

TEST(CQbFileTest, StoresLoadsAndStoresRandomDocumentsToTheSameBytes)
{
    const CScopedTimeZone zone("UTC");
    for (unsigned nSeed = 1; nSeed <= 40; ++nSeed)
    {
        const CBytes first = Store(CRandomDocument(nSeed).m_content);
        SQbContent loaded;
        ASSERT_EQ(Parse(first, loaded), EQbParse::Ok) << "seed " << nSeed;
        ASSERT_EQ(Store(loaded), first) << "seed " << nSeed;
    }
}

TEST(CQbFileTest, OldFilesPlayStepsOnTheMegabuttonsOwnRemoteAndAreWrittenCurrent)
{
    for (const unsigned nVersion : {0u, 1u, 256u})
    {
        const CBytes old = CQbBytes()
                               .Header(nVersion)
                               .U16(2)
                               .Remote("VCR", 1)
                               .Button("Play", 0, 0, kTrain)
                               .Remote("TV", 2)
                               .Megabutton("Both", 1, 0, 1)
                               .StepWithoutRemote("Play", 3)
                               .Button("Play", 0, 0, kTrain)
                               .U16(0)
                               .m_bytes;
        SQbContent content;
        ASSERT_EQ(Parse(old, content), EQbParse::Ok) << nVersion;
        const CMegaStep& step = Button(content, "TV", "Both").m_steps.at(0);
        EXPECT_EQ(step.m_pRemote, content.pRemotes->at("TV").get());
        EXPECT_EQ(step.m_pButton, &Button(content, "TV", "Play"));
        EXPECT_EQ(step.m_nDelay, 3);

        const CBytes current = CQbBytes()
                                   .Header(512)
                                   .U16(2)
                                   .Remote("TV", 2)
                                   .Megabutton("Both", 1, 0, 1)
                                   .Step("TV", "Play", 3)
                                   .Button("Play", 0, 0, kTrain)
                                   .Remote("VCR", 1)
                                   .Button("Play", 0, 0, kTrain)
                                   .U16(0)
                                   .m_bytes;
        EXPECT_EQ(Store(content), current);
    }
}

TEST(CQbFileTest, ResolvesStepsOnRemotesFurtherOnAndRefusesNewerVersions)
{
    const auto file = [](unsigned nVersion)
    {
        return CQbBytes()
            .Header(nVersion)
            .U16(2)
            .Remote("All", 1)
            .Megabutton("Off", 0, 0, 1)
            .Step("VCR", "Stop", 0)
            .Remote("VCR", 1)
            .Button("Stop", 0, 0, kTrain)
            .U16(0)
            .m_bytes;
    };
    SQbContent content;
    ASSERT_EQ(Parse(file(512), content), EQbParse::Ok);
    EXPECT_EQ(Button(content, "All", "Off").m_steps.at(0).m_pButton,
              &Button(content, "VCR", "Stop"));
    EXPECT_EQ(Parse(file(514), content), EQbParse::NewerVersion);
    EXPECT_EQ(Parse(CQbBytes().Header(0xFFFF).m_bytes), EQbParse::NewerVersion);
    // The refused parse left the earlier content alone.
    EXPECT_EQ(content.pRemotes->size(), 2u);
}

TEST(CQbFileTest, KeepsNamesThatFillTheirFields)
{
    const std::string strName15 = "Fifteen chars!!";
    const std::string strName31 = "Thirty-one characters, exactly.";
    ASSERT_EQ(strName15.size(), 15u);
    ASSERT_EQ(strName31.size(), 31u);
    const CBytes bytes = CQbBytes()
                             .Header()
                             .U16(1)
                             .Remote(strName15, 1)
                             .Button(strName15, 5, 15, kTrain, strName31)
                             .U16(1)
                             .Event(strName31, strName15, strName15)
                             .m_bytes;
    SQbContent content;
    ASSERT_EQ(Parse(bytes, content), EQbParse::Ok);
    EXPECT_EQ(Button(content, strName15, strName15).m_strDescription, strName31);
    EXPECT_TRUE(content.pEvents->contains(strName31));
    EXPECT_EQ(Store(content), bytes);
}

namespace
{
// Remote TV of style nStyle with its one button Mute at (nColumn, nRow).
CBytes OneButtonFile(unsigned nStyle, unsigned nColumn, unsigned nRow)
{
    return CQbBytes()
        .Header()
        .U16(1)
        .Remote("TV", 1, nStyle)
        .Button("Mute", nColumn, nRow, kTrain)
        .U16(0)
        .m_bytes;
}
} // namespace

TEST(CQbFileTest, PlacesButtonsByCellWhateverTheFormOrStyle)
{
    SQbContent content;
    ASSERT_EQ(Parse(OneButtonFile(0, 3, 20), content), EQbParse::Ok);
    const CRemoteButton& mute = Button(content, "TV", "Mute");
    EXPECT_EQ(content.pRemotes->at("TV")->m_grid[65], &mute);
    EXPECT_EQ(content.pRemotes->at("TV")->GetButtonAt(4, 5), &mute);
    EXPECT_EQ(Store(content), OneButtonFile(0, 3, 20)); // the form read is the form written
}

// Each of these files was once read as something it does not hold: a cell beyond a column's
// rows in another column's cell, an event as a remote named "\x01", a record after the last.
TEST(CQbFileTest, NamesWhereAndWhyAFileIsRefused)
{
    CBytes trailing = GetExampleFileBytes();
    trailing.insert(trailing.end(), {0x01, 0x00, 0x00, 0x00});
    CBytes countTooLarge = GetExampleFileBytes();
    countTooLarge[4] = 2;
    const struct
    {
        CBytes bytes;
        std::size_t nOffset;
        std::string strReason;
    } cases[] = {
        {OneButtonFile(0, 0, 60), 32,
         "button Mute of remote TV is at column 0, row 60, outside its pad of 15 buttons high, "
         "5 buttons wide"},
        {OneButtonFile(7, 4, 14), 32,
         "button Mute of remote TV is at column 4, row 14, outside its pad of 3 buttons high, "
         "3 buttons wide"},
        {OneButtonFile(0, 3, 30), 32,
         "button Mute of remote TV is at column 3, row 30, outside its pad of 15 buttons high, "
         "5 buttons wide"},
        {countTooLarge, 90,
         "a remote without a name or with control characters in it, as when a count announces "
         "more records than there are"},
        {trailing, 180, "4 bytes follow the last event the counts announce"},
    };
    for (const auto& test : cases)
    {
        SQbContent content;
        SQbParseFault fault;
        EXPECT_EQ(ParseQbFile(test.bytes, content, &fault), EQbParse::InvalidFile)
            << test.strReason;
        EXPECT_EQ(fault.nOffset, test.nOffset) << test.strReason;
        EXPECT_EQ(fault.strReason, test.strReason);
    }
}

TEST(CQbFileTest, AcceptsMegabuttonsSharingSteps)
{
    const CBytes bytes = CQbBytes()
                             .Header()
                             .U16(1)
                             .Remote("TV", 3)
                             .Button("A", 0, 0, kTrain)
                             .Megabutton("Inner", 0, 1, 2)
                             .Step("TV", "A", 0)
                             .Step("TV", "A", 1)
                             .Megabutton("Outer", 0, 2, 2)
                             .Step("TV", "Inner", 0)
                             .Step("TV", "A", 0)
                             .U16(0)
                             .m_bytes;
    EXPECT_EQ(Parse(bytes), EQbParse::Ok);
}

TEST(CQbFileTest, RefusesEveryFileTheProgramCouldNotWorkWith)
{
    const auto oneRemote = [](const std::string& strName, unsigned nButtons, unsigned nStyle = 0)
    { return CQbBytes().Header().U16(1).Remote(strName, nButtons, nStyle); };
    const auto withPower = []
    { return CQbBytes().Header().U16(1).Remote("TV", 1).Button("Power", 0, 0, kTrain); };
    const auto megaStep =
        [&](const std::string& strRemote, const std::string& strButton, unsigned nDelay)
    {
        return oneRemote("TV", 2)
            .Button("A", 0, 0, kTrain)
            .Megabutton("M", 0, 1, 1)
            .Step(strRemote, strButton, nDelay)
            .U16(0)
            .m_bytes;
    };
    const std::vector<std::pair<const char*, CBytes>> cases{
        {"wrong magic", CQbBytes().Raw({'Q', 'C'}).U16(512).U16(0).U16(0).m_bytes},
        {"remote name without its zero", oneRemote("SixteenCharacter", 0).U16(0).m_bytes},
        {"description without its zero",
         oneRemote("TV", 1).Button("Power", 0, 0, kTrain, std::string(32, 'd')).U16(0).m_bytes},
        {"style above 7", oneRemote("TV", 0, 8).U16(0).m_bytes},
        {"cell above 74", oneRemote("TV", 1).Button("Power", 4, 15, kTrain).U16(0).m_bytes},
        {"two buttons in one cell",
         oneRemote("TV", 2).Button("A", 3, 20, kTrain).Button("B", 4, 5, kTrain).U16(0).m_bytes},
        {"two buttons of one name",
         oneRemote("TV", 2).Button("A", 0, 0, kTrain).Button("A", 5, 15, kTrain).U16(0).m_bytes},
        {"two remotes of one name",
         CQbBytes().Header().U16(2).Remote("TV", 0).Remote("TV", 0).U16(0).m_bytes},
        {"run past 400,000 samples",
         oneRemote("TV", 1).Button("A", 0, 0, {0x60, 0x00, 0xC3, 0x50, 0x20}).U16(0).m_bytes},
        {"encoded data above 50,000 bytes",
         oneRemote("TV", 1).Button("A", 0, 0, CBytes(kBitstreamBytes + 1, 0)).U16(0).m_bytes},
        {"step delay above 4", megaStep("TV", "A", 5)},
        {"step on an unknown remote", megaStep("VCR", "A", 0)},
        {"step on an unknown button", megaStep("TV", "B", 0)},
        {"megabutton playing itself", megaStep("TV", "M", 0)},
        {"megabuttons playing each other", CQbBytes()
                                               .Header()
                                               .U16(2)
                                               .Remote("A", 1)
                                               .Megabutton("M", 0, 0, 1)
                                               .Step("B", "N", 0)
                                               .Remote("B", 1)
                                               .Megabutton("N", 0, 0, 1)
                                               .Step("A", "M", 0)
                                               .U16(0)
                                               .m_bytes},
        {"frequency above 9", withPower().U16(1).Event("Wake", "TV", "Power", 10).m_bytes},
        {"event on an unknown remote", withPower().U16(1).Event("Wake", "VCR", "Power").m_bytes},
        {"event on an unknown button", withPower().U16(1).Event("Wake", "TV", "Mute").m_bytes},
        {"event name without its zero",
         withPower().U16(1).Event(std::string(32, 'e'), "TV", "Power").m_bytes},
        {"two events of one name",
         withPower().U16(2).Event("Wake", "TV", "Power").Event("Wake", "TV", "Power").m_bytes},
        // Each would be carried over into another date and saved so.
        {"date of all zeros", EventAt({0, 0, 0, 0, 0})},
        {"year before 1970", EventAt({1969, 12, 31, 23, 59})},
        {"year of five digits", EventAt({10000, 1, 1, 0, 0})},
        {"31 February", EventAt({1998, 2, 31, 7, 0})},
        {"hour 24", EventAt({1998, 3, 2, 24, 0})},
    };
    for (const auto& [pszCase, bytes] : cases)
        EXPECT_EQ(Parse(bytes), EQbParse::InvalidFile) << pszCase;

    const CBytes example = GetExampleFileBytes();
    for (std::size_t nLength = 0; nLength < example.size(); ++nLength)
    {
        EXPECT_EQ(Parse(CBytes(example.begin(), example.begin() + nLength)), EQbParse::InvalidFile)
            << "cut after " << nLength << " bytes";
    }
}

// Each megabutton Mk plays M(k-1) nSteps times; M0 plays A, a plain button or a megabutton
// without steps.
std::vector<std::uint8_t> MegabuttonTower(unsigned nLevels, unsigned nSteps,
                                          bool bEmptyBase = false)
{
    CQbBytes bytes;
    bytes.Header().U16(1).Remote("TV", nLevels + 1);
    if (bEmptyBase)
        bytes.Megabutton("A", 5, 15, 0);
    else
        bytes.Button("A", 5, 15, kTrain);
    for (unsigned nLevel = 0; nLevel < nLevels; ++nLevel)
    {
        bytes.Megabutton("M" + std::to_string(nLevel), 5, 15, nSteps);
        const std::string strInner = nLevel == 0 ? "A" : "M" + std::to_string(nLevel - 1);
        for (unsigned nStep = 0; nStep < nSteps; ++nStep)
            bytes.Step("TV", strInner, 0);
    }
    return bytes.U16(0).m_bytes;
}

TEST(CQbFileTest, RefusesMegabuttonsTooDeepOrTooBroadToWalk)
{
    EXPECT_EQ(Parse(MegabuttonTower(64, 1)), EQbParse::Ok);
    EXPECT_EQ(Parse(MegabuttonTower(65, 1)), EQbParse::InvalidFile);
    EXPECT_EQ(Parse(MegabuttonTower(3, 100)), EQbParse::Ok); // a million plays
    EXPECT_EQ(Parse(MegabuttonTower(4, 100)), EQbParse::InvalidFile);
    // Steps that end in an empty megabutton play nothing, yet every walk still visits them.
    EXPECT_EQ(Parse(MegabuttonTower(4, 100, true)), EQbParse::InvalidFile);
}

TEST(CQbFileTest, KeepsDatesAtTheEdgesOfItsYears)
{
    const CScopedTimeZone zone("UTC");
    const CBytes bytes = EventAt({1970, 1, 1, 0, 0}, {9999, 12, 31, 23, 59});
    SQbContent content;
    ASSERT_EQ(Parse(bytes, content), EQbParse::Ok);
    EXPECT_EQ(Store(content), bytes);
}

TEST(CQbFileTest, ContentIsHeldToTheMemoryBound)
{
    // 65,535 buttons never learned, in a file of 3.6 MB: each takes what its record needs, not
    // a bitstream's whole capacity.
    const CBytes manyButtons = ManyButtons(65535, {});
    const std::size_t nBefore = HeapInUse();
    {
        SQbContent content;
        ASSERT_EQ(Parse(manyButtons, content), EQbParse::Ok);
        EXPECT_LT(HeapInUse() - nBefore, kMaxQbContentBytes);
    }
    // Five bytes of file decode to 50,000 bytes of bitstream; past the bound the file is refused.
    EXPECT_EQ(Parse(ManyButtons(kFullLengthsTooMany, kFullLength)), EQbParse::TooLarge);
    EXPECT_EQ(Parse(ManyButtons(kFullLengthsTooMany - 100, kFullLength)), EQbParse::Ok);
}

// Damages an example document in memory the way no file could hold it; saving must refuse,
// naming the record, rather than write what would not read back the same.
TEST(CQbFileTest, RefusesToStoreWhatWouldNotReadBackTheSame)
{
    struct SCase
    {
        const char* pszCase;
        std::function<void(CRemote&, CRemoteButton&, CTimedEvent&)> damage;
        int nReason;
        std::string strRecord;
    };
    const auto addMegabutton = [](CRemote& remote, CRemoteButton& step, int nDelay)
    {
        auto pParty = std::make_unique<CRemoteButton>("Party", true);
        pParty->m_steps.push_back({&remote, &step, nDelay});
        return &remote.AddButton(std::move(pParty));
    };
    const std::string strLong16(16, 'x');
    const std::vector<SCase> cases{
        {"remote name of 16 characters", [&](auto& tv, auto&, auto&) { tv.m_strName = strLong16; },
         StringId::kNameNotStorable, strLong16},
        {"name with a zero byte",
         [](auto&, auto& power, auto&) { power.m_strName = std::string("Po\0wer", 6); },
         StringId::kNameNotStorable, std::string("TV: Po\0wer", 10)},
        {"style 8", [](auto& tv, auto&, auto&) { tv.m_nStyle = 8; }, StringId::kStyleNotStorable,
         "TV"},
        {"two buttons in one cell",
         [](auto& tv, auto&, auto&)
         {
             CRemoteButton& mute = tv.AddButton(std::make_unique<CRemoteButton>("Mute", false));
             mute.m_nColumn = 0;
             mute.m_nRow = 0;
         },
         StringId::kRecordNotStorable, "TV: Power"},
        {"step delay 5", [&](auto& tv, auto& power, auto&) { addMegabutton(tv, power, 5); },
         StringId::kRecordNotStorable, "TV: Party"},
        {"megabutton playing itself",
         [&](auto& tv, auto& power, auto&)
         {
             CRemoteButton* pParty = addMegabutton(tv, power, 0);
             pParty->m_steps[0].m_pButton = pParty;
         },
         StringId::kMegabuttonNotStorable, "TV: Party"},
        {"date before 1970",
         [](auto&, auto&, auto& wake) { wake.m_time = CTime(1969, 12, 31, 23, 0, 0); },
         StringId::kDateNotStorable, "Wake"},
        {"content beyond the memory bound",
         [](auto& tv, auto&, auto&)
         {
             for (unsigned i = 0; i < kFullLengthsTooMany; ++i)
                 tv.AddButton(std::make_unique<CRemoteButton>("B" + std::to_string(i), false))
                     .m_bits.SetLength(kBitstreamBytes);
         },
         StringId::kDocumentTooLarge, ""},
    };
    for (const SCase& test : cases)
    {
        SQbContent content;
        ASSERT_EQ(Parse(GetExampleFileBytes(), content), EQbParse::Ok);
        CRemote& tv = *content.pRemotes->at("TV");
        test.damage(tv, *tv.FindButton("Power"), *content.pEvents->at("Wake"));
        CBytes bytes;
        SQbStoreError error;
        EXPECT_FALSE(StoreQbFile(content.pRemotes.get(), content.pEvents.get(), bytes, error))
            << test.pszCase;
        EXPECT_EQ(error.nReason, test.nReason) << test.pszCase;
        EXPECT_EQ(error.strRecord, test.strRecord) << test.pszCase;
    }
}

// London's clocks skipped 01:30 on 31 March 2024. A repeating event stored with that date keeps
// its 01:30 for every other day, through a load and a save; a one-time event's only
// occurrence is that day's, so it moves to 02:30.
TEST(CQbFileTest, EventsStoredInTheSkippedHourKeepTheirTimeOfDay)
{
    const CScopedTimeZone zone("Europe/London");
    const auto file = [](unsigned nFrequency, int nDay, int nHour) {
        return EventAt({2024, 3, nDay, nHour, 30}, {1997, 1, 1, 0, 0}, nFrequency);
    };
    struct SCase
    {
        unsigned nFrequency;
        int nSavedDay, nHour;
    };
    for (const SCase& test : {SCase{kFrequencyDaily, 30, 1}, SCase{kFrequencySunday, 30, 1},
                              SCase{kFrequencyOnce, 31, 2}})
    {
        SCOPED_TRACE(testing::Message() << "frequency " << test.nFrequency);
        SQbContent content;
        ASSERT_EQ(Parse(file(test.nFrequency, 31, 1), content), EQbParse::Ok);
        const CTime loaded = content.pEvents->at("Wake")->m_time;
        EXPECT_EQ(loaded.GetHour(), test.nHour);
        EXPECT_EQ(loaded.GetMinute(), 30);
        EXPECT_EQ(Store(content), file(test.nFrequency, test.nSavedDay, test.nHour));
    }
}

namespace
{
CRemoteButton& AddFactsButton(SQbContent& content, const std::string& strRemote,
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
    CRemoteButton& learned = AddFactsButton(content, "Amp", "Vol+", false);
    learned.m_bits = CBitstream(CBytes{0xF0, 0x0F});
    learned.m_facts.nSamplePicos = 1370456; // a parallel port's 1.370456 µs
    learned.m_facts.nCarrierHz = 36000;
    CRemoteButton& coded = AddFactsButton(content, "Amp", "Power", false);
    coded.m_bits = CBitstream(CBytes{0xFF, 0x00});
    coded.m_facts = {2000000, 40000, 33,
                     SButtonCode{"Pioneer", 0xA5AA, 0x1C, 0x2002, 32, true, true}};
    CRemoteButton& mega = AddFactsButton(content, "All", "Ramp", true);
    CRemote* pAmp = content.pRemotes->at("Amp").get();
    mega.m_steps.push_back({pAmp, &learned, 1, 1500});
    mega.m_steps.push_back({pAmp, &coded, 0, 0});
    return content;
}

CBytes ReadFixture(const std::filesystem::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return CBytes(std::istreambuf_iterator<char>(stream), {});
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

CBytes TagField(unsigned nTag, const CBytes& value)
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

// ---- version 513: tagged fields after each record ----

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
    const CBytes expected = TaggedExample(
        Join({TagField(1, U32(1000000)), TagField(2, U32(56000)), TagField(4, code)}));
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
        const CBytes bytes = ReadFixture(path);
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
    ASSERT_EQ(ParseQbFile(ReadFixture(fixtures / "../../fuzz/corpus/tagged.qb"), tagged),
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
        {"an unknown tag", TagField(77, {1, 2, 3}), EQbParse::Ok},
        {"a carrier with bytes after it", TagField(2, Join({U32(36000), {9, 9}})), EQbParse::Ok},
        {"a code with unknown flags",
         TagField(4, Join({{0x80, 0}, CBytes(code.begin() + 2, code.end())})), EQbParse::Ok},
        {"no fields", {}, EQbParse::Ok},
        {"a carrier cut short", TagField(2, {0x40, 0x9C}), EQbParse::InvalidFile},
        {"a field running past its block", Join({{2, 0, 9, 0}, U32(36000)}), EQbParse::InvalidFile},
        {"a field header cut short", {2, 0, 4}, EQbParse::InvalidFile},
        {"a time base of 0", TagField(1, U32(0)), EQbParse::InvalidFile},
        {"a duty cycle over 100", TagField(3, {101, 0}), EQbParse::InvalidFile},
        {"a code without a protocol", TagField(4, CBytes(code.begin(), code.end() - 5)),
         EQbParse::InvalidFile},
        {"a code with an empty protocol",
         TagField(4, Join({CBytes(code.begin(), code.end() - 5), {0, 0}})), EQbParse::InvalidFile},
    };
    for (const SCase& test : cases)
    {
        SQbContent content;
        EXPECT_EQ(ParseQbFile(TaggedExample(test.tags), content), test.eResult) << test.pszWhat;
    }

    SQbContent content;
    ASSERT_EQ(
        ParseQbFile(TaggedExample(Join({TagField(77, {1}), TagField(2, U32(36000))})), content),
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

// ---- actions on buttons heard ----

namespace
{
// A field of tag 5: the remote and the button to fire, each a 16-byte text.
CBytes ActionField(const std::string& strRemote, const std::string& strButton)
{
    CQbBytes value;
    value.Text(strRemote, 16).Text(strButton, 16);
    return TagField(5, value.m_bytes);
}
} // namespace

TEST(CQbActionTest, AnActionIsWrittenAsTheFormatPageGivesAndComesBackAsItsButton)
{
    // Power heard fires Power itself: the one button the example document holds.
    SQbContent content;
    ASSERT_EQ(ParseQbFile(GetExampleFileBytes(), content), EQbParse::Ok);
    CRemote& tv = *content.pRemotes->at("TV");
    CRemoteButton& power = *tv.m_buttons.at("Power");
    power.m_pActionRemote = &tv;
    power.m_pActionButton = &power;
    const CBytes expected = TaggedExample(ActionField("TV", "Power"));
    EXPECT_EQ(Store(content), expected);

    SQbContent loaded;
    ASSERT_EQ(ParseQbFile(expected, loaded), EQbParse::Ok);
    EXPECT_EQ(loaded.nVersion, kQbTaggedVersion);
    const CRemoteButton& loadedPower = Button(loaded, "TV", "Power");
    EXPECT_EQ(loadedPower.m_pActionRemote, loaded.pRemotes->at("TV").get());
    EXPECT_EQ(loadedPower.m_pActionButton, &loadedPower);
    // Without its action the document is the 512 one it was, byte for byte.
    power.m_pActionRemote = nullptr;
    power.m_pActionButton = nullptr;
    EXPECT_EQ(Store(content), GetExampleFileBytes());
}

TEST(CQbActionTest, ActionsReachRemotesFurtherOnAndMegabuttons)
{
    SQbContent content = MakeDocumentWithFacts();
    CRemoteButton& volume = *content.pRemotes->at("Amp")->m_buttons.at("Vol+");
    CRemote* pAll = content.pRemotes->at("All").get();
    // Remotes without menu ids are written in name order: All, then Amp, which its action names.
    volume.m_pActionRemote = pAll;
    volume.m_pActionButton = pAll->m_buttons.at("Ramp").get();
    CRemoteButton& ramp = *pAll->m_buttons.at("Ramp");
    ramp.m_pActionRemote = content.pRemotes->at("Amp").get();
    ramp.m_pActionButton = content.pRemotes->at("Amp")->m_buttons.at("Power").get();
    const CBytes bytes = Store(content);
    SQbContent loaded;
    ASSERT_EQ(ParseQbFile(bytes, loaded), EQbParse::Ok);
    EXPECT_EQ(Button(loaded, "Amp", "Vol+").m_pActionButton, &Button(loaded, "All", "Ramp"));
    EXPECT_EQ(Button(loaded, "All", "Ramp").m_pActionButton, &Button(loaded, "Amp", "Power"));
    EXPECT_EQ(Store(loaded), bytes);
}

TEST(CQbActionTest, AnActionOnAButtonTheFileDoesNotHoldIsRefusedByName)
{
    struct SCase
    {
        const char* pszWhat;
        CBytes tags;
        EQbParse eResult;
        const char* pszReason; // part of it
    };
    const CBytes action = ActionField("TV", "Power");
    const SCase cases[] = {
        {"a button of no remote", ActionField("Radio", "Power"), EQbParse::InvalidFile,
         "the action of button Power plays button Power of remote Radio"},
        {"a button the remote lacks", ActionField("TV", "Mute"), EQbParse::InvalidFile,
         "button Mute of remote TV, which the file does not hold"},
        {"a name without its zero", TagField(5, CBytes(32, 'A')), EQbParse::InvalidFile,
         "without its closing zero"},
        {"an empty name", ActionField("TV", ""), EQbParse::InvalidFile, "without a name"},
        {"names cut short", TagField(5, CBytes(20, 0)), EQbParse::InvalidFile,
         "shorter than its tag needs"},
        {"a value a later version lengthened",
         TagField(5, Join({CBytes(action.begin() + 4, action.end()), {7, 7}})), EQbParse::Ok, ""},
    };
    for (const SCase& test : cases)
    {
        SQbContent content;
        SQbParseFault fault;
        EXPECT_EQ(ParseQbFile(TaggedExample(test.tags), content, &fault), test.eResult)
            << test.pszWhat;
        EXPECT_NE(fault.strReason.find(test.pszReason), std::string::npos)
            << test.pszWhat << ": " << fault.strReason;
    }
}

TEST(CQbActionTest, AnActionOnAButtonOutsideTheDocumentIsNotStored)
{
    SQbContent content = MakeDocumentWithFacts();
    CRemote stray("Stray", 0, 0);
    CRemoteButton& strayButton = AddTestButton(stray, "Gone", 0, 0);
    CRemoteButton& volume = *content.pRemotes->at("Amp")->m_buttons.at("Vol+");
    volume.m_pActionRemote = &stray;
    volume.m_pActionButton = &strayButton;
    CBytes bytes;
    SQbStoreError error;
    EXPECT_FALSE(StoreQbFile(content.pRemotes.get(), nullptr, bytes, error));
    EXPECT_EQ(error.strRecord, "Amp: Vol+");
}
