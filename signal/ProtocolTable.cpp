#include "signal/ProtocolTable.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <iterator>
#include <stdexcept>
#include <string>
#include <tuple>

namespace
{
// The timings follow the protocols' public descriptions: the IRP notation of the IrpProtocols
// collection (DecodeIR and IrpTransmogrifier documentation), the SB-Projects infrared knowledge
// base (NEC, RC-5, RC-6, Sony, JVC, Sharp, RECS-80) and the IRMP protocol notes (NEC 42-bit,
// Kaseikyo, Thomson). The order is the decoder's: where one frame could pass for another, the
// stricter goes first (G.I. Cable before JVC, Dish Network before Mitsubishi, RC-6 before Sony).
using E = EProtocol;
using B = EBitEncoding;
constexpr SProtocolRow kRows[]{
    {
        .eProtocol = E::kNec,
        .pszName = "NEC",
        .pszKey = "NEC",
        .eDecodesAs = E::kNec,
        .nCarrierHz = 38000,
        .dUnitMicros = 564,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -1},
        .one = {1, -3},
        .pszFrame = "16,-8,D:8,S:8,F:8,~F:8,1",
        .pszRepeat = "16,-4,1",
        .dPeriodMicros = 108000,
        .cSubdeviceDefault = '~',
    },
    {
        .eProtocol = E::kNec42,
        .pszName = "NEC 42-bit",
        .pszKey = "NEC42",
        .eDecodesAs = E::kNec42,
        .nCarrierHz = 38000,
        .dUnitMicros = 564,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -1},
        .one = {1, -3},
        .pszFrame = "16,-8,D:13,S:13,F:8,~F:8,1",
        .pszRepeat = "16,-4,1",
        .dPeriodMicros = 108000,
        .cSubdeviceDefault = '~',
    },
    // NEC frames whose fourth byte is no inverse of the third carry a 16-bit command, as the
    // kernel's rc-protos.rst reads them ("nec32") and the ".ir" files' NECext and NEC42ext
    // records write them: the address and the command sent as they are, least significant bit
    // first. The unit is the kernel's 562.5 us, which puts every run of the frame within 3 us
    // (2.5 before rounding) of what the ".ir" format's own encoder sends (9000/4500, 560/560
    // and 560/1690 us).
    {
        .eProtocol = E::kNecWide,
        .pszName = "NEC 16-bit command",
        .pszKey = "NECext",
        .eDecodesAs = E::kNecWide,
        .nCarrierHz = 38000,
        .dUnitMicros = 562.5,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -1},
        .one = {1, -3},
        .pszFrame = "16,-8,D:16,F:16,1",
        .pszRepeat = "16,-4,1",
        .dPeriodMicros = 108000,
    },
    {
        .eProtocol = E::kNec42Wide,
        .pszName = "NEC 42-bit 16-bit command",
        .pszKey = "NEC42ext",
        .eDecodesAs = E::kNec42Wide,
        .nCarrierHz = 38000,
        .dUnitMicros = 562.5,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -1},
        .one = {1, -3},
        .pszFrame = "16,-8,D:26,F:16,1",
        .pszRepeat = "16,-4,1",
        .dPeriodMicros = 108000,
    },
    {
        .eProtocol = E::kSamsung,
        .pszName = "Samsung",
        .pszKey = "Samsung32",
        .eDecodesAs = E::kSamsung,
        .nCarrierHz = 38000,
        .dUnitMicros = 564,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -1},
        .one = {1, -3},
        .pszFrame = "8,-8,D:8,S:8,F:8,~F:8,1",
        .dPeriodMicros = 108000,
        .cSubdeviceDefault = '=',
    },
    {
        .eProtocol = E::kKaseikyo,
        .pszName = "Kaseikyo",
        .pszKey = "Kaseikyo",
        .eDecodesAs = E::kKaseikyo,
        .nCarrierHz = 37000,
        .dUnitMicros = 432,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -1},
        .one = {1, -3},
        .pszFrame = "8,-4,M:16,P:4,D:4,S:4,F:10,E:2,X:8,1",
        .checks = {{'P', ECheck::kMakerNibbleXor}, {'X', ECheck::kDataByteXor}},
        .nDefaultMaker = 0x2002, // Panasonic's
        .dGapMicros = 74736,
    },
    {
        .eProtocol = E::kPanasonic22,
        .pszName = "Panasonic 22-bit",
        .pszKey = "Panasonic22",
        .eDecodesAs = E::kPanasonic22,
        .nCarrierHz = 57600,
        .dUnitMicros = 833,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -1},
        .one = {1, -3},
        .pszFrame = "4,-4,D:5,F:6,~D:5,~F:6,1",
        .dGapMicros = 44000,
    },
    {
        .eProtocol = E::kEmerson,
        .pszName = "Emerson",
        .pszKey = "Emerson",
        .eDecodesAs = E::kEmerson,
        .nCarrierHz = 36700,
        .dUnitMicros = 872,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -1},
        .one = {1, -3},
        .pszFrame = "4,-4,D:6,F:6,~D:6,~F:6,1",
        .dGapMicros = 34008,
    },
    {
        .eProtocol = E::kRca,
        .pszName = "RCA",
        .pszKey = "RCA",
        .eDecodesAs = E::kRca,
        .nCarrierHz = 58000,
        .dUnitMicros = 460,
        .eEncoding = B::kPulseDistance,
        .bMsbFirst = true,
        .zero = {1, -2},
        .one = {1, -4},
        .pszFrame = "8,-8,D:4,F:8,~D:4,~F:8,1",
        .dGapMicros = 7360,
    },
    {
        .eProtocol = E::kProton,
        .pszName = "Proton",
        .pszKey = "Proton",
        .eDecodesAs = E::kProton,
        .nCarrierHz = 38000,
        .dUnitMicros = 500,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -1},
        .one = {1, -3},
        .pszFrame = "16,-8,D:8,1,-8,F:8,1",
        .dPeriodMicros = 63000,
    },
    {
        .eProtocol = E::kGiCable,
        .pszName = "G.I. Cable",
        .pszKey = "GICable",
        .eDecodesAs = E::kGiCable,
        .nCarrierHz = 38700,
        .dUnitMicros = 490,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -4.5},
        .one = {1, -9},
        .pszFrame = "18,-9,F:8,D:4,G:4,1",
        .checks = {{'G', ECheck::kNegatedNibbleSum}},
        .pszRepeat = "18,-4.5,1",
        .dGapMicros = 41160,
    },
    {
        .eProtocol = E::kJvc,
        .pszName = "JVC",
        .pszKey = "JVC",
        .eDecodesAs = E::kJvc,
        .nCarrierHz = 38000,
        .dUnitMicros = 526,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -1},
        .one = {1, -3},
        .pszFrame = "16,-8,D:8,F:8,1",
        .pszRepeat = "D:8,F:8,1",
        .dGapMicros = 23625,
    },
    {
        .eProtocol = E::kSharp,
        .pszName = "Sharp",
        .pszKey = "Sharp",
        .eDecodesAs = E::kSharp,
        .nCarrierHz = 38000,
        .dUnitMicros = 264,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -3},
        .one = {1, -7},
        .pszFrame = "D:5,F:8,1:2,1",
        .pszRepeat = "D:5,~F:8,2:2,1",
        .dGapMicros = 43560,
        .nMinRepeats = 1,
    },
    {
        .eProtocol = E::kDenon,
        .pszName = "Denon",
        .pszKey = "Denon",
        .eDecodesAs = E::kDenon,
        .nCarrierHz = 38000,
        .dUnitMicros = 264,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -3},
        .one = {1, -7},
        .pszFrame = "D:5,F:8,0:2,1",
        .pszRepeat = "D:5,~F:8,3:2,1",
        .dGapMicros = 43560,
        .nMinRepeats = 1,
    },
    {
        .eProtocol = E::kDish,
        .pszName = "Dish Network",
        .pszKey = "Dish",
        .eDecodesAs = E::kDish,
        .nCarrierHz = 57600,
        .dUnitMicros = 400,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -7},
        .one = {1, -4},
        .pszFrame = "F:-6,S:5,D:5,1",
        .pszLead = "1,-15",
        .dGapMicros = 6000,
        .nSplitMicros = 4500,
    },
    {
        .eProtocol = E::kMitsubishi,
        .pszName = "Mitsubishi",
        .pszKey = "Mitsubishi",
        .eDecodesAs = E::kMitsubishi,
        .nCarrierHz = 32600,
        .dUnitMicros = 300,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -3},
        .one = {1, -7},
        .pszFrame = "D:8,F:8,1",
        .dGapMicros = 24000,
    },
    {
        .eProtocol = E::kThomson,
        .pszName = "Thomson",
        .pszKey = "Thomson",
        .eDecodesAs = E::kThomson,
        .nCarrierHz = 33000,
        .dUnitMicros = 500,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -4},
        .one = {1, -9},
        // The seven bits after the toggle are split differently by different sources: IRMP and
        // DecodeIR's Thomson7 read a 7-bit command (F:7, as here), DecodeIR's older Thomson a
        // fifth device bit and a 6-bit command (D:4,T:1,D:1:5,F:6). The frame is the same.
        .pszFrame = "D:4,T:1,F:7,1",
        .dPeriodMicros = 80000,
    },
    {
        .eProtocol = E::kRecs80,
        .pszName = "RECS-80",
        .pszKey = "RECS80",
        .eDecodesAs = E::kRecs80,
        .nCarrierHz = 38000,
        .dUnitMicros = 158,
        .eEncoding = B::kPulseDistance,
        .bMsbFirst = true,
        .zero = {1, -31},
        .one = {1, -47},
        .pszFrame = "1:1,T:1,D:3,F:6,1",
        .dPeriodMicros = 138000,
        .nSplitMicros = 10000,
    },
    {
        .eProtocol = E::kNokia32,
        .pszName = "Nokia 32",
        .pszKey = "Nokia32",
        .eDecodesAs = E::kNokia32,
        .nCarrierHz = 36000,
        .dUnitMicros = 1,
        .eEncoding = B::kPulseDistanceTwo,
        .bMsbFirst = true,
        .zero = {164, -276},
        .one = {164, -445},
        .two = {164, -614},
        .three = {164, -783},
        .pszFrame = "412,-276,D:8,S:8,T:1,E:7,F:8,164",
        .dPeriodMicros = 100000,
    },
    {
        .eProtocol = E::kRc6,
        .pszName = "RC-6",
        .pszKey = "RC6",
        .eDecodesAs = E::kRc6,
        .nCarrierHz = 36000,
        .dUnitMicros = 444,
        .eEncoding = B::kBiphase,
        .bMsbFirst = true,
        .zero = {-1, 1},
        .one = {1, -1},
        .pszFrame = "6,-2,1:1,0:3,T:1*,D:8,F:8",
        .dPeriodMicros = 107000,
    },
    // The media-centre form keeps its trailer bit at 0 and toggles the top bit of the command
    // half instead.
    {
        .eProtocol = E::kRc6Mode6A32,
        .pszName = "RC-6 6A 32-bit",
        .pszKey = "RC6A32",
        .eDecodesAs = E::kRc6Mode6A32,
        .nCarrierHz = 36000,
        .dUnitMicros = 444,
        .eEncoding = B::kBiphase,
        .bMsbFirst = true,
        .zero = {-1, 1},
        .one = {1, -1},
        .pszFrame = "6,-2,1:1,6:3,0:1*,D:16,T:1,F:15",
        .dPeriodMicros = 107000,
    },
    {
        .eProtocol = E::kRc6Mode6A20,
        .pszName = "RC-6 6A 20-bit",
        .pszKey = "RC6A20",
        .eDecodesAs = E::kRc6Mode6A20,
        .nCarrierHz = 36000,
        .dUnitMicros = 444,
        .eEncoding = B::kBiphase,
        .bMsbFirst = true,
        .zero = {-1, 1},
        .one = {1, -1},
        .pszFrame = "6,-2,1:1,6:3,T:1*,D:8,S:4,F:8",
        .dPeriodMicros = 107000,
    },
    // A press opens with a sync (a mark, a space, ten 1 bits, a long space), then the frame: its
    // own mark and space, a 1, six function and three device bits, least significant first
    // (DecodeIR: {30.3k,528}<-1,1|1,-1>(1,-5,1023:10,-39,1,-5,1:1,F:6,D:3,-230); IrpProtocols:
    // the same at 512 us, -44 and -236).
    {
        .eProtocol = E::kBlaupunkt,
        .pszName = "Blaupunkt",
        .pszKey = "Blaupunkt",
        .eDecodesAs = E::kBlaupunkt,
        .nCarrierHz = 30300,
        .dUnitMicros = 528,
        .eEncoding = B::kBiphase,
        .zero = {-1, 1},
        .one = {1, -1},
        .pszFrame = "1,-5,1:1,F:6,D:3",
        .pszLead = "1,-5,1,-1,1,-1,1,-1,1,-1,1,-1,1,-1,1,-1,1,-1,1,-1,1,-40",
        .dGapMicros = 121440,
    },
    {
        .eProtocol = E::kSony,
        .pszName = "Sony 12-bit",
        .pszKey = "Sony12",
        .eDecodesAs = E::kSony,
        .nCarrierHz = 40000,
        .dUnitMicros = 600,
        .eEncoding = B::kPulseWidth,
        .zero = {1, -1},
        .one = {2, -1},
        .pszFrame = "4,-1,F:7,D:5",
        .dPeriodMicros = 45000,
        .nMinRepeats = 2,
    },
    {
        .eProtocol = E::kSony15,
        .pszName = "Sony 15-bit",
        .pszKey = "Sony15",
        .eDecodesAs = E::kSony15,
        .nCarrierHz = 40000,
        .dUnitMicros = 600,
        .eEncoding = B::kPulseWidth,
        .zero = {1, -1},
        .one = {2, -1},
        .pszFrame = "4,-1,F:7,D:8",
        .dPeriodMicros = 45000,
        .nMinRepeats = 2,
    },
    {
        .eProtocol = E::kSony20,
        .pszName = "Sony 20-bit",
        .pszKey = "Sony20",
        .eDecodesAs = E::kSony20,
        .nCarrierHz = 40000,
        .dUnitMicros = 600,
        .eEncoding = B::kPulseWidth,
        .zero = {1, -1},
        .one = {2, -1},
        .pszFrame = "4,-1,F:7,D:5,S:8",
        .dPeriodMicros = 45000,
        .nMinRepeats = 2,
    },
    {
        .eProtocol = E::kRc5,
        .pszName = "RC-5",
        .pszKey = "RC5",
        .eDecodesAs = E::kRc5,
        .nCarrierHz = 36000,
        .dUnitMicros = 889,
        .eEncoding = B::kBiphase,
        .bMsbFirst = true,
        .zero = {1, -1},
        .one = {-1, 1},
        .pszFrame = "1:1,~F:1:6,T:1,D:5,F:6",
        .dPeriodMicros = 113778,
    },
    // Frames no receiver tells from another protocol's: the decoder reports that one.
    {
        .eProtocol = E::kPioneer,
        .pszName = "Pioneer",
        .pszKey = "Pioneer",
        .eDecodesAs = E::kNec,
        .nCarrierHz = 40000,
        .dUnitMicros = 564,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -1},
        .one = {1, -3},
        .pszFrame = "16,-8,D:8,S:8,F:8,~F:8,1",
        .dGapMicros = 43992,
        .nMinRepeats = 1,
        .cSubdeviceDefault = '~',
    },
    {
        .eProtocol = E::kAiwa,
        .pszName = "Aiwa",
        .pszKey = "Aiwa",
        .eDecodesAs = E::kNec42,
        .nCarrierHz = 38000,
        .dUnitMicros = 550,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -1},
        .one = {1, -3},
        .pszFrame = "16,-8,D:13,S:13,F:8,~F:8,1",
        .pszRepeat = "16,-8,1",
        .dGapMicros = 23100,
        .cSubdeviceDefault = '~',
    },
};

