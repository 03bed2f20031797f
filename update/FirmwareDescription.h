// The firmware description file beside the program (line 1 the version text,
// line 2 the hex file's name) and the date shown for the hex file.
#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace fwut {

struct FirmwareDescription {
    std::string version;
    std::string fileName;
};

// Lines are taken without their line end and without trimming; a missing
// line is empty. nullopt when the file cannot be opened.
std::optional<FirmwareDescription> ReadDescriptionFile(const std::string& path);

// The date part of the "Firmware file" status line, e.g.
// "     (3-7-2024,  1:45:09 PM)".
std::string FormatFirmwareDate(const std::tm& local);

// The hex file's local modification time; nullopt when the file cannot be
// opened for reading.
std::optional<std::tm> OpenFirmwareFileDate(const std::string& path);

}  // namespace fwut
