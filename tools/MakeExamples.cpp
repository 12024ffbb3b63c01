// Writes the sample document examples/living-room.qb into the folder named on the command line,
// or with --buttons a large document of that many buttons for measuring.
// The document is built through the document's own operations, so the sample is exactly what a
// person could have made in the windows; the output is the same on every run.
#include "cli/CListingFrontEnd.h"
#include "device/CBiosClock.h"
#include "device/CSimulatedClock.h"
#include "document/CQuorbexDoc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string_view>
#include <vector>

namespace
{
// The simulated unit's period, so that the sample's buttons play and decode as recorded on the
// unit everyone without hardware uses.
constexpr double kMicrosecondsPerSample = 1.0;

// Appends runs of samples to a button's bitstream, earliest sample in the top bit of each byte.
class CBitstreamWriter
{
public:
    explicit CBitstreamWriter(CRemoteButton& button) : m_button(button) {}

    ~CBitstreamWriter() { m_button.m_bits = CBitstream(std::span<const std::uint8_t>(m_bytes)); }
    CBitstreamWriter(const CBitstreamWriter&) = delete;
    CBitstreamWriter& operator=(const CBitstreamWriter&) = delete;

    void Append(bool bInfrared, double dMicroseconds)
    {
        const auto nSamples =
            static_cast<std::size_t>(std::lround(dMicroseconds / kMicrosecondsPerSample));
        const std::size_t nEnd = std::min(m_nSample + nSamples, kBitstreamSamples);
        if (nEnd > m_nSample)
            m_bytes.resize((nEnd + 7) / 8);
        for (; m_nSample < nEnd; ++m_nSample)
        {
            if (bInfrared)
                m_bytes[m_nSample / 8] |= static_cast<std::uint8_t>(0x80 >> (m_nSample % 8));
        }
    }
    bool IsFull() const { return m_nSample == kBitstreamSamples; }

private:
    CRemoteButton& m_button;
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_nSample = 0;
};

// One frame as a demodulating detector sees it: a 9 ms header mark and 4.5 ms space, then
// address, inverted address, command and inverted command, least significant bit first, each
// bit a 562.5 us mark and a short (0) or long (1) space, then a stop mark and the silence
// before the recorder stops. Every duration wobbles by a few microseconds, as real ones do.
void AppendFrame(CBitstreamWriter& writer, std::uint8_t nAddress, std::uint8_t nCommand,
                 std::minstd_rand& random)
{
    const auto wobbly = [&random](double dMicroseconds)
    { return dMicroseconds + static_cast<double>(random() % 13) - 6.0; };
    writer.Append(true, wobbly(9000));
    writer.Append(false, wobbly(4500));
    const std::uint32_t nCode = nAddress | (std::uint8_t(~nAddress) << 8) | (nCommand << 16) |
                                (std::uint32_t(std::uint8_t(~nCommand)) << 24);
    for (int nBit = 0; nBit < 32; ++nBit)
    {
        writer.Append(true, wobbly(562.5));
        writer.Append(false, wobbly((nCode >> nBit) & 1 ? 1687.5 : 562.5));
    }
    writer.Append(true, wobbly(562.5));
    writer.Append(false, 10000);
}

void LearnFrame(CRemoteButton& button, std::uint8_t nAddress, std::uint8_t nCommand,
                std::minstd_rand& random)
{
    CBitstreamWriter writer(button);
    AppendFrame(writer, nAddress, nCommand, random);
}

// The button held for the whole recording: frames one after another until it is full.
void LearnFullLength(CRemoteButton& button, std::uint8_t nAddress, std::uint8_t nCommand,
                     std::minstd_rand& random)
{
    CBitstreamWriter writer(button);
    while (!writer.IsFull())
        AppendFrame(writer, nAddress, nCommand, random);
}

struct SButtonRow
{
    const char* pszName;
    const char* pszDescription;
    int nColumn; // kNotPlacedColumn: not placed
    int nRow;
    int nCommand; // -1: never learned
};

struct SRemoteRow
{
    const char* pszName;
    int nStyle;
    std::uint8_t nAddress;
    std::vector<SButtonRow> buttons;
};

struct SStepRow
{
    const char* pszRemote;
    const char* pszButton;
    int nDelay; // index into kStepDelays
};

struct SMegabuttonRow
{
    const char* pszRemote;
    const char* pszName;
    const char* pszDescription;
    int nColumn;
    int nRow;
    std::vector<SStepRow> steps;
};

struct SEventRow
{
    const char* pszName;
    int nYear, nMonth, nDay, nHour, nMinute;
    int nFrequency;
    bool bDisabled;
    const char* pszRemote;
    const char* pszButton;
};

// clang-format off
const std::vector<SRemoteRow> kRemotes{
    {"TV", 0, 0x04,
     {{"Power", "TV on/off", 0, 0, 0x08},
      {"Mute", "", 4, 0, 0x09},
      {"1", "", 0, 2, 0x11},
      {"2", "", 1, 2, 0x12},
      {"3", "", 2, 2, 0x13},
      {"Ch+", "Next channel", 3, 4, 0x00},
      {"Ch-", "Previous channel", 3, 5, 0x01},
      {"Vol+", "", 1, 4, 0x02},
      {"Vol-", "", 1, 5, 0x03},
      {"Teletext", "", 4, 14, -1},
      {"Sleep", "Switch off in 30 minutes", kNotPlacedColumn, kNotPlacedRow, 0x0E}}},
    {"Video", 1, 0x05,
     {{"Power", "Recorder on/off", 0, 0, 0x08},
      {"Play", "", 1, 1, 0x15},
      {"Stop", "", 2, 1, 0x14},
      {"Rec", "Record", 3, 1, 0x17},
      {"Rew", "Rewind", 0, 2, 0x19},
      {"FF", "Fast forward", 1, 2, 0x18}}},
    {"HiFi", 3, 0x7A,
     {{"Power", "Amplifier on/off", 0, 0, 0x1E},
      {"CD", "", 0, 2, 0x4A},
      {"Tuner", "", 1, 2, 0x4B},
      {"Vol+", "", 2, 4, 0x1A},
      {"Vol-", "", 2, 5, 0x1B}}},
    {"Lights", 7, 0x30, {{"On", "", 0, 0, 0x01}, {"Off", "", 1, 0, 0x02}, {"Dim", "", 2, 0, 0x03}}},
};

// In creation order: a megabutton can only play buttons that exist already.
const std::vector<SMegabuttonRow> kMegabuttons{
    {"TV", "Movie", "Movie night", 0, 14,
     {{"Lights", "Dim", 2}, {"TV", "Power", 1}, {"Video", "Power", 1}, {"Video", "Play", 0}}},
    {"HiFi", "Party", "", 2, 0, {{"Lights", "On", 0}, {"HiFi", "Power", 1}, {"HiFi", "CD", 2}}},
    {"Lights", "Goodnight", "Everything off", 0, 2,
     {{"TV", "Power", 1}, {"Video", "Stop", 0}, {"HiFi", "Power", 1}}},
    {"Lights", "Bedtime", "", 1, 2, {{"Lights", "Goodnight", 3}, {"Lights", "Off", 0}}},
};

// Entered on Monday 2 March 1998; only a "Once" event uses the date.
const std::vector<SEventRow> kEvents{
    {"Morning news", 1998, 3, 2, 6, 45, kFrequencyWeekdays, false, "TV", "Power"},
    {"Wake-up music", 1998, 3, 2, 7, 0, kFrequencyDaily, false, "HiFi", "Power"},
    {"Record the final", 1998, 7, 12, 20, 45, kFrequencyOnce, false, "Video", "Rec"},
    {"Saturday party", 1998, 3, 2, 21, 0, kFrequencySaturday, false, "HiFi", "Party"},
    {"Sunday film", 1998, 3, 2, 19, 30, kFrequencySunday, true, "TV", "Movie"},
    {"Lights out", 1998, 3, 2, 23, 30, kFrequencyDaily, false, "Lights", "Bedtime"},
};
// clang-format on

void PlaceButton(CRemote& remote, CRemoteButton& button, int nColumn, int nRow)
{
    button.m_nColumn = nColumn;
    button.m_nRow = nRow;
    if (button.IsPlaced())
        remote.m_grid[button.GetCell()] = &button;
}

bool AddRemotes(CQuorbexDoc& doc, std::minstd_rand& random)
{
    for (const SRemoteRow& entry : kRemotes)
    {
        CRemote* pRemote = doc.AddRemote(entry.pszName, entry.nStyle);
        if (!pRemote)
            return false;
        for (const SButtonRow& buttonRow : entry.buttons)
        {
            CRemoteButton* pButton =
                doc.AddButton(*pRemote, buttonRow.pszName, buttonRow.pszDescription, false);
            if (!pButton)
                return false;
            PlaceButton(*pRemote, *pButton, buttonRow.nColumn, buttonRow.nRow);
            if (buttonRow.nCommand >= 0)
                LearnFrame(*pButton, entry.nAddress, static_cast<std::uint8_t>(buttonRow.nCommand),
                           random);
        }
    }
    return true;
}

bool AddMegabuttons(CQuorbexDoc& doc)
{
    for (const SMegabuttonRow& entry : kMegabuttons)
    {
        CRemote* pRemote = doc.FindRemote(entry.pszRemote);
        CRemoteButton* pMega = doc.AddButton(*pRemote, entry.pszName, entry.pszDescription, true);
        if (!pMega)
            return false;
        PlaceButton(*pRemote, *pMega, entry.nColumn, entry.nRow);
        for (const SStepRow& step : entry.steps)
        {
            CRemote* pStepRemote = doc.FindRemote(step.pszRemote);
            pMega->m_steps.push_back(
                {pStepRemote, pStepRemote->FindButton(step.pszButton), step.nDelay});
        }
    }
    return true;
}

bool AddEvents(CQuorbexDoc& doc)
{
    for (const SEventRow& entry : kEvents)
    {
        CTimedEvent fields;
        fields.m_strName = entry.pszName;
        fields.m_time = CTime(entry.nYear, entry.nMonth, entry.nDay, entry.nHour, entry.nMinute, 0);
        fields.m_nFrequency = entry.nFrequency;
        fields.m_bDisabled = entry.bDisabled;
        fields.m_pRemote = doc.FindRemote(entry.pszRemote);
        fields.m_pButton = fields.m_pRemote->FindButton(entry.pszButton);
        if (!doc.AddEvent(fields))
            return false;
    }
    // The morning news has fired once already, on the day the events were entered.
    doc.FindEvent("Morning news")->m_lastFired = CTime(1998, 3, 2, 6, 45, 0);
    return true;
}

bool BuildLivingRoom(CQuorbexDoc& doc, CListingFrontEnd& frontEnd)
{
    // A fixed seed: the wobble of the durations is part of the committed file.
    std::minstd_rand random(1998);
    if (!doc.OnNewDocument() || !AddRemotes(doc, random) || !AddMegabuttons(doc) || !AddEvents(doc))
        return false;
    // The TV pad was left open where the user had moved it.
    CRemote& tv = *doc.FindRemote("TV");
    tv.m_nPadX = 40;
    tv.m_nPadY = 60;
    frontEnd.OpenPad(tv);
    return true;
}
// nButtons full-length recordings on remotes of a full pad each, and on each remote an event
// that is armed but not due for decades.
bool BuildLarge(CQuorbexDoc& doc, int nButtons)
{
    constexpr int kPerRemote = kRemoteStyles[0].nRows * kRemoteStyles[0].nColumns;
    std::minstd_rand random(2026);
    if (!doc.OnNewDocument())
        return false;
    for (int nFirst = 0; nFirst < nButtons; nFirst += kPerRemote)
    {
        const int nRemote = nFirst / kPerRemote;
        char szName[16];
        std::snprintf(szName, sizeof szName, "Remote %03d", nRemote + 1);
        CRemote* pRemote = doc.AddRemote(szName, 0);
        if (!pRemote)
            return false;
        for (int nIndex = 0; nIndex < kPerRemote && nFirst + nIndex < nButtons; ++nIndex)
        {
            std::snprintf(szName, sizeof szName, "Key %02d", nIndex + 1);
            CRemoteButton* pButton = doc.AddButton(*pRemote, szName, "", false);
            if (!pButton)
                return false;
            PlaceButton(*pRemote, *pButton, nIndex / kGridRows, nIndex % kGridRows);
            LearnFullLength(*pButton, static_cast<std::uint8_t>(nRemote),
                            static_cast<std::uint8_t>(nIndex), random);
        }
        CTimedEvent fields;
        std::snprintf(szName, sizeof szName, "Event %03d", nRemote + 1);
        fields.m_strName = szName;
        fields.m_time = CTime(2099, 1, 1, nRemote / 60 % 24, nRemote % 60, 0);
        fields.m_nFrequency = kFrequencyOnce;
        fields.m_pRemote = pRemote;
        fields.m_pButton = pRemote->FindButton("Key 01");
        if (!doc.AddEvent(fields))
            return false;
    }
    return true;
}

bool Build(CQuorbexDoc& doc, CListingFrontEnd& frontEnd, int nButtons)
{
    return nButtons > 0 ? BuildLarge(doc, nButtons) : BuildLivingRoom(doc, frontEnd);
}
} // namespace

int main(int argc, char** argv)
{
    const bool bLarge = argc == 4 && std::string_view(argv[1]) == "--buttons";
    const int nButtons = bLarge ? std::atoi(argv[2]) : 0;
    if (argc != 2 && !(bLarge && nButtons > 0))
    {
        std::fprintf(stderr, "Usage: quorbit_make_examples FOLDER\n"
                             "       quorbit_make_examples --buttons COUNT FILE\n");
        return 2;
    }
    CListingFrontEnd frontEnd;
    CSimulatedClock clockBackend(CTime(1998, 3, 2, 6, 0, 0));
    CBiosClock clock(clockBackend);
    CQuorbexDoc doc(frontEnd, clock, SClockSettings{});
    const std::filesystem::path path =
        bLarge ? std::filesystem::path(argv[3]) : std::filesystem::path(argv[1]) / "living-room.qb";
    // Written afresh, so that regenerating leaves no backup beside the sample.
    std::error_code error;
    std::filesystem::remove(path, error);
    if (!Build(doc, frontEnd, nButtons) || !doc.OnSaveDocument(path.string()))
    {
        std::fprintf(stderr, "quorbit_make_examples: could not write %s\n", path.c_str());
        return 1;
    }
    return 0;
}
