// How the facts that each system keeps about a serial device become the one
// line of PortDescriptions, apart from the calls that read them, so that
// recorded facts give the same lines as live ones.
#pragma once

#include <cstddef>
#include <string>

namespace fwut {

// Longest description and longest single fact: texts come from the device's
// own descriptors, which anything plugged in may fill as it likes.
constexpr std::size_t kMaxDescriptionLength = 160;
constexpr std::size_t kMaxFactLength = 64;

// What udev knows of a tty: the attributes of the USB device it belongs to
// (empty for a port that is not on USB) and the names from udev's hardware
// database, which also cover PCI cards.
struct UdevFacts {
    std::string product;  // the USB device's "product" attribute
    std::string manufacturer;  // its "manufacturer" attribute
    std::string vendorId;  // "idVendor", four hex digits
    std::string productId;  // "idProduct"
    std::string serial;  // "serial"
    std::string databaseVendor;  // property ID_VENDOR_FROM_DATABASE
    std::string databaseModel;  // property ID_MODEL_FROM_DATABASE
};

// "FT232R USB UART (0403:6001, serial A12345)": the device's own product
// name, else the vendor and model names; then the USB ids and the serial
// number where there are any. Empty when no fact is known.
std::string DescribeUdevDevice(const UdevFacts& facts);

// "USB Serial Port (COM5), FTDIBUS\COMPORT&VID_0403&PID_6001": SetupAPI's
// friendly name and the first of the device's hardware ids (a list of
// strings, each ended by a zero, as SPDRP_HARDWAREID gives it).
std::string DescribeSetupApiDevice(const std::string& friendlyName, const std::string& hardwareIds);

}  // namespace fwut
