#pragma once

#include "document/CBitstream.h"

#include <cstdint>
#include <span>
#include <vector>

// The run-length encoding that keeps learned bitstreams small in a document file.
//
// Encoded form, most significant bit of each byte first: one bit with the level of the first
// sample, then for every run of equal samples a two-bit width code (00: 4 bits, 01: 8 bits,
// 10: 16 bits, 11: 32 bits) followed by the run length in that many bits. Runs alternate in
// level; the last byte is padded with zero bits, which decode as empty runs.

// Encodes the samples of bits (at most kBitstreamBytes bytes) into encoded. False, with
// encoded left incomplete, when the result would be longer than kBitstreamBytes: a bitstream
// that irregular cannot be stored.
bool CompressBitstream(std::span<const std::uint8_t> bits, std::vector<std::uint8_t>& encoded);

// Decodes encoded into bits, whose storage takes exactly the decoded length. False, with bits
// left as they were, on data no encoder writes: more than kBitstreamBytes encoded bytes or runs
// that reach past kBitstreamSamples.
bool ExpandBitstream(std::span<const std::uint8_t> encoded, CBitstream& bits);
