#include "device/CSimulatedPort.h"

#include <algorithm>

std::vector<std::uint8_t> CSimulatedPort::GetEmitterRecord() const
{
    const std::uint64_t nKept = std::min<std::uint64_t>(m_nEmitterWrites, kEmitterRecordSize);
    std::vector<std::uint8_t> record;
    record.reserve(nKept);
    for (std::uint64_t nWrite = m_nEmitterWrites - nKept; nWrite < m_nEmitterWrites; ++nWrite)
        record.push_back(m_emitterRecord[nWrite & (kEmitterRecordSize - 1)]);
    return record;
}
