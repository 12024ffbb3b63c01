#pragma once

#include "base/DocumentConstants.h"

#include <array>
#include <cstdint>

// The PC's three standard parallel ports and what the infrared unit expects on their lines.

struct SPortRegisters
{
    std::uint16_t nData;   // written: emitter on bit 0, detector enable on bit 1
    std::uint16_t nStatus; // read: detector line on bit 4
    const char* pszCaption;
};

constexpr int kPortCount = 3;

constexpr std::array<SPortRegisters, kPortCount> kPortTable{{
    {0x378, 0x379, "LPT&1  (0378)"},
    {0x278, 0x279, "LPT&2  (0278)"},
    {0x3BC, 0x3BD, "LPT&3  (03bc)"},
}};

constexpr bool IsValidPort(int nPort)
{
    return nPort >= 1 && nPort <= kPortCount;
}

// nPort must be 1, 2 or 3.
constexpr const SPortRegisters& GetPortRegisters(int nPort)
{
    return kPortTable[static_cast<std::size_t>(nPort - 1)];
}

// Data-register values.
constexpr std::uint8_t kDataAllOff = 0x00;        // a 0 sample; the state after every loop
constexpr std::uint8_t kDataEmitterOn = 0x01;     // a 1 sample
constexpr std::uint8_t kDataDetectorReady = 0x02; // detector powered, emitter off

// Status-register bit of the detector: set while no infrared is seen.
constexpr std::uint8_t kStatusDetectorLine = 0x10;
constexpr int kStatusDetectorShift = 4;