constexpr const char* kCodeFields = "DSEFTM";

std::string DescribeItem(const SFrameItem& item)
{
    std::string strText = std::string(item.bInvert ? "~" : "") + item.cField + ":" +
                          (item.bReversed ? "-" : "") + std::to_string(item.nBits);
    return item.nShift == 0 ? strText : strText + ":" + std::to_string(item.nShift);
}

bool ReadInt(std::string_view text, int& nValue)
{
    const auto [pEnd, error] = std::from_chars(text.data(), text.data() + text.size(), nValue);
    return !text.empty() && error == std::errc{} && pEnd == text.data() + text.size();
}

// "-8": units of the protocol; "-889us": microseconds.
bool ReadDuration(std::string_view text, double dUnit, double& dMicros)
{
    if (text.ends_with("us"))
    {
        text.remove_suffix(2);
        dUnit = 1;
    }
    const std::string strText(text);
    char* pszEnd = nullptr;
    const double dUnits = std::strtod(strText.c_str(), &pszEnd);
    dMicros = dUnits * dUnit;
    return !strText.empty() && *pszEnd == 0 && dUnits != 0;
}

// "~V:n:s*", "V:-n", "1:2": the bits of a field or a constant.
bool ReadBits(std::string_view token, SFrameItem& item)
{
    item.bBits = true;
    item.bInvert = token.starts_with('~');
    token.remove_prefix(item.bInvert ? 1 : 0);
    item.bDouble = token.ends_with('*');
    token.remove_suffix(item.bDouble ? 1 : 0);
    const std::size_t nColon = token.find(':');
    const std::string_view what = token.substr(0, nColon);
    std::string_view width = token.substr(nColon + 1);
    const std::size_t nShiftColon = width.find(':');
    if (nShiftColon != std::string_view::npos &&
        !ReadInt(width.substr(nShiftColon + 1), item.nShift))
        return false;
    width = width.substr(0, nShiftColon);
    if (what.size() == 1 && std::isupper(static_cast<unsigned char>(what[0])))
        item.cField = what[0];
    else
    {
        int nConstant = 0;
        if (!ReadInt(what, nConstant) || nConstant < 0)
            return false;
        item.nConstant = static_cast<std::uint32_t>(nConstant);
    }
    if (!ReadInt(width, item.nBits) || item.nBits == 0)
        return false;
    item.bReversed = item.nBits < 0;
    item.nBits = std::abs(item.nBits);
    return item.nShift >= 0 && item.nBits + item.nShift <= 32 &&
           (std::uint64_t{item.nConstant} >> item.nBits) == 0;
}

