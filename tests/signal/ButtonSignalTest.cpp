// What a button keeps beside its samples, and what the exporters make of it.
#include "signal/ButtonSignal.h"

#include "document/CRemoteButton.h"
#include "signal/FlipperFormat.h"
#include "signal/LircFormat.h"
#include "signal/ProntoFormat.h"
#include "signal/ProtocolTable.h"
#include "signal/SignalDurations.h"
#include "signal/SignalEncoder.h"

#include <gtest/gtest.h>

namespace
{
using CDurations = std::vector<std::uint32_t>;

// A mark, then a space of the rest, then a mark: nMicros in all.
CDurations Lasting(std::uint32_t nMicros)
{
    return {500, nMicros - 1000, 500};
}

TEST(ButtonSignalTest, TakesTheFinestTimeBaseThatHoldsTheSignal)
{
    struct SCase
    {
        std::uint32_t nMicros;
        double dLeastNanos;
        double dExpected;
    };
    const SCase cases[] = {
        {400000, 1000, 1000}, {400001, 1000, 2000},   {600000, 1000, 2000},
        {800010, 1000, 5000}, {4000000, 1000, 10000}, {40000000, 1000, 100000},
        {40000100, 1000, 0},  {547000, 1370, 1370},   {600000, 1370, 2000},
        {600000, 2500, 2500}, {1100000, 2500, 5000},
    };
    for (const SCase& test : cases)
        EXPECT_EQ(FindHoldingPeriod(Lasting(test.nMicros), test.dLeastNanos), test.dExpected)
            << test.nMicros << " µs from " << test.dLeastNanos;
}

// Every protocol's code comes back from the document's record of it: a key that named another
// row, or none, would turn a button into another protocol's on the next load.
TEST(ButtonSignalTest, EveryProtocolsCodeComesBackFromItsRecord)
{
    for (const SProtocolForm& form : GetProtocolForms())
    {
        SDecodedSignal code;
        code.eProtocol = form.pRow->eProtocol;
        code.eForm = EFrameForm::kIrFile;
        code.nAddress = 0x12;
        code.nCommand = 0x34;
        code.nMaker = form.nMakerBits > 0 ? 0x2002 : 0;
        code.nBits = 20;
        code.bExtended = true;
        const std::optional<SDecodedSignal> back = FromButtonCode(ToButtonCode(code));
        ASSERT_TRUE(back) << form.pRow->pszName;
        EXPECT_EQ(back->eProtocol, code.eProtocol) << form.pRow->pszName;
        EXPECT_TRUE(back->IsSameCode(code)) << form.pRow->pszName;
        EXPECT_EQ(back->eForm, EFrameForm::kIrFile);
        EXPECT_EQ(back->nBits, 20);
        EXPECT_TRUE(back->bExtended);
    }
    EXPECT_FALSE(FromButtonCode(SButtonCode{"Teletubby"}));
}

TEST(ButtonSignalTest, ACarrierComesFromTheInputElseFromTheProtocol)
{
    SEncodedSignal nec;
    ASSERT_TRUE(EncodeSignal({.eProtocol = EProtocol::kNec, .nAddress = 4, .nCommand = 8}, nec));
    const SDecodedSignal pioneer{.eProtocol = EProtocol::kPioneer, .nAddress = 4, .nCommand = 8};
    EXPECT_EQ(MakeSignalFacts(nec.durations, 1000, 56000, std::nullopt).nCarrierHz, 56000u);
    EXPECT_EQ(MakeSignalFacts(nec.durations, 1000, 0, std::nullopt).nCarrierHz, 38000u);
    EXPECT_EQ(MakeSignalFacts(nec.durations, 1000, 0, pioneer).nCarrierHz, 40000u);
    EXPECT_EQ(MakeSignalFacts({3000, 3000, 3000}, 1000, 0, std::nullopt).nCarrierHz, 0u);
    const SSendingFacts facts = MakeSignalFacts(nec.durations, 2000, 0, pioneer);
    EXPECT_EQ(facts.nSamplePicos, 2000000u);
    EXPECT_EQ(facts.code->strProtocol, "Pioneer");
}

// Pronto's carrier word is 1,000,000 / (Hz × 0.241246): 0x006D for 38 kHz, 0x004A for 56 kHz.
TEST(ButtonSignalTest, ExportersWriteEachCodesOwnCarrier)
{
    const CDurations durations{9000, 4500, 560};
    std::vector<SExchangeCode> codes{{"A", durations, 56000, 0}, {"B", durations, 0, 0}};
    std::string strText;
    std::string strError;
    ASSERT_TRUE(FormatProntoCodes(codes, 38000, strText, strError)) << strError;
    EXPECT_TRUE(strText.starts_with("A: 0000 004A ")) << strText;
    EXPECT_NE(strText.find("\nB: 0000 006D "), std::string::npos) << strText;

    const std::string strFlipper = FormatFlipperCodes(codes, 38000);
    EXPECT_NE(strFlipper.find("name: A\ntype: raw\nfrequency: 56000\n"), std::string::npos);
    EXPECT_NE(strFlipper.find("name: B\ntype: raw\nfrequency: 38000\n"), std::string::npos);

    codes.push_back({"C", durations, 56000, 0});
    EXPECT_NE(FormatLircRemote("Air", codes, 38000).find("  frequency 56000\n"), std::string::npos);
    codes = {{"B", durations, 0, 0}};
    EXPECT_NE(FormatLircRemote("Air", codes, 36000).find("  frequency 36000\n"), std::string::npos);
}

// A kept code is written parsed, as its own protocol; at a carrier other than its protocol's,
// a parsed record would lose the carrier, so it goes raw.
TEST(ButtonSignalTest, AKeptCodeIsWrittenAsItsProtocolAtItsProtocolsCarrier)
{
    const SDecodedSignal pioneer{
        .eProtocol = EProtocol::kPioneer, .nAddress = 0xAA, .nCommand = 0x1C};
    SEncodedSignal encoded;
    ASSERT_TRUE(EncodeSignal(pioneer, encoded));
    SExchangeCode code{"Power", encoded.durations, 40000, 0};
    // The recording alone shows NEC, whose parsed record would go out at 38 kHz.
    EXPECT_NE(FormatFlipperCodes({code}, 38000).find("type: raw\nfrequency: 40000\n"),
              std::string::npos);
    code.code = pioneer;
    EXPECT_NE(FormatFlipperCodes({code}, 38000)
                  .find("protocol: Pioneer\naddress: AA 00 00 00\ncommand: 1C 00 00 00\n"),
              std::string::npos);
    code.nCarrierHz = 56000;
    EXPECT_NE(FormatFlipperCodes({code}, 38000).find("type: raw\nfrequency: 56000\n"),
              std::string::npos);
}

// The tool loads a raw record only at 10 to 56 kHz, both ends taken, and refuses the whole file
// for one outside (its firmware's check of a raw signal); a parsed record carries no carrier.
TEST(ButtonSignalTest, AnIrFileTakesRawRecordsAtTheToolsCarriersOnly)
{
    const SDecodedSignal nec{.eProtocol = EProtocol::kNec, .nAddress = 0x04, .nCommand = 0x08};
    SEncodedSignal encoded;
    ASSERT_TRUE(EncodeSignal(nec, encoded));
    const std::vector<std::uint32_t> unknown{1000, 500, 1000};
    struct SCase
    {
        const char* pszWhat;
        SExchangeCode code;
        unsigned nExportHz;
        bool bTaken;
    };
    const std::vector<SCase> cases{
        {"raw at the lowest", {"A", unknown, 10000, 0}, 38000, true},
        {"raw at the highest", {"A", unknown, 56000, 0}, 38000, true},
        {"raw below", {"A", unknown, 9999, 0}, 38000, false},
        {"raw above", {"A", unknown, 56001, 0}, 38000, false},
        {"raw at the export's carrier", {"A", unknown, 0, 0}, 460000, false},
        {"parsed, whatever the export's carrier", {"A", encoded.durations, 0, 0}, 460000, true},
        {"a protocol's frame off its carrier goes raw",
         {"A", encoded.durations, 460000, 0},
         38000,
         false},
    };
    for (const SCase& testCase : cases)
        EXPECT_EQ(FindFlipperRefusal(testCase.code, testCase.nExportHz).empty(), testCase.bTaken)
            << testCase.pszWhat;
}

} // namespace
