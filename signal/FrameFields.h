#pragma once

#include "signal/DecodedSignal.h"
#include "signal/ProtocolTable.h"

#include <array>
#include <cstdint>
#include <vector>

// The fields of a frame (SFrameItem) and the bits that carry them. A frame word holds a frame's
// bits in the order they are sent: bit 0 is the first sent.

// The value of each field letter, 'A' at index 0.
using CFieldValues = std::array<std::uint32_t, 26>;

// The fields a code gives in this protocol: its address split into D, S and E, the command as F.
CFieldValues ToFieldValues(const SProtocolForm& form, const SDecodedSignal& code);

// The code the fields make, as the decoder reports it.
SDecodedSignal FromFieldValues(const SProtocolForm& form, const CFieldValues& values);

// The word the items send for these field values.
std::uint64_t BuildFrameWord(const SProtocolForm& form, const std::vector<SFrameItem>& items,
                             const CFieldValues& values);

// The field values a word carries; false when a constant, an inverted copy or a check field
// does not agree with the rest.
bool ReadFrameWord(const SProtocolForm& form, const std::vector<SFrameItem>& items,
                   std::uint64_t nWord, CFieldValues& values);

// Whether the code's address, command and maker fit the protocol's fields.
bool FitsProtocol(const SProtocolForm& form, const SDecodedSignal& code);
