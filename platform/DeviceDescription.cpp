#include "platform/DeviceDescription.h"

#include <algorithm>

namespace fwut {
namespace {

// The fact without surrounding blanks, and no longer than a fact may be.
std::string Trimmed(const std::string& text, std::size_t limit = kMaxFactLength)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, std::min(last - first + 1, limit));
}

void Append(std::string& list, const std::string& item, const char* separator)
{
    if (!item.empty()) {
        list += (list.empty() ? "" : separator) + item;
    }
}

std::string Capped(const std::string& text)
{
    return text.size() <= kMaxDescriptionLength ? text : text.substr(0, kMaxDescriptionLength - 3) + "...";
}

}  // namespace

std::string DescribeUdevDevice(const UdevFacts& facts)
{
    std::string name = Trimmed(facts.product);
    if (name.empty()) {
        const std::string vendor = Trimmed(facts.manufacturer);
        Append(name, vendor.empty() ? Trimmed(facts.databaseVendor) : vendor, " ");
        Append(name, Trimmed(facts.databaseModel), " ");
    }
    std::string details;
    const std::string vendorId = Trimmed(facts.vendorId);
    const std::string productId = Trimmed(facts.productId);
    if (!vendorId.empty() && !productId.empty()) {
        details = vendorId + ":" + productId;
    }
    if (const std::string serial = Trimmed(facts.serial); !serial.empty()) {
        Append(details, "serial " + serial, ", ");
    }
    if (details.empty()) {
        return Capped(name);
    }
    return Capped((name.empty() ? std::string("USB device") : name) + " (" + details + ")");
}

std::string DescribeSetupApiDevice(const std::string& friendlyName, const std::string& hardwareIds)
{
    std::string description = Trimmed(friendlyName);
    // The list's first string is the most specific id.
    Append(description, Trimmed(hardwareIds.substr(0, hardwareIds.find('\0'))), ", ");
    return Capped(description);
}

}  // namespace fwut
