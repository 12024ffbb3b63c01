#include "cli/ExchangeCommands.h"

#include "base/TextEncoding.h"
#include "cli/CLoadedDocument.h"
#include "cli/ControlCommands.h"
#include "cli/SignalCommands.h"
#include "common/ImportPlan.h"
#include "common/SignalStore.h"
#include "device/CDeviceFactory.h"
#include "device/CInfraredDevice.h"
#include "device/COsClock.h"
#include "device/SamplePeriod.h"
#include "document/CQbFile.h"
#include "document/CSafeFile.h"
#include "signal/ButtonSignal.h"
#include "signal/CodeListFormat.h"
#include "signal/ExchangeText.h"
#include "signal/FlipperFormat.h"
#include "signal/LircFormat.h"
#include "signal/ProntoFormat.h"
#include "signal/SignalDurations.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <ranges>
#include <set>

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

// The formats each way: code lists are typed, not written.
bool IsKnownFormat(const SCommandLine& commandLine)
{
    const std::string& strFormat = commandLine.strFormat;
    return strFormat == "pronto" || strFormat == "lirc" || strFormat == "flipper" ||
           (strFormat == "code" && commandLine.nCommand == ECommand::Import);
}

unsigned GetCarrierHz(const SCommandLine& commandLine)
{
    if (commandLine.strCarrier.empty())
        return kDefaultCarrierHz;
    const unsigned long nHz = ParseDecimal(commandLine.strCarrier, kMaxCarrierHz);
    return nHz >= kMinCarrierHz ? static_cast<unsigned>(nHz) : 0;
}

// Everything one export or import works with; the names as they were typed, in UTF-8.
struct SExchange
{
    const std::string& strDocument;
    const std::string& strRemote;
    const std::string& strFormat;
    unsigned nCarrierHz;
    double dNanosPerSample;
    const std::string& strSource;
    const std::string& strStyle;
    bool bSeveral; // more than one input: each is named in the report
};

// An input of --import as read, and its name as messages show it.
struct SInputText
{
    std::string strShown;
    std::string strText;
};

