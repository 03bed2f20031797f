// The firmware files' texts as the operator sees them, blanks included. The
// status lines and message boxes are built from these pieces.
#pragma once

#include <string>
#include <string_view>

namespace fwut {

inline constexpr std::string_view kProductName = "FieldGatherer Mobile Module";

inline constexpr std::string_view kFirmwareFileCaption = "FieldGatherer Mobile Module Update";
inline constexpr std::string_view kUpdateErrorCaption = "Firmware Update Error";

inline constexpr std::string_view kDescriptionFileName = "FieldGatherer_MM_Psion.txt";
inline constexpr std::string_view kTempImageName = "Hex.tmp";

inline constexpr std::string_view kFirmwareFilePrefix = "Firmware file  =  ";
inline constexpr std::string_view kFirmwareVersionPrefix = "Firmware version  =  ";

inline constexpr std::string_view kCannotCreateImageMessage =
    "Unable to create the temporary firmware file.               ";
inline constexpr std::string_view kCannotOpenFirmwareMessage = "Unable to open the firmware file.";
inline constexpr std::string_view kInvalidHexFileMessage = "Invalid firmware hex file.";

// "wil" is the text as the operator has always seen it.
inline std::string DescriptionFileMessage(const std::string& fullPath)
{
    return "Unable to open the firmware description file:     \n     " + fullPath +
           "     \n\nFirmware update wil be disabled.";
}

// Shows the name from the description file, not the full path.
inline std::string HexFileMessage(const std::string& fileName)
{
    return "Unable to open the firmware hex file:     \n     " + fileName + "     ";
}

// The HEX file was replaced or rewritten between its conversion and the
// transfer: the image made of the old one is not sent.
inline std::string HexFileChangedMessage(const std::string& fileName)
{
    return "The firmware hex file changed during the update:     \n     " + fileName +
           "     \n\nNo firmware was sent to the " + std::string(kProductName) +
           ". Start the update again to send the file as it is now.     ";
}

}  // namespace fwut
