#include "signal/ProtocolTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
constexpr SProtocolRow kGoodRow{
    .eProtocol = EProtocol::kNec,
    .pszName = "Good",
    .pszKey = "Good",
    .eDecodesAs = EProtocol::kNec,
    .nCarrierHz = 38000,
    .dUnitMicros = 564,
    .eEncoding = EBitEncoding::kPulseDistance,
    .zero = {1, -1},
    .one = {1, -3},
    .pszFrame = "16,-8,D:8,S:8,F:8,~F:8,1",
    .pszRepeat = "16,-4,1",
    .dPeriodMicros = 108000,
    .cSubdeviceDefault = '~',
};

// A row like the good one, named Bad, with one thing changed.
template <typename CChange> SProtocolRow Bad(CChange change)
{
    SProtocolRow row = kGoodRow;
    row.eProtocol = EProtocol::kJvc;
    row.eDecodesAs = EProtocol::kJvc;
    row.pszName = "Bad";
    row.pszKey = "Bad";
    change(row);
    return row;
}

struct STableCase
{
    std::vector<SProtocolRow> rows;
    std::string strFault;
};

std::vector<STableCase> TableCases()
{
    return {
        {{kGoodRow, Bad([](SProtocolRow&) {})}, ""},
        // Field widths that disagree, and fields with a hole.
        {{kGoodRow, Bad([](SProtocolRow& row) { row.pszFrame = "16,-8,D:8,S:8,F:8,~F:6,1"; })},
         "Bad: the field F is sent as F:8 and as ~F:6"},
        {{kGoodRow, Bad([](SProtocolRow& row) { row.pszFrame = "16,-8,D:8,F:6,F:1:7,1"; })},
         "Bad: the bits of the field F leave a gap"},
        {{kGoodRow, Bad([](SProtocolRow& row) { row.pszRepeat = "D:6,F:8,1"; })},
         "Bad: the repeat frame sends the field D wider or narrower than the frame does"},
        // Bit counts that do not add up.
        {{kGoodRow, Bad(
                        [](SProtocolRow& row)
                        {
                            row.eEncoding = EBitEncoding::kPulseDistanceTwo;
                            row.two = {1, -5};
                            row.three = {1, -7};
                            row.pszFrame = "16,-8,D:8,T:1,F:8,1";
                            row.cSubdeviceDefault = 0;
                        })},
         "Bad: 17 bits in a row, but a symbol carries 2"},
        {{kGoodRow, Bad([](SProtocolRow& row) { row.pszFrame = "D:32,S:32,F:1"; })},
         "Bad: the frame holds 65 bits, more than 64"},
        {{kGoodRow, Bad([](SProtocolRow& row) { row.pszFrame = "16,-8,1"; })},
         "Bad: the frame holds no bits"},
        {{kGoodRow, Bad([](SProtocolRow& row) { row.pszFrame = "D:8,S:8,F:33"; })},
         "Bad: cannot read \"F:33\" in the frame"},
        // Missing timings.
        {{kGoodRow, Bad([](SProtocolRow& row) { row.nCarrierHz = 0; })}, "Bad: it has no carrier"},
        {{kGoodRow, Bad([](SProtocolRow& row) { row.dUnitMicros = 0; })}, "Bad: it has no unit"},
        {{kGoodRow, Bad(
                        [](SProtocolRow& row) {
                            row.one = {1, 0};
                        })},
         "Bad: symbol 1 lacks a mark or a space"},
        {{kGoodRow, Bad([](SProtocolRow& row) { row.dPeriodMicros = 0; })},
         "Bad: it needs either a period or a gap after each frame"},
        {{kGoodRow, Bad([](SProtocolRow& row) { row.pszRepeat = "16,,1"; })},
         "Bad: cannot read \"\" in the repeat frame"},
        // Symbols that do not fit the encoding.
        {{kGoodRow, Bad(
                        [](SProtocolRow& row) {
                            row.one = {2, -1};
                        })},
         "Bad: its pulse-distance symbols differ in their marks or share their space"},
        {{kGoodRow, Bad([](SProtocolRow& row) { row.eEncoding = EBitEncoding::kBiphase; })},
         "Bad: its biphase symbols are not a unit's mark and space, 1 the mirror of 0"},
        {{kGoodRow, Bad([](SProtocolRow& row) { row.pszFrame = "16,-8,D:8,S:8,T:1*,F:8,~F:8"; })},
         "Bad: a double-width bit outside a biphase frame"},
        // Checks, makers and subdevices.
        {{kGoodRow, Bad([](SProtocolRow& row) { row.pszFrame = "16,-8,D:8,S:8,F:8,X:8,1"; })},
         "Bad: the field X is neither a code field nor one of its checks"},
        {{kGoodRow, Bad(
                        [](SProtocolRow& row) {
                            row.checks[0] = {'P', ECheck::kNegatedNibbleSum};
                        })},
         "Bad: its check P is not in the frame"},
        {{kGoodRow, Bad(
                        [](SProtocolRow& row)
                        {
                            row.pszFrame = "16,-8,D:8,S:8,F:8,X:8,1";
                            row.checks[0] = {'X', ECheck::kDataByteXor};
                        })},
         "Bad: its check X needs a maker field"},
        {{kGoodRow, Bad(
                        [](SProtocolRow& row)
                        {
                            row.pszFrame = "16,-8,D:8,M:16,F:8,X:8,1";
                            row.checks[0] = {'X', ECheck::kDataByteXor};
                            row.cSubdeviceDefault = 0;
                        })},
         "Bad: its check X needs the maker code first"},
        {{kGoodRow, Bad([](SProtocolRow& row) { row.nDefaultMaker = 0x2002; })},
         "Bad: its default maker does not fit a maker field"},
        {{kGoodRow, Bad([](SProtocolRow& row) { row.pszFrame = "16,-8,D:8,F:8,~F:8,1"; })},
         "Bad: it derives a subdevice, but the frame has none"},
        // The rows together.
        {{kGoodRow, Bad([](SProtocolRow& row) { row.eProtocol = EProtocol::kNec; })},
         "Bad: its protocol has a row already"},
        {{kGoodRow, Bad([](SProtocolRow& row) { row.pszKey = "go-od"; })},
         "Bad: its key is Good's"},
        {{kGoodRow, Bad([](SProtocolRow& row) { row.eDecodesAs = EProtocol::kSony; })},
         "Bad: it decodes as a protocol the table does not decode"},
    };
}
} // namespace

// A row that does not hold together is found before anything is sent or read with it, and the
// fault names the row and what is wrong; the rows before it are not blamed.
TEST(ProtocolTableTest, NamesTheFirstMalformedRowAndWhy)
{
    for (const STableCase& tableCase : TableCases())
        EXPECT_EQ(FindProtocolTableFault(tableCase.rows), tableCase.strFault);
}

// The shipped table holds together: every protocol has its form.
TEST(ProtocolTableTest, EveryProtocolHasItsForm)
{
    for (int nProtocol = static_cast<int>(EProtocol::kNec);
         nProtocol <= static_cast<int>(EProtocol::kNec42Wide); ++nProtocol)
        EXPECT_NE(FindProtocolForm(static_cast<EProtocol>(nProtocol)), nullptr) << nProtocol;
}
