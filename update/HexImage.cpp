#include "update/HexImage.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Files.h"
#include "update/FirmwareTexts.h"

namespace fwut {
namespace {

// Characters per read, the line end included: a record line holds at most
// 198 characters, a data record at most 93 data bytes. Whatever is left of a
// longer line comes as the next line and fails its ':' test.
constexpr std::size_t kLineLimit = 199;

constexpr std::uint8_t kTypeData = 0x00;
constexpr std::uint8_t kTypeEndOfFile = 0x01;
constexpr std::uint8_t kTypeExtendedSegment = 0x02;
constexpr std::uint8_t kTypeStartSegment = 0x03;

// The module holds 64 KiB; a byte beyond would be sent as page 256, which it
// does not have.
constexpr std::size_t kImageLimit = 0x10000;

enum class RecordOutcome { Next, Complete, Invalid };

std::optional<int> HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return std::nullopt;
}

// The two-digit field at pos; nullopt when either digit is missing (the line
// ends first) or is not hexadecimal, so a short or damaged record can never
// put a made-up byte into the image.
std::optional<std::uint8_t> HexField(const std::string& line, std::size_t pos)
{
    if (pos + 1 >= line.size())
        return std::nullopt;
    const auto high = HexDigit(line[pos]);
    const auto low = HexDigit(line[pos + 1]);
    if (!high || !low)
        return std::nullopt;
    return static_cast<std::uint8_t>(*high * 16 + *low);
}

// Grows the image page by page, each new page blank (0xFF), so that it always
// ends with the page holding the highest address written.
void PutByte(std::vector<std::uint8_t>& image, std::size_t offset, std::uint8_t value)
{
    while (offset >= image.size())
        image.resize(image.size() + kImagePageSize, 0xFF);
    image[offset] = value;
}

RecordOutcome ApplyDataRecord(const std::string& line, std::uint8_t count, std::uint8_t high, std::uint8_t low,
                              std::vector<std::uint8_t>& image)
{
    unsigned sum = count + high + low + kTypeData;
    const std::size_t address = high * 256u + low;
    if (address + count > kImageLimit)
        return RecordOutcome::Invalid;
    for (std::size_t k = 0; k < count; ++k) {
        const auto data = HexField(line, 9 + 2 * k);
        if (!data)
            return RecordOutcome::Invalid;
        sum += *data;
        PutByte(image, address + k, *data);
    }
    const auto checksum = HexField(line, 9 + 2 * std::size_t{count});
    const unsigned expected = (256 - sum % 256) % 256;
    return (checksum && *checksum == expected) ? RecordOutcome::Next : RecordOutcome::Invalid;
}

RecordOutcome ApplyRecord(const std::string& line, std::vector<std::uint8_t>& image)
{
    if (line.empty() || line[0] != ':')
        return RecordOutcome::Invalid;
    const auto count = HexField(line, 1);
    const auto high = HexField(line, 3);
    const auto low = HexField(line, 5);
    const auto type = HexField(line, 7);
    if (!count || !high || !low || !type)
        return RecordOutcome::Invalid;
    switch (*type) {
    case kTypeData:
        return ApplyDataRecord(line, *count, *high, *low, image);
    case kTypeEndOfFile:
        return RecordOutcome::Complete;
    case kTypeExtendedSegment:
    case kTypeStartSegment:
        // Addresses stay 16-bit: these records are passed over unchecked.
        return RecordOutcome::Next;
    default:
        return RecordOutcome::Invalid;
    }
}

// True when the end-of-file record was reached with every record before it valid.
bool ReadImage(files::TextFile& hex, std::vector<std::uint8_t>& image)
{
    std::string line;
    while (hex.ReadLine(line, kLineLimit)) {
        switch (ApplyRecord(line, image)) {
        case RecordOutcome::Next:
            continue;
        case RecordOutcome::Complete:
            return true;
        case RecordOutcome::Invalid:
            return false;
        }
    }
    return false;
}

HexImageResult Abandon(files::BinaryFile& image, HexImageResult result)
{
    image.DeleteAndClose();
    return result;
}

}  // namespace

// The image is built in memory and written once it is known to be complete;
// the file itself is still created before the hex file is opened, so a busy
// or unsafe temporary file is reported first, as the operator expects.
HexImageResult ConvertHexFileToImage(const std::string& hexPath, const std::string& imagePath, files::BinaryFile& image)
{
    // Creating the image empties it: the HEX file must never be that file.
    if (files::SameFile(hexPath, imagePath))
        return HexImageResult::ImageIsHexFile;
    if (!image.CreateExclusive(imagePath))
        return HexImageResult::CannotCreateImage;
    std::vector<std::uint8_t> bytes;
    if (const HexImageResult read = ReadHexImage(hexPath, bytes); read != HexImageResult::Complete)
        return Abandon(image, read);
    // A short write (a full disk) would send a truncated image to the module.
    if (image.Write(bytes.data(), bytes.size()) != bytes.size())
        return Abandon(image, HexImageResult::CannotCreateImage);
    return HexImageResult::Complete;
}

HexImageResult ReadHexImage(const std::string& hexPath, std::vector<std::uint8_t>& image)
{
    files::TextFile hex;
    if (!hex.Open(hexPath, files::Access::Exclusive))
        return HexImageResult::CannotOpenHexFile;
    image.assign(kImagePageSize, 0xFF);
    return ReadImage(hex, image) ? HexImageResult::Complete : HexImageResult::InvalidHexFile;
}

std::string_view HexImageMessage(HexImageResult result)
{
    switch (result) {
    case HexImageResult::Complete:
        return {};
    case HexImageResult::CannotCreateImage:
    case HexImageResult::ImageIsHexFile:
        return kCannotCreateImageMessage;
    case HexImageResult::CannotOpenHexFile:
        return kCannotOpenFirmwareMessage;
    case HexImageResult::InvalidHexFile:
        return kInvalidHexFileMessage;
    }
    return {};
}

}  // namespace fwut
