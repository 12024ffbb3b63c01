#pragma once

#include "device/CSimulatedRemote.h"
#include "device/PortTable.h"

#include <cstdint>
#include <memory>
#include <vector>

// The infrared unit simulated on the port, for machines without one. Data-register writes
// drive the emitter, whose output is kept; the detector, powered by data bit 1, sees the
// simulated remote on status bit 4, or the emitter once that is turned to face it. The unit
// answers on whichever port is selected: the device only ever reads status registers and
// writes data registers.
class CSimulatedPort
{
public:
    CSimulatedPort()
        : m_emitterRecord(std::make_unique_for_overwrite<std::uint8_t[]>(kEmitterRecordSize))
    {
    }

    std::uint8_t In(std::uint16_t)
    {
        const bool bInfrared =
            m_bDetectorPowered && (m_bEmitterFacing ? m_bEmitterOn : m_remote.NextSample());
        return bInfrared ? kUndrivenStatusLines : kUndrivenStatusLines | kStatusDetectorLine;
    }

    void Out(std::uint16_t, std::uint8_t nValue)
    {
        m_emitterRecord[m_nEmitterWrites++ & (kEmitterRecordSize - 1)] = nValue;
        m_bDetectorPowered = (nValue & kDataDetectorReady) != 0;
        m_bEmitterOn = (nValue & kDataEmitterOn) != 0;
        if (m_bDetectorPowered && !m_bEmitterFacing)
            m_remote.Press();
    }

    const char* GetName() const { return "simulated"; }

    CSimulatedRemote& GetRemote() { return m_remote; }
    // Turns the emitter to face the detector, as a self-test asks: the detector then sees the
    // emitter's light, and the hand-held remote is put away.
    void SetEmitterFacing(bool bFacing) { m_bEmitterFacing = bFacing; }
    // The data-register values written since the last ClearEmitterRecord, oldest first; bit 0
    // of each is the emitter. Only the most recent kEmitterRecordSize are kept.
    std::vector<std::uint8_t> GetEmitterRecord() const;
    std::uint64_t GetEmitterWriteCount() const { return m_nEmitterWrites; }
    void ClearEmitterRecord() { m_nEmitterWrites = 0; }

    // Room for a full transmission with the writes around it.
    static constexpr std::size_t kEmitterRecordSize = std::size_t{1} << 19;

private:
    // Status lines the unit leaves alone read as an idle port shows them.
    static constexpr std::uint8_t kUndrivenStatusLines = 0x6F;

    CSimulatedRemote m_remote;
    // A ring, allocated once, so that recording a write never allocates in the playing loop.
    // Left unfilled: only written entries are read, and the system hands its pages over as
    // they are first written, not all half a megabyte at the start.
    std::unique_ptr<std::uint8_t[]> m_emitterRecord;
    std::uint64_t m_nEmitterWrites = 0;
    bool m_bDetectorPowered = false;
    bool m_bEmitterOn = false;
    bool m_bEmitterFacing = false;
};