std::string ParseItems(std::string_view text, double dUnit, std::string_view strWhat,
                       std::vector<SFrameItem>& items)
{
    while (!text.empty())
    {
        const std::size_t nEnd = std::min(text.find(','), text.size());
        const std::string_view token = text.substr(0, nEnd);
        text.remove_prefix(std::min(nEnd + 1, text.size()));
        SFrameItem item;
        const bool bBits = token.find(':') != std::string_view::npos;
        if (!(bBits ? ReadBits(token, item) : ReadDuration(token, dUnit, item.dMicros)))
            return "cannot read \"" + std::string(token) + "\" in " + std::string(strWhat);
        items.push_back(item);
    }
    return "";
}

int FieldWidth(const std::vector<SFrameItem>& items, char cField)
{
    int nWidth = 0;
    for (const SFrameItem& item : items)
        if (item.cField == cField)
            nWidth = std::max(nWidth, item.nShift + item.nBits);
    return nWidth;
}

// The timings every row needs: a carrier, a unit, the symbols its encoding sends, and what
// follows a frame.
std::string CheckTimings(const SProtocolRow& row)
{
    if (row.nCarrierHz == 0)
        return "it has no carrier";
    if (row.dUnitMicros <= 0)
        return "it has no unit";
    if ((row.dPeriodMicros > 0) == (row.dGapMicros > 0))
        return "it needs either a period or a gap after each frame";
    const bool bTwoBits = row.eEncoding == EBitEncoding::kPulseDistanceTwo;
    const SBitSymbol symbols[]{row.zero, row.one, row.two, row.three};
    for (std::size_t nSymbol = 0; nSymbol < std::size(symbols); ++nSymbol)
    {
        const bool bUsed = nSymbol < 2 || bTwoBits;
        const bool bGiven = symbols[nSymbol].dFirst != 0 || symbols[nSymbol].dSecond != 0;
        if (bUsed && (symbols[nSymbol].dFirst == 0 || symbols[nSymbol].dSecond == 0))
            return "symbol " + std::to_string(nSymbol) + " lacks a mark or a space";
        if (!bUsed && bGiven)
            return "symbol " + std::to_string(nSymbol) + " is given, but a symbol carries one bit";
    }
    return "";
}

