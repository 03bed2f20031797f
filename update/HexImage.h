// Conversion of the firmware's Intel HEX file (16-bit addresses) into the
// temporary image that the boot-loader transfer sends page by page: raw bytes
// in whole 256-byte pages, page 0 always present, unwritten bytes 0xFF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Files.h"

namespace fwut {

inline constexpr std::size_t kImagePageSize = 256;

enum class HexImageResult { Complete, CannotCreateImage, ImageIsHexFile, CannotOpenHexFile, InvalidHexFile };

// Creates imagePath exclusively (refusing a link, another user's file or a
// file another program holds), then reads hexPath with exclusive access.
// An image path that names the HEX file itself is refused before anything is
// written. On Complete, image holds the finished image, still open and held
// exclusively; anything else leaves no image file behind and image closed.
HexImageResult ConvertHexFileToImage(const std::string& hexPath, const std::string& imagePath,
                                     files::BinaryFile& image);

// The same conversion into memory, for an image that is not the update's:
// Complete, CannotOpenHexFile or InvalidHexFile. Nothing is written.
HexImageResult ReadHexImage(const std::string& hexPath, std::vector<std::uint8_t>& image);

// The message box text for a failed conversion; empty for Complete.
std::string_view HexImageMessage(HexImageResult result);

}  // namespace fwut
