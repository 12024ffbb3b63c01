#pragma once

#include "signal/DecodedSignal.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// The infrared protocols Quorbit reads and writes, each one row of the table in
// ProtocolTable.cpp, written in a small notation for frames: a number is a mark (positive) or a
// space (negative) in units of the protocol, "V:n" is n bits of the field V ("V:n:s" from its bit
// s on, "V:-n" in the opposite bit order, "~V" inverted), a number before the colon is a
// constant, and a trailing '*' sends the bit in a cell twice as wide (RC-6's trailer). The
// fields: D device, S subdevice, E extra address bits, F function (command), T toggle, M maker;
// P, X and G are check fields worked out from the others.

// One row of the table.
struct SProtocolRow
{
    EProtocol eProtocol;
    const char* pszName; // as descriptions write it: "NEC", "Sony 15-bit"
    const char* pszKey;  // one word, for code lists: "NEC", "Sony15"
    // The protocol the decoder reports for this frame: itself, or the one whose frame it shares.
    EProtocol eDecodesAs;
    unsigned nCarrierHz;
    double dUnitMicros;
    bool bMsbFirst;
    // The bit symbols, 0 first, '|' between them: "1,-1|1,-3" (pulse distance), "1,-1|2,-1"
    // (pulse width), four symbols for two bits each, or "1,-1|-1,1" (biphase: a symbol that
    // starts with a space).
    const char* pszSymbols;
    const char* pszFrame;
    const char* pszRepeat; // "" when the frame itself is repeated
    const char* pszLead;   // sent once before the first frame, "" for none
    double dPeriodMicros;  // from one frame's start to the next, or 0
    double dGapMicros;     // silence after each frame's end, when dPeriodMicros is 0
    int nMinRepeats;       // frames a remote sends after the first even for the shortest press
    // How S is made when the code gives only D: '~' its inverse, '=' D again, 0 never.
    char cSubdeviceDefault;
    // A space at least this long ends a frame; 0 for the common 5.5 ms.
    std::uint32_t nSplitMicros;
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
};

// Every protocol, in the order the decoder tries them.
std::span<const SProtocolForm> GetProtocolForms();
// The form of a protocol; null for kUnknown.
const SProtocolForm* FindProtocolForm(EProtocol eProtocol);
// The protocol whose key (or name) is strWord, ignoring case and '-', ' ' and '_'; null for none.
const SProtocolForm* FindProtocolByKey(std::string_view strWord);