// The symbols fit the encoding: pulse symbols are a mark then a space, told apart by the space
// (distance) or the mark (width); biphase cells are two equal halves, 1 the mirror of 0.
std::string CheckEncoding(const SProtocolRow& row)
{
    const SBitSymbol& zero = row.zero;
    const SBitSymbol& one = row.one;
    if (row.eEncoding == EBitEncoding::kBiphase)
        return zero.dFirst == -zero.dSecond && one.dFirst == -zero.dFirst &&
                       one.dSecond == -zero.dSecond && std::abs(zero.dFirst) == 1
                   ? ""
                   : "its biphase symbols are not a unit's mark and space, 1 the mirror of 0";
    for (const SBitSymbol& symbol : {zero, one, row.two, row.three})
        if (symbol.dFirst < 0 || symbol.dSecond > 0)
            return "a pulse symbol is not a mark then a space";
    if (row.eEncoding == EBitEncoding::kPulseWidth)
        return zero.dFirst != one.dFirst ? "" : "its pulse-width symbols have the same mark";
    if (zero.dFirst != one.dFirst || zero.dSecond == one.dSecond)
        return "its pulse-distance symbols differ in their marks or share their space";
    return "";
}

std::uint32_t PlaceOf(const SFrameItem& item)
{
    return ((item.nBits >= 32 ? 0u : 1u << item.nBits) - 1) << item.nShift;
}

