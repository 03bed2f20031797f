// Deterministic Intel HEX files (16-bit addresses, data and end records only)
// for the sample firmware, the conversion tests and the fuzz corpus.
#pragma once

#include <cstdint>
#include <string>

namespace fwut::hexgen {

enum class RecordOrder { Ascending, Descending, Shuffled };

struct HexGenOptions {
    // The image covers exactly this many 256-byte pages: the last record ends
    // on the last byte of the last page.
    unsigned pages = 1;
    std::uint64_t seed = 1;
    // Data bytes per record; sparse records take a random size up to this.
    unsigned recordBytes = 16;
    // Every byte written, in records of recordBytes that never overlap; else
    // about two records per page at random places, which may overlap.
    bool fill = false;
    RecordOrder order = RecordOrder::Ascending;
    bool crlf = false;
};

inline constexpr unsigned kMaxPages = 256;
inline constexpr unsigned kMaxRecordBytes = 255;

// The whole file text, ending with the end-of-file record, for pages
// 1..kMaxPages and recordBytes 1..kMaxRecordBytes. The same options give the
// same text on every system.
std::string GenerateHex(const HexGenOptions& options);

}  // namespace fwut::hexgen
