#pragma once

#include "base/DocumentConstants.h"

#include <cstdint>
#include <span>
#include <vector>

// A learned bitstream: eight samples a byte, the earliest in the most significant bit, at most
// kBitstreamBytes bytes. Only the bytes in use are stored, so that a button never learned (and
// every megabutton) costs nothing; every byte at and past the length reads as zero.
class CBitstream
{
public:
    CBitstream() = default;
    // Takes at most the first kBitstreamBytes bytes.
    explicit CBitstream(std::vector<std::uint8_t> bytes);
    explicit CBitstream(std::span<const std::uint8_t> bytes);

    // Bytes in use, 0 to kBitstreamBytes; 0 means never learned.
    std::uint32_t GetLength() const { return static_cast<std::uint32_t>(m_bytes.size()); }
    std::span<const std::uint8_t> GetBytes() const { return m_bytes; }
    std::uint8_t operator[](std::size_t nIndex) const
    {
        return nIndex < m_bytes.size() ? m_bytes[nIndex] : std::uint8_t{0};
    }

    // Sets byte nIndex, lengthening the bitstream with zero bytes up to it when it lies past
    // the length. An index at or past kBitstreamBytes lies outside every bitstream and changes
    // nothing.
    void SetByte(std::size_t nIndex, std::uint8_t nValue);
    // Cuts the bitstream to nLength bytes, or lengthens it with zero bytes (at most to
    // kBitstreamBytes).
    void SetLength(std::uint32_t nLength);

    bool operator==(const CBitstream&) const = default;

private:
    std::vector<std::uint8_t> m_bytes;
};