// Items of one field that overlap send the same bits; together they leave no gap.
std::string CheckField(const std::vector<SFrameItem>& items, char cField)
{
    std::uint32_t nCovered = 0;
    for (auto pItem = items.begin(); pItem != items.end(); ++pItem)
    {
        if (pItem->cField != cField)
            continue;
        const auto pOverlap = std::find_if(items.begin(), pItem,
                                           [&](const SFrameItem& before) {
                                               return before.cField == cField &&
                                                      (PlaceOf(before) & PlaceOf(*pItem)) != 0;
                                           });
        if (pOverlap != pItem && PlaceOf(*pOverlap) != PlaceOf(*pItem))
            return "the field " + std::string(1, cField) + " is sent as " +
                   DescribeItem(*pOverlap) + " and as " + DescribeItem(*pItem);
        nCovered |= PlaceOf(*pItem);
    }
    if ((nCovered & (nCovered + 1)) != 0)
        return "the bits of the field " + std::string(1, cField) + " leave a gap";
    return "";
}

ECheck FindCheck(const SProtocolRow& row, char cField)
{
    for (const SCheckField& check : row.checks)
        if (check.cField == cField && cField != 0)
            return check.eCheck;
    return ECheck::kNone;
}

// The bits between two durations make whole symbols.
std::string CheckBitCount(const SProtocolForm& form, const std::vector<SFrameItem>& items)
{
    int nPending = 0;
    for (std::size_t nItem = 0; nItem <= items.size(); ++nItem)
    {
        if (nItem < items.size() && items[nItem].bDouble && !form.bBiphase)
            return "a double-width bit outside a biphase frame";
        if (nItem < items.size() && items[nItem].bBits)
        {
            nPending += items[nItem].nBits;
            continue;
        }
        if (nPending % form.nBitsPerSymbol != 0)
            return std::to_string(nPending) + " bits in a row, but a symbol carries " +
                   std::to_string(form.nBitsPerSymbol);
        nPending = 0;
    }
    return "";
}

