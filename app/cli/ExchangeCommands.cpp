#include "app/cli/ExchangeCommands.h"

#include "app/cli/CLoadedDocument.h"
#include "device/CDeviceFactory.h"
#include "device/CInfraredDevice.h"
#include "device/COsClock.h"
#include "device/SamplePeriod.h"
#include "document/CQbFile.h"
#include "document/CSafeFile.h"
#include "signal/ExchangeText.h"
#include "signal/LircFormat.h"
#include "signal/ProntoFormat.h"
#include "signal/SignalDurations.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

namespace
{
// Carriers of real remotes lie between about 30 and 60 kHz, a few makers' well above; anything
// outside this is a slip of the keyboard.
constexpr unsigned long kMinCarrierHz = 10000;
constexpr unsigned long kMaxCarrierHz = 500000;
// Receivers answer a carrier some per cent off their own, with less range; this far off, they
// may not answer at all.
constexpr double kCarrierTolerance = 0.1;
// Far more than any file of codes; a larger input is a mistake, not codes.
constexpr std::size_t kMaxInputBytes = std::size_t{16} << 20;

bool IsExchange(ECommand nCommand)
{
    return nCommand == ECommand::Export || nCommand == ECommand::Import;
}

unsigned GetCarrierHz(const SCommandLine& commandLine)
{
    if (commandLine.strCarrier.empty())
        return kDefaultCarrierHz;
    const unsigned long nHz = ParseDecimal(commandLine.strCarrier, kMaxCarrierHz);
    return nHz >= kMinCarrierHz ? static_cast<unsigned>(nHz) : 0;
}

// Everything one export or import works with.
struct SExchange
{
    const std::string& strDocument;
    const std::string& strRemote;
    bool bPronto;
    unsigned nCarrierHz;
    double dNanosPerSample;
};

std::string FormatMicros(double dNanos)
{
    char szText[32];
    std::snprintf(szText, sizeof szText, "%.3f µs", dNanos / 1000.0);
    return szText;
}

void SayPeriod(CInfraredDevice& device, double dNanos)
{
    const bool bSimulated = FindSimulatedRemote(device) != nullptr;
    std::fprintf(stderr, "quorbit: durations at %s a sample, %s%s\n", FormatMicros(dNanos).c_str(),
                 bSimulated ? "the simulated unit's" : "measured on this machine through ",
                 bSimulated ? "" : device.GetBackendName());
}

bool Fail(const std::string& strReason)
{
    std::fprintf(stderr, "quorbit: %s\n", strReason.c_str());
    return false;
}

CRemote* FindNamedRemote(const CQuorbexDoc& doc, const SExchange& exchange)
{
    CRemote* pRemote = doc.FindRemote(exchange.strRemote);
    if (!pRemote)
        Fail(exchange.strDocument + " has no remote \"" + exchange.strRemote + "\"");
    return pRemote;
}

// Why a button has no signal to export; empty when it has one.
std::string GetSilenceReason(const CRemoteButton& button)
{
    if (button.m_bMega)
        return "is a megabutton: it plays other buttons and has no signal of its own";
    if (std::none_of(button.m_bits.GetBytes().begin(), button.m_bits.GetBytes().end(),
                     [](std::uint8_t nByte) { return nByte != 0; }))
        return "was never learned";
    return {};
}

SExchangeCode MakeCode(const CRemoteButton& button, double dNanos)
{
    return {button.m_strName, ToDurations(button.m_bits, dNanos), 0, 0};
}

// The codes of the one button named, or of every button of the remote that has a signal, by
// name; those left out are said on standard error.
bool CollectCodes(const CRemote& remote, const std::string* pButton, double dNanos,
                  std::vector<SExchangeCode>& codes)
{
    if (pButton)
    {
        const CRemoteButton* pFound = remote.FindButton(*pButton);
        const std::string strReason = pFound ? GetSilenceReason(*pFound) : "does not exist";
        if (!strReason.empty())
            return Fail(remote.m_strName + ": " + *pButton + " " + strReason);
        codes.push_back(MakeCode(*pFound, dNanos));
        return true;
    }
    std::vector<const CRemoteButton*> buttons;
    for (const auto& entry : remote.m_buttons)
        buttons.push_back(entry.second.get());
    std::sort(buttons.begin(), buttons.end(),
              [](const CRemoteButton* pLeft, const CRemoteButton* pRight)
              { return pLeft->m_strName < pRight->m_strName; });
    for (const CRemoteButton* pInRemote : buttons)
    {
        const std::string strReason = GetSilenceReason(*pInRemote);
        if (strReason.empty())
            codes.push_back(MakeCode(*pInRemote, dNanos));
        else
            std::fprintf(stderr, "quorbit: left out %s, which %s\n", pInRemote->m_strName.c_str(),
                         strReason.c_str());
    }
    return !codes.empty() || Fail(remote.m_strName + " has no learned buttons");
}

void NoteRenamedCodes(const std::vector<SExchangeCode>& codes)
{
    for (const SExchangeCode& code : codes)
    {
        const std::string strWord = MakeExchangeName(code.strName);
        if (strWord != code.strName)
            std::fprintf(stderr, "quorbit: %s is written as %s, a name there being one word\n",
                         code.strName.c_str(), strWord.c_str());
    }
}

bool ExportCodes(const SExchange& exchange, const std::string* pButton)
{
    COsClock osClock;
    CLoadedDocument loaded(osClock);
    if (!loaded.m_doc.OnOpenDocument(exchange.strDocument))
        return false;
    const CRemote* pRemote = FindNamedRemote(loaded.m_doc, exchange);
    std::vector<SExchangeCode> codes;
    if (!pRemote || !CollectCodes(*pRemote, pButton, exchange.dNanosPerSample, codes))
        return false;
    std::string strText;
    std::string strError;
    if (!exchange.bPronto)
        strText = FormatLircRemote(pRemote->m_strName, codes, exchange.nCarrierHz);
    else
    {
        // One button's code is written bare, as codes are passed around.
        if (pButton)
            codes[0].strName.clear();
        if (!FormatProntoCodes(codes, exchange.nCarrierHz, strText, strError))
            return Fail("cannot write " + strError);
    }
    NoteRenamedCodes(codes);
    std::fwrite(strText.data(), 1, strText.size(), stdout);
    return std::fflush(stdout) == 0;
}

// The whole of the named file, or of standard input for "-".
bool ReadInput(const std::string& strInput, const std::string& strShown, std::string& strText)
{
    const bool bStandardInput = strInput == "-";
    std::FILE* pFile = bStandardInput ? stdin : std::fopen(strInput.c_str(), "rb");
    if (!pFile)
        return Fail(strShown + ": cannot be opened");
    strText.resize(kMaxInputBytes + 1);
    strText.resize(std::fread(strText.data(), 1, strText.size(), pFile));
    const bool bFailed = std::ferror(pFile) != 0;
    if (!bStandardInput)
        std::fclose(pFile);
    if (bFailed)
        return Fail(strShown + ": cannot be read");
    if (strText.size() > kMaxInputBytes)
        return Fail(strShown + ": larger than the 16 MB a file of codes may be");
    return true;
}

bool Refuse(const std::string& strShown, const SExchangeError& error)
{
    const std::string strWhere =
        error.nLine == 0 ? strShown : strShown + ":" + std::to_string(error.nLine);
    return Fail(strWhere + ": " + error.strReason);
}

// The codes to bring in: the one named BUTTON (or the only code, unnamed, under that name), or
// every code, each of which must then have a name.
bool ChooseCodes(std::vector<SExchangeCode>& codes, const std::string* pButton,
                 SExchangeError& error)
{
    if (pButton && codes.size() == 1 && codes[0].strName.empty())
        codes[0].strName = *pButton;
    if (pButton)
    {
        std::erase_if(codes,
                      [pButton](const SExchangeCode& code) { return code.strName != *pButton; });
        if (!codes.empty())
            return true;
        error = {0, "it holds no code named " + *pButton};
        return false;
    }
    for (const SExchangeCode& code : codes)
    {
        if (code.strName.empty())
        {
            error = {code.nLine, "the code has no name: name the button after the input"};
            return false;
        }
    }
    return true;
}

// Every check a code must pass before anything changes.
bool CheckCode(const CRemote& remote, const SExchangeCode& code, double dNanos,
               std::map<std::string, int>& seen, SExchangeError& error)
{
    error = {code.nLine, {}};
    const CRemoteButton* pButton = remote.FindButton(code.strName);
    const auto [it, bFirst] = seen.emplace(code.strName, code.nLine);
    if (!IsStorableText(code.strName, kMaxRemoteName))
        error.strReason = "the name " + code.strName + " is longer than " +
                          std::to_string(kMaxRemoteName) + " characters or holds a zero byte";
    else if (!bFirst)
        error.strReason = code.strName + " comes a second time (first on line " +
                          std::to_string(it->second) + ")";
    else if (pButton && pButton->m_bMega)
        error.strReason = code.strName + " is a megabutton of " + remote.m_strName +
                          ", which plays other buttons and takes no signal";
    else if (CountSamples(code.durations, dNanos) > kBitstreamSamples)
        error.strReason = code.strName + " lasts longer than the " +
                          std::to_string(kBitstreamSamples) + " samples a button holds, at " +
                          FormatMicros(dNanos) + " a sample";
    return error.strReason.empty();
}

// The free cells of the remote's pad in reading order, where new buttons go.
std::vector<std::pair<int, int>> FindFreeCells(const CRemote& remote)
{
    std::vector<std::pair<int, int>> cells;
    const SRemoteStyle& style = kRemoteStyles[static_cast<std::size_t>(remote.m_nStyle)];
    for (int nRow = 0; nRow < style.nRows; ++nRow)
    {
        for (int nColumn = 0; nColumn < style.nColumns; ++nColumn)
        {
            if (!remote.GetButtonAt(nColumn, nRow))
                cells.emplace_back(nColumn, nRow);
        }
    }
    return cells;
}

bool CheckRoom(const CRemote& remote, const std::vector<SExchangeCode>& codes,
               const std::vector<std::pair<int, int>>& freeCells)
{
    const auto nNew =
        std::count_if(codes.begin(), codes.end(),
                      [&remote](const auto& code) { return !remote.FindButton(code.strName); });
    if (static_cast<std::size_t>(nNew) <= freeCells.size())
        return true;
    return Fail(remote.m_strName + " is full: its pad has " + std::to_string(freeCells.size()) +
                " free places for " + std::to_string(nNew) + " new buttons");
}

void NoteCarriers(const std::vector<SExchangeCode>& codes, unsigned nCarrierHz)
{
    for (const SExchangeCode& code : codes)
    {
        if (code.nCarrierHz != 0 && std::abs(static_cast<double>(code.nCarrierHz) - nCarrierHz) >
                                        kCarrierTolerance * nCarrierHz)
            std::fprintf(stderr,
                         "quorbit: %s came at %u Hz, far from the unit's %u Hz (--carrier): "
                         "the receiver may not answer it\n",
                         code.strName.c_str(), code.nCarrierHz, nCarrierHz);
    }
}

// Brings the codes into the remote; the lines say what was done to each.
bool ApplyCodes(CLoadedDocument& loaded, CRemote& remote, const std::vector<SExchangeCode>& codes,
                std::vector<std::pair<int, int>> freeCells, double dNanos, std::string& strReport)
{
    CQuorbexDoc& doc = loaded.m_doc;
    // Adding a button closes the remote's pad, as a window showing it would be out of date;
    // without windows it is only the pad's place in the file, which stays as it was.
    const bool bPadOpen = remote.m_pPad != nullptr;
    auto nextCell = freeCells.begin();
    for (const SExchangeCode& code : codes)
    {
        CRemoteButton* pButton = remote.FindButton(code.strName);
        if (pButton && !doc.CanChangeButton(*pButton))
            return false;
        if (pButton)
            strReport += "Replaced the signal of " + code.strName + ".\n";
        else
        {
            pButton = doc.AddButton(remote, code.strName, std::string(), false);
            if (!pButton)
                return false;
            const auto [nColumn, nRow] = *nextCell++;
            remote.PlaceButton(*pButton, nColumn, nRow);
            strReport += "Added " + code.strName + " in cell " + std::to_string(nColumn) + "/" +
                         std::to_string(nRow) + " of the pad.\n";
        }
        pButton->m_bits = ToBitstream(code.durations, dNanos);
    }
    if (bPadOpen)
        loaded.m_frontEnd.OpenPad(remote);
    doc.SetModifiedFlag();
    return true;
}

bool ImportCodes(const SExchange& exchange, const std::string& strInput, const std::string* pButton)
{
    COsClock osClock;
    CLoadedDocument loaded(osClock);
    CQuorbexDoc& doc = loaded.m_doc;
    if (!doc.OnOpenDocument(exchange.strDocument))
        return false;
    CRemote* pRemote = FindNamedRemote(doc, exchange);
    const std::string strShown = strInput == "-" ? "standard input" : strInput;
    std::string strText;
    if (!pRemote || !ReadInput(strInput, strShown, strText))
        return false;
    std::vector<SExchangeCode> codes;
    SExchangeError error;
    const bool bRead = exchange.bPronto ? ParseProntoCodes(strText, codes, error)
                                        : ParseLircCodes(strText, codes, error);
    if (!bRead || !ChooseCodes(codes, pButton, error))
        return Refuse(strShown, error);
    std::map<std::string, int> seen;
    for (const SExchangeCode& code : codes)
    {
        if (!CheckCode(*pRemote, code, exchange.dNanosPerSample, seen, error))
            return Refuse(strShown, error);
    }
    const std::vector<std::pair<int, int>> freeCells = FindFreeCells(*pRemote);
    if (!CheckRoom(*pRemote, codes, freeCells))
        return false;
    NoteCarriers(codes, exchange.nCarrierHz);
    std::string strReport;
    if (!ApplyCodes(loaded, *pRemote, codes, freeCells, exchange.dNanosPerSample, strReport) ||
        !doc.OnSaveDocument(exchange.strDocument))
        return false;
    std::printf("%sSaved %s; the previous version is kept as %s.\n", strReport.c_str(),
                exchange.strDocument.c_str(),
                CSafeFile::GetBackupPath(exchange.strDocument).c_str());
    return std::fflush(stdout) == 0;
}
} // namespace

