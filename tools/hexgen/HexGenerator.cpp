#include "tools/hexgen/HexGenerator.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace fwut::hexgen {
namespace {

constexpr unsigned kPageSize = 256;

// splitmix64: the standard library's distributions differ between
// implementations, and the files must not.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) { }

    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform enough in [low, high] for test data.
    unsigned Between(unsigned low, unsigned high) { return low + static_cast<unsigned>(Next() % (high - low + 1)); }

private:
    std::uint64_t m_state;
};

struct Record {
    unsigned address;
    std::vector<std::uint8_t> data;
};

Record MakeRecord(Random& random, unsigned address, unsigned size)
{
    Record record{address, std::vector<std::uint8_t>(size)};
    for (auto& byte : record.data)
        byte = static_cast<std::uint8_t>(random.Next());
    return record;
}

std::vector<Record> FillRecords(const HexGenOptions& options, Random& random)
{
    std::vector<Record> records;
    const unsigned end = options.pages * kPageSize;
    for (unsigned address = 0; address < end; address += options.recordBytes)
        records.push_back(MakeRecord(random, address, std::min(options.recordBytes, end - address)));
    return records;
}

std::vector<Record> SparseRecords(const HexGenOptions& options, Random& random)
{
    std::vector<Record> records;
    const unsigned end = options.pages * kPageSize;
    for (unsigned i = 0; i < 2 * options.pages; ++i) {
        const unsigned address = random.Between(0, end - 1);
        const unsigned size = std::min(random.Between(1, options.recordBytes), end - address);
        records.push_back(MakeRecord(random, address, size));
    }
    const unsigned lastSize = std::min(random.Between(1, options.recordBytes), end);
    records.push_back(MakeRecord(random, end - lastSize, lastSize));
    return records;
}

void Order(std::vector<Record>& records, RecordOrder order, Random& random)
{
    const auto byAddress = [](const Record& a, const Record& b) { return a.address < b.address; };
    switch (order) {
    case RecordOrder::Ascending:
        std::stable_sort(records.begin(), records.end(), byAddress);
        break;
    case RecordOrder::Descending:
        std::stable_sort(records.rbegin(), records.rend(), byAddress);
        break;
    case RecordOrder::Shuffled:
        for (std::size_t i = records.size(); i > 1; --i)
            std::swap(records[i - 1], records[random.Next() % i]);
        break;
    }
}

void AppendByte(std::string& line, unsigned value, unsigned& sum)
{
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", value & 0xFFu);
    line += digits;
    sum += value;
}

std::string FormatRecord(unsigned address, unsigned type, const std::vector<std::uint8_t>& data, const char* lineEnd)
{
    std::string line = ":";
    unsigned sum = 0;
    AppendByte(line, static_cast<unsigned>(data.size()), sum);
    AppendByte(line, address >> 8, sum);
    AppendByte(line, address, sum);
    AppendByte(line, type, sum);
    for (const auto byte : data)
        AppendByte(line, byte, sum);
    unsigned ignored = 0;
    AppendByte(line, (256 - sum % 256) % 256, ignored);
    return line + lineEnd;
}

}  // namespace

std::string GenerateHex(const HexGenOptions& options)
{
    Random random(options.seed);
    auto records = options.fill ? FillRecords(options, random) : SparseRecords(options, random);
    Order(records, options.order, random);
    const char* lineEnd = options.crlf ? "\r\n" : "\n";
    std::string text;
    for (const auto& record : records)
        text += FormatRecord(record.address, 0x00, record.data, lineEnd);
    return text + FormatRecord(0, 0x01, {}, lineEnd);
}

}  // namespace fwut::hexgen
