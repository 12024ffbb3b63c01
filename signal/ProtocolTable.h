#pragma once

#include "signal/DecodedSignal.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The infrared protocols Quorbit reads and writes, each one row of the table in
// ProtocolTable.cpp. A row names its timings, how it sends a bit, and its frames in a small
// notation: a number is a mark (positive) or a space (negative) in units of the protocol (in
// microseconds when it ends in "us"), "V:n"
// is n bits of the field V ("V:n:s" from its bit s on, "V:-n" in the opposite bit order, "~V"
// inverted), a number before the colon is a constant, and a trailing '*' sends the bit in a cell
// twice as wide (RC-6's trailer). The fields: D device, S subdevice, E extra address bits, F
// function (command), T toggle, M maker; any other letter is a check field, which the row's
// checks work out from the others. The table is checked once, at its first use: a row that does
// not hold together stops the program with the row's name and the reason.

// How a protocol sends its bits.
enum class EBitEncoding
{
    kPulseDistance,    // a mark, then a short space for 0 and a long one for 1
    kPulseWidth,       // a short mark for 0 and a long one for 1, then a space
    kPulseDistanceTwo, // two bits a symbol: a mark, then one of four spaces
    kBiphase,          // a cell a bit, split into a mark and a space whose order is the bit
};

// How a check field is worked out.
enum class ECheck
{
    kNone,
    kMakerNibbleXor,   // the maker code's nibbles folded together (4 bits)
    kDataByteXor,      // the bytes sent after the maker code folded together (8 bits)
    kNegatedNibbleSum, // minus the sum of the device and the command's two nibbles (4 bits)
};

// A bit symbol in units of the protocol: a mark (positive) and a space (negative), or, for a
// biphase cell that begins with its space, the space first.
struct SBitSymbol
{
    double dFirst = 0;
    double dSecond = 0;
};

struct SCheckField
{
    char cField = 0;
    ECheck eCheck = ECheck::kNone;
};

// One row of the table, written with its fields' names; what a row leaves out is 0 or empty.
struct SProtocolRow
{
    EProtocol eProtocol = EProtocol::kUnknown;
    const char* pszName = ""; // as descriptions write it: "NEC", "Sony 15-bit"
    const char* pszKey = "";  // one word, for code lists: "NEC", "Sony15"
    // The protocol the decoder reports for this frame: itself, or the one whose frame it shares.
    EProtocol eDecodesAs = EProtocol::kUnknown;
    unsigned nCarrierHz = 0;
    double dUnitMicros = 0;
    EBitEncoding eEncoding = EBitEncoding::kPulseDistance;
    bool bMsbFirst = false;
    // The symbols for 0 and 1; with two bits a symbol, for 00, 01, 10 and 11.
    SBitSymbol zero = {};
    SBitSymbol one = {};
    SBitSymbol two = {};
    SBitSymbol three = {};
    const char* pszFrame = "";
    // The check fields of the frame and how each is worked out.
    SCheckField checks[2] = {};
    // The maker code meant when a code names none (a code list's line without one).
    std::uint32_t nDefaultMaker = 0;
    const char* pszRepeat = "";  // the frame a held button repeats; "" for the frame itself
    const char* pszLead = "";    // sent once before the first frame, "" for none
    double dPeriodMicros = 0;    // from one frame's start to the next, or 0
    double dGapMicros = 0;       // silence after each frame's last mark, when dPeriodMicros is 0
    double dRepeatGapMicros = 0; // silence after each repeat frame, where it is not dGapMicros
    int nMinRepeats = 0; // frames a remote sends after the first even for the shortest press
    // How S is made when the code gives only D: '~' its inverse, '=' D again, 0 never.
    char cSubdeviceDefault = 0;
    // A space at least this long ends a frame; 0 for the common 5.5 ms.
    std::uint32_t nSplitMicros = 0;
};

// One item of a frame: a mark or space, or bits of a field.
struct SFrameItem
{
    bool bBits = false;
    double dMicros = 0; // a mark (positive) or a space (negative)
    char cField = 0;    // a letter, or 0 for the constant nConstant
    std::uint32_t nConstant = 0;
    int nBits = 0;
    int nShift = 0;
    bool bInvert = false;
    bool bReversed = false; // against the protocol's bit order
    bool bDouble = false;
    ECheck eCheck = ECheck::kNone; // how a check field is worked out
};

// A row made ready for the encoder and decoder.
struct SProtocolForm
{
    const SProtocolRow* pRow = nullptr;
    bool bBiphase = false;
    // Biphase: a 1 is a mark in the first half of its cell.
    bool bMarkFirstIsOne = false;
    // Pulse forms: each symbol's mark and space in microseconds; 2 or 4 of them.
    std::vector<std::pair<double, double>> symbols;
    int nBitsPerSymbol = 1;
    std::vector<SFrameItem> frame;
    std::vector<SFrameItem> repeat;
    std::vector<SFrameItem> lead;
    int nFrameBits = 0;
    // Width of D, S and E in the frame: the address is D, S above it, E above that.
    int nDeviceBits = 0;
    int nSubdeviceBits = 0;
    int nExtraBits = 0;
    int nCommandBits = 0;
    int nMakerBits = 0; // 0 for a protocol without a maker code
};

// Every protocol, in the order the decoder tries them.
std::span<const SProtocolForm> GetProtocolForms();
// The form of a protocol; null for kUnknown.
const SProtocolForm* FindProtocolForm(EProtocol eProtocol);
// The form of a protocol as the sender of a code makes its frames: for kIrFile, the ".ir" tool's
// own where it differs from the table (ProtocolTableIrFile.cpp), else the table's.
const SProtocolForm* FindProtocolForm(EProtocol eProtocol, EFrameForm eForm);
// The rows of the protocols the ".ir" tool sends with timings of its own.
std::span<const SProtocolRow> GetIrFileRows();
// The protocol whose key (or name) is strWord, ignoring case and '-', ' ' and '_'; null for none.
const SProtocolForm* FindProtocolByKey(std::string_view strWord);

// The first fault of a table of rows, as "NAME: reason" ("RC-5: the frame holds no bits"), or ""
// when every row holds together.
std::string FindProtocolTableFault(std::span<const SProtocolRow> rows);