bool CheckExchangeOptions(const SCommandLine& commandLine, std::string& strError)
{
    const bool bExchange = IsExchange(commandLine.nCommand);
    if (!bExchange && (!commandLine.strFormat.empty() || !commandLine.strCarrier.empty()))
        strError = "--format and --carrier go with --export or --import";
    else if (bExchange && commandLine.strFormat != "pronto" && commandLine.strFormat != "lirc")
        strError = "--export and --import need --format pronto or --format lirc";
    else if (bExchange && GetCarrierHz(commandLine) == 0)
        strError = "--carrier takes a frequency in hertz from " + std::to_string(kMinCarrierHz) +
                   " to " + std::to_string(kMaxCarrierHz) + ", not \"" + commandLine.strCarrier +
                   "\"";
    return strError.empty();
}

std::unique_ptr<CInfraredDevice> OpenInfraredUnit(const SCommandLine& commandLine)
{
    // Without windows there are no settings to read the port from; the first port is the
    // usual one.
    std::string strError;
    std::unique_ptr<CInfraredDevice> pDevice =
        CreateInfraredDevice(commandLine.strDevice, 1, strError);
    if (!pDevice)
        Fail(strError);
    return pDevice;
}

int RunExchangeCommand(const SCommandLine& commandLine)
{
    const std::unique_ptr<CInfraredDevice> pDevice = OpenInfraredUnit(commandLine);
    if (!pDevice)
        return 1;
    const double dNanos = GetMachineNanosPerSample(*pDevice);
    SayPeriod(*pDevice, dNanos);
    const std::vector<std::string>& files = commandLine.files;
    const SExchange exchange{files[0], files[1], commandLine.strFormat == "pronto",
                             GetCarrierHz(commandLine), dNanos};
    const bool bDone =
        commandLine.nCommand == ECommand::Export
            ? ExportCodes(exchange, files.size() > 2 ? &files[2] : nullptr)
            : ImportCodes(exchange, files[2], files.size() > 3 ? &files[3] : nullptr);
    return bDone ? 0 : 1;
}