// Every field of the frame, and of its repeat, is a code field or a check the row works out.
std::string CheckFrameFields(const SProtocolForm& form)
{
    const SProtocolRow& row = *form.pRow;
    if (form.nFrameBits == 0)
        return "the frame holds no bits";
    if (form.nFrameBits > 64)
        return "the frame holds " + std::to_string(form.nFrameBits) + " bits, more than 64";
    for (const std::vector<SFrameItem>* pItems : {&form.frame, &form.repeat})
        for (const SFrameItem& item : *pItems)
        {
            const bool bCode =
                std::string_view(kCodeFields).find(item.cField) != std::string_view::npos;
            if (item.cField != 0 && !bCode && item.eCheck == ECheck::kNone)
                return "the field " + std::string(1, item.cField) +
                       " is neither a code field nor one of its checks";
            if (item.cField != 0 &&
                FieldWidth(form.frame, item.cField) != FieldWidth(*pItems, item.cField))
                return "the repeat frame sends the field " + std::string(1, item.cField) +
                       " wider or narrower than the frame does";
        }
    for (const SCheckField& check : row.checks)
        if (check.cField != 0 && FieldWidth(form.frame, check.cField) == 0)
            return "its check " + std::string(1, check.cField) + " is not in the frame";
    for (const SFrameItem& item : form.lead)
        if (item.bBits)
            return "its lead sends bits";
    return "";
}

