#include "signal/ProtocolTable.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <string>

namespace
{
// The timings follow the protocols' public descriptions: the IRP notation of the IrpProtocols
// collection (DecodeIR and IrpTransmogrifier documentation), the SB-Projects infrared knowledge
// base (NEC, RC-5, RC-6, Sony, JVC, Sharp, RECS-80) and the IRMP protocol notes (NEC 42-bit,
// Kaseikyo, Thomson). The order is the decoder's: where one frame could pass for another, the
// stricter goes first (G.I. Cable before JVC, Dish Network before Mitsubishi, RC-6 before Sony).
using E = EProtocol;
constexpr std::array kRows{
    SProtocolRow{E::kNec, "NEC", "NEC", E::kNec, 38000, 564, false, "1,-1|1,-3",
                 "16,-8,D:8,S:8,F:8,~F:8,1", "16,-4,1", "", 108000, 0, 0, '~', 0},
    SProtocolRow{E::kNec42, "NEC 42-bit", "NEC42", E::kNec42, 38000, 564, false, "1,-1|1,-3",
                 "16,-8,D:13,S:13,F:8,~F:8,1", "16,-4,1", "", 108000, 0, 0, '~', 0},
    SProtocolRow{E::kSamsung, "Samsung", "Samsung32", E::kSamsung, 38000, 564, false,
                 "1,-1|1,-3", "8,-8,D:8,S:8,F:8,~F:8,1", "", "", 108000, 0, 0, '=', 0},
    SProtocolRow{E::kKaseikyo, "Kaseikyo", "Kaseikyo", E::kKaseikyo, 37000, 432, false,
                 "1,-1|1,-3", "8,-4,M:16,P:4,D:4,S:4,F:10,E:2,X:8,1", "", "", 0, 74736, 0, 0, 0},
    SProtocolRow{E::kPanasonic22, "Panasonic 22-bit", "Panasonic22", E::kPanasonic22, 57600, 833,
                 false, "1,-1|1,-3", "4,-4,D:5,F:6,~D:5,~F:6,1", "", "", 0, 44000, 0, 0, 0},
    SProtocolRow{E::kEmerson, "Emerson", "Emerson", E::kEmerson, 36700, 872, false, "1,-1|1,-3",
                 "4,-4,D:6,F:6,~D:6,~F:6,1", "", "", 0, 34008, 0, 0, 0},
    SProtocolRow{E::kRca, "RCA", "RCA", E::kRca, 58000, 460, true, "1,-2|1,-4",
                 "8,-8,D:4,F:8,~D:4,~F:8,1", "", "", 0, 7360, 0, 0, 0},
    SProtocolRow{E::kProton, "Proton", "Proton", E::kProton, 38000, 500, false, "1,-1|1,-3",
                 "16,-8,D:8,1,-8,F:8,1", "", "", 63000, 0, 0, 0, 0},
    SProtocolRow{E::kGiCable, "G.I. Cable", "GICable", E::kGiCable, 38700, 490, false,
                 "1,-4.5|1,-9", "18,-9,F:8,D:4,G:4,1", "18,-4.5,1", "", 0, 41160, 0, 0, 0},
    SProtocolRow{E::kJvc, "JVC", "JVC", E::kJvc, 38000, 526, false, "1,-1|1,-3",
                 "16,-8,D:8,F:8,1", "D:8,F:8,1", "", 0, 23625, 0, 0, 0},
    SProtocolRow{E::kSharp, "Sharp", "Sharp", E::kSharp, 38000, 264, false, "1,-3|1,-7",
                 "D:5,F:8,1:2,1", "D:5,~F:8,2:2,1", "", 0, 43560, 1, 0, 0},
    SProtocolRow{E::kDenon, "Denon", "Denon", E::kDenon, 38000, 264, false, "1,-3|1,-7",
                 "D:5,F:8,0:2,1", "D:5,~F:8,3:2,1", "", 0, 43560, 1, 0, 0},
    SProtocolRow{E::kDish, "Dish Network", "Dish", E::kDish, 57600, 400, false, "1,-7|1,-4",
                 "F:-6,S:5,D:5,1", "", "1,-15", 0, 6000, 0, 0, 4500},
    SProtocolRow{E::kMitsubishi, "Mitsubishi", "Mitsubishi", E::kMitsubishi, 32600, 300, false,
                 "1,-3|1,-7", "D:8,F:8,1", "", "", 0, 24000, 0, 0, 0},
    SProtocolRow{E::kThomson, "Thomson", "Thomson", E::kThomson, 33000, 500, false, "1,-4|1,-9",
                 "D:4,T:1,F:7,1", "", "", 80000, 0, 0, 0, 0},
    SProtocolRow{E::kRecs80, "RECS-80", "RECS80", E::kRecs80, 38000, 158, true, "1,-31|1,-47",
                 "1:1,T:1,D:3,F:6,1", "", "", 138000, 0, 0, 0, 10000},
    SProtocolRow{E::kNokia32, "Nokia 32", "Nokia32", E::kNokia32, 36000, 1, true,
                 "164,-276|164,-445|164,-614|164,-783", "412,-276,D:8,S:8,T:1,E:7,F:8,164", "",
                 "", 100000, 0, 0, 0, 0},
    SProtocolRow{E::kRc6, "RC-6", "RC6", E::kRc6, 36000, 444, true, "-1,1|1,-1",
                 "6,-2,1:1,0:3,T:1*,D:8,F:8", "", "", 107000, 0, 0, 0, 0},
    // The media-centre form keeps its trailer bit at 0 and toggles the top bit of the command
    // half instead.
    SProtocolRow{E::kRc6Mode6A32, "RC-6 6A 32-bit", "RC6A32", E::kRc6Mode6A32, 36000, 444, true,
                 "-1,1|1,-1", "6,-2,1:1,6:3,0:1*,D:16,T:1,F:15", "", "", 107000, 0, 0, 0, 0},
    SProtocolRow{E::kRc6Mode6A20, "RC-6 6A 20-bit", "RC6A20", E::kRc6Mode6A20, 36000, 444, true,
                 "-1,1|1,-1", "6,-2,1:1,6:3,T:1*,D:8,S:4,F:8", "", "", 107000, 0, 0, 0, 0},
    SProtocolRow{E::kBlaupunkt, "Blaupunkt", "Blaupunkt", E::kBlaupunkt, 30300, 528, true,
                 "-1,1|1,-1", "1,-5,1:1,F:6,D:2", "", "", 0, 121440, 0, 0, 0},
    SProtocolRow{E::kSony, "Sony 12-bit", "Sony12", E::kSony, 40000, 600, false, "1,-1|2,-1",
                 "4,-1,F:7,D:5", "", "", 45000, 0, 2, 0, 0},
    SProtocolRow{E::kSony15, "Sony 15-bit", "Sony15", E::kSony15, 40000, 600, false, "1,-1|2,-1",
                 "4,-1,F:7,D:8", "", "", 45000, 0, 2, 0, 0},
    SProtocolRow{E::kSony20, "Sony 20-bit", "Sony20", E::kSony20, 40000, 600, false, "1,-1|2,-1",
                 "4,-1,F:7,D:5,S:8", "", "", 45000, 0, 2, 0, 0},
    SProtocolRow{E::kRc5, "RC-5", "RC5", E::kRc5, 36000, 889, true, "1,-1|-1,1",
                 "1:1,~F:1:6,T:1,D:5,F:6", "", "", 113778, 0, 0, 0, 0},
    // Frames no receiver tells from another protocol's: the decoder reports that one.
    SProtocolRow{E::kPioneer, "Pioneer", "Pioneer", E::kNec, 40000, 564, false, "1,-1|1,-3",
                 "16,-8,D:8,S:8,F:8,~F:8,1", "", "", 0, 43992, 1, '~', 0},
    SProtocolRow{E::kAiwa, "Aiwa", "Aiwa", E::kNec42, 38000, 550, false, "1,-1|1,-3",
                 "16,-8,D:13,S:13,F:8,~F:8,1", "16,-8,1", "", 0, 23100, 0, '~', 0},
};

std::vector<double> ParseDurations(std::string_view text, double dUnit)
{
    std::vector<double> durations;
    const std::string strText(text);
    const char* pszAt = strText.c_str();
    while (*pszAt)
    {
        char* pszEnd = nullptr;
        durations.push_back(std::strtod(pszAt, &pszEnd) * dUnit);
        pszAt = *pszEnd == ',' ? pszEnd + 1 : pszEnd;
    }
    return durations;
}

SFrameItem ParseBits(std::string_view token)
{
    SFrameItem item;
    item.bBits = true;
    if (token.front() == '~')
    {
        item.bInvert = true;
        token.remove_prefix(1);
    }
    if (token.back() == '*')
    {
        item.bDouble = true;
        token.remove_suffix(1);
    }
    const std::string strToken(token);
    char* pszAt = nullptr;
    if (std::isalpha(static_cast<unsigned char>(strToken[0])))
    {
        item.cField = strToken[0];
        pszAt = const_cast<char*>(strToken.c_str()) + 1;
    }
    else
        item.nConstant = static_cast<std::uint32_t>(std::strtoul(strToken.c_str(), &pszAt, 10));
    item.nBits = static_cast<int>(std::strtol(pszAt + 1, &pszAt, 10));
    item.bReversed = item.nBits < 0;
    item.nBits = std::abs(item.nBits);
    if (*pszAt == ':')
        item.nShift = static_cast<int>(std::strtol(pszAt + 1, nullptr, 10));
    return item;
}

std::vector<SFrameItem> ParseFrame(std::string_view text, double dUnit)
{
    std::vector<SFrameItem> items;
    while (!text.empty())
    {
        const std::size_t nEnd = std::min(text.find(','), text.size());
        const std::string_view token = text.substr(0, nEnd);
        text.remove_prefix(std::min(nEnd + 1, text.size()));
        if (token.find(':') != std::string_view::npos)
            items.push_back(ParseBits(token));
        else
        {
            SFrameItem item;
            item.dMicros = ParseDurations(token, dUnit).front();
            items.push_back(item);
        }
    }
    return items;
}

int FieldWidth(const std::vector<SFrameItem>& items, char cField)
{
    int nWidth = 0;
    for (const SFrameItem& item : items)
        if (item.cField == cField)
            nWidth = std::max(nWidth, item.nShift + item.nBits);
    return nWidth;
}

SProtocolForm MakeForm(const SProtocolRow& row)
{
    SProtocolForm form;
    form.pRow = &row;
    std::string_view symbols = row.pszSymbols;
    while (!symbols.empty())
    {
        const std::size_t nEnd = std::min(symbols.find('|'), symbols.size());
        const std::vector<double> durations = ParseDurations(symbols.substr(0, nEnd), row.dUnitMicros);
        symbols.remove_prefix(std::min(nEnd + 1, symbols.size()));
        form.bBiphase = form.bBiphase || durations.front() < 0;
        form.symbols.emplace_back(durations[0], durations[1]);
    }
    form.bMarkFirstIsOne = form.bBiphase && form.symbols[1].first > 0;
    form.nBitsPerSymbol = form.symbols.size() == 4 ? 2 : 1;
    form.frame = ParseFrame(row.pszFrame, row.dUnitMicros);
    form.repeat = ParseFrame(row.pszRepeat, row.dUnitMicros);
    form.lead = ParseFrame(row.pszLead, row.dUnitMicros);
    for (const SFrameItem& item : form.frame)
        form.nFrameBits += item.nBits;
    form.nDeviceBits = FieldWidth(form.frame, 'D');
    form.nSubdeviceBits = FieldWidth(form.frame, 'S');
    form.nExtraBits = FieldWidth(form.frame, 'E');
    return form;
}

std::string MakeKey(std::string_view strWord)
{
    std::string strKey;
    for (const char c : strWord)
        if (c != '-' && c != ' ' && c != '_' && c != '.')
            strKey += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return strKey;
}
} // namespace

std::span<const SProtocolForm> GetProtocolForms()
{
    static const std::vector<SProtocolForm> forms = []
    {
        std::vector<SProtocolForm> made;
        for (const SProtocolRow& row : kRows)
            made.push_back(MakeForm(row));
        return made;
    }();
    return forms;
}

const SProtocolForm* FindProtocolForm(EProtocol eProtocol)
{
    for (const SProtocolForm& form : GetProtocolForms())
        if (form.pRow->eProtocol == eProtocol)
            return &form;
    return nullptr;
}

const SProtocolForm* FindProtocolByKey(std::string_view strWord)
{
    const std::string strKey = MakeKey(strWord);
    for (const SProtocolForm& form : GetProtocolForms())
        if (MakeKey(form.pRow->pszKey) == strKey || MakeKey(form.pRow->pszName) == strKey)
            return &form;
    return nullptr;
}
