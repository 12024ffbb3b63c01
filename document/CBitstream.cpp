#include "document/CBitstream.h"

#include <algorithm>

CBitstream::CBitstream(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes))
{
    SetLength(GetLength());
}

CBitstream::CBitstream(std::span<const std::uint8_t> bytes)
    : CBitstream(std::vector<std::uint8_t>(bytes.begin(),
                                           bytes.begin() + std::min(bytes.size(), kBitstreamBytes)))
{
}

void CBitstream::SetByte(std::size_t nIndex, std::uint8_t nValue)
{
    if (nIndex >= kBitstreamBytes)
        return;
    if (nIndex >= m_bytes.size())
        m_bytes.resize(nIndex + 1);
    m_bytes[nIndex] = nValue;
}

void CBitstream::SetLength(std::uint32_t nLength)
{
    const std::size_t nBytes = std::min<std::size_t>(nLength, kBitstreamBytes);
    if (nBytes > m_bytes.capacity())
        m_bytes.reserve(nBytes); // exactly: a learned bitstream never grows afterwards
    m_bytes.resize(nBytes);
    if (m_bytes.capacity() > nBytes)
        m_bytes.shrink_to_fit();
}