// What the checks, the maker and the subdevice rule need of the fields.
std::string CheckFieldNeeds(const SProtocolForm& form)
{
    const SProtocolRow& row = *form.pRow;
    for (const SCheckField& check : row.checks)
    {
        const bool bMaker =
            check.eCheck == ECheck::kMakerNibbleXor || check.eCheck == ECheck::kDataByteXor;
        if (bMaker && form.nMakerBits == 0)
            return "its check " + std::string(1, check.cField) + " needs a maker field";
        const auto pFirstBits = std::find_if(form.frame.begin(), form.frame.end(),
                                             [](const SFrameItem& item) { return item.bBits; });
        if (check.eCheck == ECheck::kDataByteXor && pFirstBits->cField != 'M')
            return "its check " + std::string(1, check.cField) + " needs the maker code first";
        if (check.eCheck == ECheck::kNegatedNibbleSum &&
            (form.nDeviceBits == 0 || form.nCommandBits == 0))
            return "its check " + std::string(1, check.cField) + " needs a device and a command";
    }
    if (row.nDefaultMaker != 0 &&
        (form.nMakerBits == 0 || std::uint64_t{row.nDefaultMaker} >> form.nMakerBits))
        return "its default maker does not fit a maker field";
    if (row.cSubdeviceDefault != 0 && row.cSubdeviceDefault != '~' && row.cSubdeviceDefault != '=')
        return "its subdevice rule is neither '~' nor '='";
    if (row.cSubdeviceDefault != 0 && form.nSubdeviceBits == 0)
        return "it derives a subdevice, but the frame has none";
    return "";
}

std::string CheckForm(const SProtocolForm& form)
{
    for (const std::vector<SFrameItem>* pItems : {&form.frame, &form.repeat})
    {
        for (char cField = 'A'; cField <= 'Z'; ++cField)
            if (const std::string strFault = CheckField(*pItems, cField); !strFault.empty())
                return strFault;
        if (const std::string strFault = CheckBitCount(form, *pItems); !strFault.empty())
            return strFault;
    }
    if (const std::string strFault = CheckFrameFields(form); !strFault.empty())
        return strFault;
    return CheckFieldNeeds(form);
}

// The row made ready, or the first reason it cannot be.
std::string MakeForm(const SProtocolRow& row, SProtocolForm& form)
{
    form.pRow = &row;
    if (std::string strFault = CheckTimings(row); !strFault.empty())
        return strFault;
    if (std::string strFault = CheckEncoding(row); !strFault.empty())
        return strFault;
    form.bBiphase = row.eEncoding == EBitEncoding::kBiphase;
    form.bMarkFirstIsOne = form.bBiphase && row.one.dFirst > 0;
    form.nBitsPerSymbol = row.eEncoding == EBitEncoding::kPulseDistanceTwo ? 2 : 1;
    for (const SBitSymbol& symbol : {row.zero, row.one, row.two, row.three})
        if (static_cast<int>(form.symbols.size()) < (1 << form.nBitsPerSymbol))
            form.symbols.emplace_back(symbol.dFirst * row.dUnitMicros,
                                      symbol.dSecond * row.dUnitMicros);
    for (const auto& [pszText, pItems, pszWhat] :
         {std::tuple{row.pszFrame, &form.frame, "the frame"},
          std::tuple{row.pszRepeat, &form.repeat, "the repeat frame"},
          std::tuple{row.pszLead, &form.lead, "the lead"}})
        if (std::string strFault = ParseItems(pszText, row.dUnitMicros, pszWhat, *pItems);
            !strFault.empty())
            return strFault;
    for (std::vector<SFrameItem>* pItems : {&form.frame, &form.repeat})
        for (SFrameItem& item : *pItems)
            item.eCheck = FindCheck(row, item.cField);
    for (const SFrameItem& item : form.frame)
        form.nFrameBits += item.nBits;
    form.nDeviceBits = FieldWidth(form.frame, 'D');
    form.nSubdeviceBits = FieldWidth(form.frame, 'S');
    form.nExtraBits = FieldWidth(form.frame, 'E');
    form.nCommandBits = FieldWidth(form.frame, 'F');
    form.nMakerBits = FieldWidth(form.frame, 'M');
    return CheckForm(form);
}

