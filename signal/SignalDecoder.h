#pragma once

#include "signal/DecodedSignal.h"

#include <cstdint>
#include <span>
#include <string>

// Decodes the first complete frame of mark and space durations (microseconds, a mark first, as
// ToDurations gives them). Frames are told apart by a space of several milliseconds; a frame
// that no protocol explains, say a press cut short at the start of the recording, is passed
// over, and so is a protocol's lead (Blaupunkt's sync). Each duration may stray by a good tenth
// from its nominal length, and a receiver may lengthen marks (and shorten spaces) by up to 150
// microseconds, short marks by 250. A frame whose lead was missed (JVC's repeats) is read from
// the protocol's repeat frame when that carries the code.
SDecodedSignal DecodeSignal(std::span<const std::uint32_t> durations);

// "NEC address 0x04 command 0x12", "Sony 15-bit address 0x97 command 0x15", "unknown (67 runs)".
std::string DescribeSignal(const SDecodedSignal& decoded);

const char* GetProtocolName(EProtocol eProtocol);

// The carrier, in hertz, that remotes of the protocol modulate their marks with; 0 when the
// protocol is not known.
std::uint32_t GetProtocolCarrier(EProtocol eProtocol);
