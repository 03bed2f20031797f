// What the transfer and its report say to the operator, and what they say
// to the boot loader.
#pragma once

#include <string>

#include "ui/ContactInformation.h"
#include "update/FirmwareTexts.h"

namespace fwut {

constexpr const char* kBootLoaderRequest = "^#+-QX-RTB-427-6.05";
constexpr const char* kAcceptedVersions[] = {"FG-DMM-2.31", "FG-DMM-2.32"};
constexpr std::size_t kVersionLength = 11;

inline const std::string kNoResponseHead = "No response from the " + std::string(kProductName) + ".";
inline const std::string kInvalidVersionHead =
    "Invalid version response from the " + std::string(kProductName) + ".     ";
inline const std::string kNoReadyHead = "No ready response from the " + std::string(kProductName) + ".     ";
inline const std::string kInvalidReadyHead = "Invalid ready response from the " + std::string(kProductName) + ".     ";
// Only a console's Ctrl-C during the transfer leads here.
inline const std::string kInterruptedHead = "The firmware update was interrupted by the operator.     ";

inline const std::string kFailureTail =
    std::string("\n\n") + "Firmware update terminated.\n" + "\n" +
    "If some of the firmware file was transferred, the firmware in the " + std::string(kProductName) +
    " may be corrupt.     \n" + "\n" + "You should retry the firmware update procedure.\n" + "\n" +
    "If you continue to have problems, contact Fernhollow Systems for support.\n" + "     " + contact::kOfficeHours +
    "\n" + "     Phone: " + contact::kPhone + "\n" + "     Email: " + contact::kSupportEmail + "\n" +
    "     Web: " + contact::kWebAddress + "\n" + "\n";

inline const std::string kUpdateSucceededMessage =
    "The " + std::string(kProductName) + " firmware has been successfully updated.     ";
inline const std::string kUpdateSucceededStatus = std::string(kProductName) + " firmware successfully updated";
constexpr const char* kUpdateFailedStatus = "Firmware update failed";
constexpr const char* kCannotOpenTempImage = "Unable to open the temporary firmware file.               ";
constexpr const char* kCaptionUpdateComplete = "Firmware Update Complete";

// The progress line for page (from 1) of pageCount.
inline std::string ProgressText(int page, int pageCount)
{
    return "Sending firmware page  " + std::to_string(page) + "  of  " + std::to_string(pageCount);
}

}  // namespace fwut