void SayPeriod(double dNanos, const std::string& strSource)
{
    std::fprintf(stderr, "quorbit: durations at %s a sample, %s\n", FormatMicros(dNanos).c_str(),
                 strSource.c_str());
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

// Exported codes carry names as other tools read them: UTF-8.
SExchangeCode MakeCode(const CRemoteButton& button, double dNanos)
{
    return MakeExchangeCode(button, ToDisplayText(button.m_strName), dNanos);
}

// The codes of the one button named, or of every button of the remote that has a signal, by
// name; those left out are said on standard error.
bool CollectCodes(const CRemote& remote, const std::string* pButton, double dNanos,
                  std::vector<SExchangeCode>& codes)
{
    const std::string strRemote = ToDisplayText(remote.m_strName);
    if (pButton)
    {
        std::string strName;
        std::string strReason;
        const CRemoteButton* pFound =
            ToDocumentName(*pButton, strName, strReason) ? remote.FindButton(strName) : nullptr;
        if (pFound)
            strReason = GetSilenceReason(*pFound);
        else if (strReason.empty())
            strReason = "does not exist";
        if (!strReason.empty())
            return FailCommand(strRemote + ": " + *pButton + " " + strReason);
        codes.push_back(MakeCode(*pFound, dNanos));
        return true;
    }
    for (const auto& pInRemote : remote.m_buttons | std::views::values)
    {
        const std::string strReason = GetSilenceReason(*pInRemote);
        if (strReason.empty())
            codes.push_back(MakeCode(*pInRemote, dNanos));
        else
            std::fprintf(stderr, "quorbit: left out %s, which %s\n",
                         ToDisplayText(pInRemote->m_strName).c_str(), strReason.c_str());
    }
    return !codes.empty() || FailCommand(strRemote + " has no learned buttons");
}

// The tool refuses a whole file for one record it cannot hold: such codes stay out, each said on
// standard error; the one button asked for by name fails the command instead.
bool LeaveOutUnfitCodes(const std::string& strRemote, bool bNamed, unsigned nCarrierHz,
                        std::vector<SExchangeCode>& codes)
{
    std::vector<SExchangeCode> fit;
    for (SExchangeCode& code : codes)
    {
        const std::string strReason = FindFlipperRefusal(code, nCarrierHz);
        if (strReason.empty())
            fit.push_back(std::move(code));
        else if (bNamed)
            return FailCommand(strRemote + ": " + code.strName + " " + strReason);
        else
            std::fprintf(stderr, "quorbit: left out %s, which %s\n", code.strName.c_str(),
                         strReason.c_str());
    }
    codes = std::move(fit);
    return !codes.empty() || FailCommand(strRemote + " has no button a .ir file can hold");
}

// Names as the formats hold them: one word each, and no two alike, so that the file read back
// gives each code to its own button. A name made one word that meets another name takes the
// first free "_2", "_3"... Each name changed is said on standard error.
void GiveOneWordNames(std::vector<SExchangeCode>& codes)
{
    std::set<std::string> taken;
    for (const SExchangeCode& code : codes)
    {
        if (MakeExchangeName(code.strName) == code.strName)
            taken.insert(code.strName);
    }
    for (SExchangeCode& code : codes)
    {
        const std::string strPlain = MakeExchangeName(code.strName);
        if (strPlain == code.strName)
            continue;
        std::string strWord = strPlain;
        for (int nSuffix = 2; !taken.insert(strWord).second; ++nSuffix)
            strWord = strPlain + "_" + std::to_string(nSuffix);
        const std::string strMet = strWord == strPlain ? "" : " and " + strPlain + " another's";
        std::fprintf(stderr, "quorbit: %s is written as %s, a name there being one word%s\n",
                     code.strName.c_str(), strWord.c_str(), strMet.c_str());
        code.strName = strWord;
    }
}

bool ExportCodes(const SExchange& exchange, const std::string* pButton)
{
    COsClock osClock;
    CLoadedDocument loaded(osClock);
    if (!loaded.GetDocument().OnOpenDocument(exchange.strDocument))
        return false;
    const CRemote* pRemote =
        FindRemoteArgument(loaded.GetDocument(), exchange.strDocument, exchange.strRemote);
    std::vector<SExchangeCode> codes;
    if (!pRemote || !CollectCodes(*pRemote, pButton, exchange.dNanosPerSample, codes))
        return false;
    if (exchange.strFormat == "flipper" &&
        !LeaveOutUnfitCodes(ToDisplayText(pRemote->m_strName), pButton != nullptr,
                            exchange.nCarrierHz, codes))
        return false;
    // One button's Pronto code is written bare, as codes are passed around.
    if (pButton && exchange.strFormat == "pronto")
        codes[0].strName.clear();
    GiveOneWordNames(codes);
    std::string strText;
    std::string strError;
    if (exchange.strFormat == "lirc")
        strText = FormatLircRemote(ToDisplayText(pRemote->m_strName), codes, exchange.nCarrierHz);
    else if (exchange.strFormat == "flipper")
        strText = FormatFlipperCodes(codes, exchange.nCarrierHz);
    else if (!FormatProntoCodes(codes, exchange.nCarrierHz, strText, strError))
        return FailCommand("cannot write " + strError);
    std::fwrite(strText.data(), 1, strText.size(), stdout);
    return std::fflush(stdout) == 0;
}

// The whole of the named regular file, or of standard input for "-". Nothing else: a FIFO
// with no writer, or a device, would hold the command forever.
bool ReadInput(const std::string& strInput, const std::string& strShown, std::string& strText)
{
    const std::string strTooLarge = "larger than the 16 MB a file of codes may be";
    if (strInput != "-")
    {
        std::vector<std::uint8_t> bytes;
        std::string strError;
        if (CSafeFile::ReadAll(strInput, kMaxInputBytes, bytes, strError))
        {
            strText.assign(bytes.begin(), bytes.end());
            return true;
        }
        if (strError.starts_with("larger than"))
            strError = strTooLarge;
        else if (strError != "not a regular file")
            strError = "cannot be opened: " + strError;
        return FailCommand(strShown + ": " + strError);
    }
    strText.resize(kMaxInputBytes + 1);
    strText.resize(std::fread(strText.data(), 1, strText.size(), stdin));
    if (std::ferror(stdin) != 0)
        return FailCommand(strShown + ": cannot be read");
    if (strText.size() > kMaxInputBytes)
        return FailCommand(strShown + ": " + strTooLarge);
    return true;
}

// A reason may quote the input, whatever bytes it holds: shown for a terminal, so that an
// escape sequence in a file cannot drive it, nor a zero byte cut the reason short.
bool Refuse(const std::string& strShown, const SExchangeError& error)
{
    const std::string strWhere =
        error.nLine == 0 ? strShown : strShown + ":" + std::to_string(error.nLine);
    return FailCommand(strWhere + ": " + ToDisplayUtf8(error.strReason));
}

// Other tools write names in UTF-8; the document keeps its own spelling.
bool ConvertCodeNames(std::vector<SExchangeCode>& codes, SExchangeError& error)
{
    for (SExchangeCode& code : codes)
    {
        std::string strName;
        if (!ToDocumentName(code.strName, strName, error.strReason))
        {
            error = {code.nLine, "the code's name " + error.strReason};
            return false;
        }
        code.strName = std::move(strName);
    }
    return true;
}

// The codes to bring in: the one named BUTTON (document spelling; or the only code, unnamed,
// under that name), or every code, each of which must then have a name.
bool ChooseCodes(std::vector<SExchangeCode>& codes, const std::string* pButton,
                 SExchangeError& error)
{
    if (pButton && codes.size() == 1 && codes[0].strName.empty())
        codes[0].strName = *pButton;
    if (pButton)
    {
        std::erase_if(codes,
                      [pButton](const SExchangeCode& code) { return code.strName != *pButton; });
        // Of several codes under the name, the first is the button's, as LIRC's daemon sends it.
        codes.resize(std::min<std::size_t>(codes.size(), 1));
        if (!codes.empty())
            return true;
        error = {0, "it holds no code named " + ToDisplayText(*pButton)};
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

void NoteCarriers(const std::vector<SExchangeCode>& codes, unsigned nCarrierHz)
{
    for (const SExchangeCode& code : codes)
    {
        if (code.nCarrierHz != 0 && std::abs(static_cast<double>(code.nCarrierHz) - nCarrierHz) >
                                        kCarrierTolerance * nCarrierHz)
            std::fprintf(stderr,
                         "quorbit: %s came at %u Hz, far from the unit's %u Hz (--carrier): "
                         "the receiver may not answer it\n",
                         ToDisplayText(code.strName).c_str(), code.nCarrierHz, nCarrierHz);
    }
}

// Why the code is stored under another name: "KEY_BRIGHTNESS_CYCLE is stored as KEY_BRIGHTNESS_,
// ...", or "Power on line 9 is stored as Power 2: line 5 has a code of that name".
std::string DescribeRename(const SRenamedCode& renamed, const SExchangeCode& code)
{
    const std::string strShown = ToDisplayText(renamed.strInput);
    const std::string strNew = ToDisplayText(code.strName);
    if (renamed.nFirstLine == 0)
        return strShown + " is stored as " + strNew + ", a button name holding at most " +
               std::to_string(kMaxRemoteName) + " characters";
    return strShown + " on line " + std::to_string(code.nLine) + " is stored as " + strNew +
           ": line " + std::to_string(renamed.nFirstLine) + " has a code of that name";
}

// The daemon's remote file, each remote that is skipped said; one that --source names is
// refused for the reason it was skipped.
bool ReadLircInput(const SExchange& exchange, const std::string& strText,
                   const std::string& strShown, std::vector<SExchangeCode>& codes,
                   SExchangeError& error)
{
    std::vector<SSkippedRemote> skipped;
    if (!ParseLircCodes(strText, codes, skipped, error))
        return false;
    const bool bSourceRead = std::any_of(codes.begin(), codes.end(),
                                         [&](const SExchangeCode& code)
                                         { return code.strSource == exchange.strSource; });
    for (const SSkippedRemote& skip : skipped)
    {
        if (!bSourceRead && !exchange.strSource.empty() && skip.strName == exchange.strSource)
        {
            error = {skip.error.nLine, DescribeSkippedRemote(skip)};
            return false;
        }
    }
    for (const SSkippedRemote& skip : skipped)
        std::fprintf(stderr, "quorbit: %s:%d: %s\n", strShown.c_str(), skip.error.nLine,
                     DescribeSkippedRemote(skip).c_str());
    return true;
}

// The codes of the input that are to come in, each checked against the remote; a renamed code
// is said on standard error, after strWhere ("codes.ir: ") when there are several inputs.
bool ReadCodes(const SExchange& exchange, const CRemote& remote, const SInputText& input,
               const std::string* pButton, const std::string& strWhere,
               std::vector<SExchangeCode>& codes, SExchangeError& error)
{
    const std::string& strFormat = exchange.strFormat;
    const std::string& strText = input.strText;
    const bool bRead = strFormat == "pronto" ? ParseProntoCodes(strText, codes, error)
                       : strFormat == "lirc"
                           ? ReadLircInput(exchange, strText, input.strShown, codes, error)
                       : strFormat == "code" ? ParseCodeList(strText, codes, error)
                                             : ParseFlipperCodes(strText, codes, error);
    if (!bRead)
        return false;
    error.nLine = 0;
    if (!ChooseSource(codes, exchange.strSource, error.strReason) ||
        !ConvertCodeNames(codes, error) || !ChooseCodes(codes, pButton, error))
        return false;
    for (const SRenamedCode& renamed : NameCodes(codes, remote))
        std::fprintf(stderr, "quorbit: %s%s\n", strWhere.c_str(),
                     DescribeRename(renamed, codes[renamed.nCode]).c_str());
    return std::all_of(codes.begin(), codes.end(),
                       [&](const SExchangeCode& code) {
                           return CheckImportedCode(remote, code, exchange.dNanosPerSample, error);
                       });
}

// A larger pad for the remote, before the codes are placed; every placed button keeps its cell.
bool ApplyStyle(CRemote& remote, const std::string& strStyle)
{
    const int nStyle = ParseStyle(strStyle);
    const std::string strRefusal = FindStyleRefusal(remote, nStyle);
    if (!strRefusal.empty())
        return FailCommand(ToDisplayText(remote.m_strName) + " cannot take the style " + strStyle +
                           ": " + strRefusal);
    remote.m_nStyle = nStyle;
    return true;
}

// Room for the codes: on the remote's pad, or, where no pad style of the remote holds them all,
// on the further remotes the import makes. A larger style that would do is the person's choice.
bool CheckImportRoom(const CRemote& remote, const std::vector<SExchangeCode>& codes,
                     bool bStyleHint)
{
    return FindRoomyStyle(remote, CountNewButtons(remote, codes)) < 0 ||
           CheckRoom(remote, codes, bStyleHint);
}

// One input brought into the loaded document, its report added to strReport.
bool ImportInput(const SExchange& exchange, CQuorbexDoc& doc, CRemote& remote,
                 const SInputText& input, const std::string* pButton, std::string& strReport)
{
    const std::string strWhere = exchange.bSeveral ? input.strShown + ": " : std::string();
    std::vector<SExchangeCode> codes;
    SExchangeError error;
    if (!ReadCodes(exchange, remote, input, pButton, strWhere, codes, error))
        return Refuse(input.strShown, error);
    if (!CheckImportRoom(remote, codes, exchange.strStyle.empty()))
        return false;
    NoteCarriers(codes, exchange.nCarrierHz);
    if (exchange.bSeveral)
        strReport += "From " + input.strShown + ":\n";
    const SImportPlan plan = PlanPlaces(*doc.m_pRemotes, remote, remote.m_nStyle, codes);
    return StorePlanned(doc, remote, plan, codes, exchange.dNanosPerSample, strReport);
}

// Every input, read before the document is locked: it stays locked from its read to its save,
// not while a person types the codes.
bool ReadInputs(const std::vector<std::string>& inputs, std::vector<SInputText>& texts)
{
    if (std::count(inputs.begin(), inputs.end(), "-") > 1)
        return FailCommand("standard input (-) can be read only once");
    for (const std::string& strInput : inputs)
    {
        SInputText& input = texts.emplace_back();
        input.strShown = strInput == "-" ? "standard input" : strInput;
        if (!ReadInput(strInput, input.strShown, input.strText))
            return false;
    }
    return true;
}

bool ImportCodes(const SExchange& exchange, const std::vector<std::string>& inputs,
                 const std::string* pButtonArgument)
{
    std::string strButton;
    std::string strReason;
    if (pButtonArgument && !ToDocumentName(*pButtonArgument, strButton, strReason))
        return FailCommand("the button name \"" + *pButtonArgument + "\" " + strReason);
    std::vector<SInputText> texts;
    if (!ReadInputs(inputs, texts))
        return false;
    COsClock osClock;
    CLoadedDocument loaded(osClock);
    if (!loaded.OpenToChange(exchange.strDocument))
        return false;
    CQuorbexDoc& doc = loaded.GetDocument();
    CRemote* pRemote = FindRemoteArgument(doc, exchange.strDocument, exchange.strRemote);
    if (!pRemote)
        return false;
    const int nStyleBefore = pRemote->m_nStyle;
    if (!exchange.strStyle.empty() && !ApplyStyle(*pRemote, exchange.strStyle))
        return false;
    std::string strReport;
    for (const SInputText& input : texts)
        if (!ImportInput(exchange, doc, *pRemote, input, pButtonArgument ? &strButton : nullptr,
                         strReport))
            return false;
    if (pRemote->m_nStyle != nStyleBefore)
        strReport.insert(0, "Made the pad of " + ToDisplayText(pRemote->m_strName) + " " +
                                kRemoteStyles[static_cast<std::size_t>(pRemote->m_nStyle)].pszText +
                                ".\n");
    return SaveReported(loaded, exchange.strDocument, strReport);
}

// The time base of the recordings: the running Quorbit's period when one runs, as it holds the
// unit and a second program on the port would disturb its firings; else the unit's own.
bool FindPeriod(const SCommandLine& commandLine, const SRunningQuorbit& running, double& dNanos)
{
    if (running.bRuns)
    {
        dNanos = running.dNanosPerSample;
        if (dNanos <= 0)
            return FailCommand(running.strDescription +
                               " holds the infrared unit and did not say its sample period; "
                               "stop it first");
        SayPeriod(dNanos, "the period of " + running.strDescription + ", which holds the unit");
        return true;
    }
    const std::unique_ptr<CInfraredDevice> pDevice = OpenInfraredUnit(commandLine);
    if (!pDevice)
        return false;
    dNanos = GetMachineNanosPerSample(*pDevice);
    SayPeriod(dNanos, DescribePeriodSource(*pDevice));
    return true;
}

// A window program keeps its document in memory and saves all of it: its next save would
// undo an import into its file. A --run reloads a file that changed, so it is left to do so.
bool CheckNotOpenInWindows(const SRunningQuorbit& running, const std::string& strDocument)
{
    if (!running.bWindows || !IsSameFile(running.strDocument, strDocument))
        return true;
    return FailCommand(running.strDescription + " has " + strDocument +
                       " open, and its next save would undo the import; close it there first");
}
// The inputs of --import FILE REMOTE INPUT [BUTTON | INPUT...]: a fourth operand alone is a
// further input when it is "-" or a file of that name exists, else the BUTTON.
std::vector<std::string> FindImportInputs(const std::vector<std::string>& files)
{
    std::error_code error;
    const bool bFourthIsButton =
        files.size() == 4 && files[3] != "-" && !std::filesystem::exists(files[3], error);
    return {files.begin() + 2, bFourthIsButton ? files.begin() + 3 : files.end()};
}
} // namespace

bool CheckExchangeOptions(const SCommandLine& commandLine, std::string& strError)
{
    const bool bExchange = IsExchange(commandLine.nCommand);
    const bool bImport = commandLine.nCommand == ECommand::Import;
    if (!bExchange && (!commandLine.strFormat.empty() || !commandLine.strCarrier.empty()))
        strError = "--format and --carrier go with --export or --import";
    else if (!bImport && (!commandLine.strSource.empty() || !commandLine.strStyle.empty()))
        strError = "--source and --style go with --import";
    else if (bExchange && !IsKnownFormat(commandLine))
        strError = bImport ? "--import needs --format pronto, lirc, flipper or code"
                           : "--export and --import need --format pronto, lirc or flipper";
    // Only the daemon's files hold several remotes to choose from.
    else if (bImport && !commandLine.strSource.empty() && commandLine.strFormat != "lirc")
        strError = "--source goes with --format lirc";
    else if (bImport && !commandLine.strStyle.empty() && ParseStyle(commandLine.strStyle) < 0)
        strError = "--style takes a pad style as HIGHxWIDE (15x5, 12x4, 12x3, 9x3, 8x4, 6x3, 4x4 "
                   "or 3x3), not \"" +
                   commandLine.strStyle + "\"";
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
        FailCommand(strError);
    return pDevice;
}

int RunExchangeCommand(const SCommandLine& commandLine)
{
    const std::vector<std::string>& files = commandLine.files;
    const bool bExport = commandLine.nCommand == ECommand::Export;
    const SRunningQuorbit running = DescribeRunning();
    double dNanos = 0;
    if ((!bExport && !CheckNotOpenInWindows(running, files[0])) ||
        !FindPeriod(commandLine, running, dNanos))
        return 1;
    const std::vector<std::string> inputs =
        bExport ? std::vector<std::string>() : FindImportInputs(files);
    const SExchange exchange{files[0],
                             files[1],
                             commandLine.strFormat,
                             GetCarrierHz(commandLine),
                             dNanos,
                             commandLine.strSource,
                             commandLine.strStyle,
                             inputs.size() > 1};
    const std::string* pButton = files.size() > 2 + inputs.size() ? &files.back() : nullptr;
    const bool bDone = bExport ? ExportCodes(exchange, files.size() > 2 ? &files[2] : nullptr)
                               : ImportCodes(exchange, inputs, pButton);
    return bDone ? 0 : 1;
}