std::string MakeKey(std::string_view strWord)
{
    std::string strKey;
    for (const char c : strWord)
        if (c != '-' && c != ' ' && c != '_' && c != '.')
            strKey += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return strKey;
}

// A row against the rows before it, and the protocol it decodes as.
std::string CheckAmongRows(std::span<const SProtocolRow> rows, std::size_t nRow)
{
    const SProtocolRow& row = rows[nRow];
    for (std::size_t nBefore = 0; nBefore < nRow; ++nBefore)
    {
        if (rows[nBefore].eProtocol == row.eProtocol)
            return "its protocol has a row already";
        if (MakeKey(rows[nBefore].pszKey) == MakeKey(row.pszKey))
            return "its key is " + std::string(rows[nBefore].pszName) + "'s";
    }
    const auto decodesAs =
        std::find_if(rows.begin(), rows.end(),
                     [&](const SProtocolRow& other) { return other.eProtocol == row.eDecodesAs; });
    if (decodesAs == rows.end() || decodesAs->eDecodesAs != decodesAs->eProtocol)
        return "it decodes as a protocol the table does not decode";
    return "";
}

std::string FindRowFault(std::span<const SProtocolRow> rows, std::size_t nRow, SProtocolForm& form)
{
    const SProtocolRow& row = rows[nRow];
    if (row.eProtocol == EProtocol::kUnknown || *row.pszName == 0 || *row.pszKey == 0)
        return "it lacks its protocol, name or key";
    if (std::string strFault = CheckAmongRows(rows, nRow); !strFault.empty())
        return strFault;
    return MakeForm(row, form);
}

// Every row made ready; the table's fault, if it has one, instead.
std::string MakeForms(std::span<const SProtocolRow> rows, std::vector<SProtocolForm>& forms)
{
    for (std::size_t nRow = 0; nRow < rows.size(); ++nRow)
    {
        SProtocolForm form;
        if (const std::string strFault = FindRowFault(rows, nRow, form); !strFault.empty())
            return (*rows[nRow].pszName ? rows[nRow].pszName : "row " + std::to_string(nRow + 1)) +
                   std::string(": ") + strFault;
        forms.push_back(std::move(form));
    }
    return "";
}

// A table that does not hold together is a fault of the program: it stops at first use.
std::vector<SProtocolForm> MakeFormsOrStop(std::span<const SProtocolRow> rows, const char* pszWhat)
{
    std::vector<SProtocolForm> made;
    if (const std::string strFault = MakeForms(rows, made); !strFault.empty())
        throw std::logic_error(std::string(pszWhat) + ": " + strFault);
    return made;
}
} // namespace

std::span<const SProtocolForm> GetProtocolForms()
{
    static const std::vector<SProtocolForm> forms = MakeFormsOrStop(kRows, "the protocol table");
    return forms;
}

const SProtocolForm* FindProtocolForm(EProtocol eProtocol)
{
    for (const SProtocolForm& form : GetProtocolForms())
        if (form.pRow->eProtocol == eProtocol)
            return &form;
    return nullptr;
}

const SProtocolForm* FindProtocolForm(EProtocol eProtocol, EFrameForm eForm)
{
    static const std::vector<SProtocolForm> irFileForms =
        MakeFormsOrStop(GetIrFileRows(), "the .ir protocol table");
    if (eForm == EFrameForm::kIrFile)
        for (const SProtocolForm& form : irFileForms)
            if (form.pRow->eProtocol == eProtocol)
                return &form;
    return FindProtocolForm(eProtocol);
}

const SProtocolForm* FindProtocolByKey(std::string_view strWord)
{
    const std::string strKey = MakeKey(strWord);
    for (const SProtocolForm& form : GetProtocolForms())
        if (MakeKey(form.pRow->pszKey) == strKey || MakeKey(form.pRow->pszName) == strKey)
            return &form;
    return nullptr;
}

std::string FindProtocolTableFault(std::span<const SProtocolRow> rows)
{
    std::vector<SProtocolForm> forms;
    return MakeForms(rows, forms);
}
