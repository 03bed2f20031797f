// Conversion of the firmware's Intel HEX file (16-bit addresses) into the
// temporary image that the boot-loader transfer sends page by page: raw bytes
// in whole 256-byte pages, page 0 always present, unwritten bytes 0xFF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fwut {

inline constexpr std::size_t kImagePageSize = 256;

enum class HexImageResult { Complete, CannotCreateImage, CannotOpenHexFile, InvalidHexFile };

// Creates imagePath exclusively (refusing a link or another user's file),
// then reads hexPath with exclusive access. Anything but Complete leaves no
// image file behind.
HexImageResult ConvertHexFileToImage(const std::string& hexPath, const std::string& imagePath);

// The message box text for a failed conversion; empty for Complete.
std::string_view HexImageMessage(HexImageResult result);

}  // namespace fwut
