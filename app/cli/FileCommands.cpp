// The offline commands: convert a HEX file, check a firmware folder.
#include <cstdio>
#include <string>

#include "app/cli/Commands.h"
#include "app/cli/ExitCodes.h"
#include "platform/ConsoleSignals.h"
#include "platform/Files.h"
#include "update/FirmwareDescription.h"
#include "update/FirmwareTexts.h"
#include "update/HexImage.h"

namespace fwut::cli {

namespace {

int ExitCodeFor(HexImageResult result)
{
    switch (result) {
    case HexImageResult::Complete: return kExitSuccess;
    case HexImageResult::CannotCreateImage: return kExitTemporaryFile;
    case HexImageResult::CannotOpenHexFile:
    case HexImageResult::InvalidHexFile: return kExitFirmwareFile;
    }
    return kExitInternalError;
}

std::uint64_t ImageLength(const std::string& path)
{
    files::BinaryFile image;
    if (!image.OpenExclusive(path)) {
        return 0;
    }
    return image.Length().value_or(0);
}

std::string WithTrailingSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

}  // namespace

int RunConvert(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 2) {
        std::fputs("Usage: fwut-cli convert HEXFILE IMAGEFILE\n", stderr);
        return kExitUsage;
    }
    const HexImageResult result = ConvertHexFileToImage(arguments[0], arguments[1]);
    if (result != HexImageResult::Complete) {
        std::fprintf(stderr, "%s\n", std::string(HexImageMessage(result)).c_str());
        return ExitCodeFor(result);
    }
    const std::uint64_t length = ImageLength(arguments[1]);
    std::printf("%s: %llu pages (%llu bytes)\n", arguments[1].c_str(),
                static_cast<unsigned long long>(length / kImagePageSize),
                static_cast<unsigned long long>(length));
    return kExitSuccess;
}

int RunCheck(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1) {
        std::fputs("Usage: fwut-cli check DIR\n", stderr);
        return kExitUsage;
    }
    const std::string folder = WithTrailingSlash(arguments[0]);
    const std::string descriptionPath = folder + std::string(kDescriptionFileName);
    const std::optional<FirmwareDescription> description = ReadDescriptionFile(descriptionPath);
    if (!description) {
        std::fprintf(stderr, "%s\n", DescriptionFileMessage(descriptionPath).c_str());
        return kExitFirmwareFile;
    }
    std::printf("%s%s\n", std::string(kFirmwareVersionPrefix).c_str(), description->version.c_str());

    const std::string hexPath = folder + description->fileName;
    const std::optional<std::tm> modified = OpenFirmwareFileDate(hexPath);
    if (!modified) {
        std::fprintf(stderr, "%s\n", HexFileMessage(description->fileName).c_str());
        return kExitFirmwareFile;
    }
    std::printf("%s%s%s\n", std::string(kFirmwareFilePrefix).c_str(), description->fileName.c_str(),
                FormatFirmwareDate(*modified).c_str());

    // A name of its own, so that a running update's "Hex.tmp" is left alone.
    const std::string imagePath =
        files::TemporaryFolder() + "fwut-check-" + std::to_string(console::ProcessId()) + ".tmp";
    const HexImageResult result = ConvertHexFileToImage(hexPath, imagePath);
    if (result != HexImageResult::Complete) {
        std::fprintf(stderr, "%s\n", std::string(HexImageMessage(result)).c_str());
        return ExitCodeFor(result);
    }
    const std::uint64_t length = ImageLength(imagePath);
    files::Delete(imagePath);
    std::printf("Image: %llu pages (%llu bytes)\n",
                static_cast<unsigned long long>(length / kImagePageSize),
                static_cast<unsigned long long>(length));
    return kExitSuccess;
}

}  // namespace fwut::cli
