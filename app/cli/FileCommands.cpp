// The offline commands: convert a HEX file, check a firmware folder.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/Commands.h"
#include "app/ExitCodes.h"
#include "platform/ConsoleSignals.h"
#include "platform/Files.h"
#include "app/Printable.h"
#include "app/cli/JsonOutput.h"
#include "platform/Sha256.h"
#include "update/FirmwareDescription.h"
#include "update/FirmwareTexts.h"
#include "update/HexImage.h"

namespace fwut::cli {

namespace {

int ExitCodeFor(HexImageResult result)
{
    switch (result) {
    case HexImageResult::Complete:
        return kExitSuccess;
    case HexImageResult::CannotCreateImage:
        return kExitTemporaryFile;
    case HexImageResult::ImageIsHexFile:
        return kExitUsage;
    case HexImageResult::CannotOpenHexFile:
    case HexImageResult::InvalidHexFile:
        return kExitFirmwareFile;
    }
    return kExitInternalError;
}

std::string WithTrailingSlash(std::string folder)
{
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

void PrintPages(const char* what, std::uint64_t length)
{
    std::printf("%s: %llu pages (%llu bytes)\n", what, static_cast<unsigned long long>(length / kImagePageSize),
                static_cast<unsigned long long>(length));
}

// A stop request is only noted; the command looks at it before it puts a
// file in place, so that it can remove its own files first.
void NoteStopRequest()
{
}

int Interrupted(const char* command)
{
    std::fprintf(stderr, "fwut-cli %s: interrupted; no file was changed.\n", command);
    return kExitInterrupted;
}

}  // namespace

// The image is made in memory and then replaces the output whole, so that a
// wrong argument, an unreadable input, a full disk or a stop request leaves
// every existing file as it was.
int RunConvert(const std::string& hexPath, const std::string& imagePath)
{
    console::OnInterruptRequest(NoteStopRequest);
    if (files::SameFile(hexPath, imagePath)) {
        std::fprintf(stderr, "fwut-cli convert: %s is the HEX file itself; choose another image file.\n",
                     Printable(imagePath).c_str());
        return ExitCodeFor(HexImageResult::ImageIsHexFile);
    }
    std::vector<std::uint8_t> bytes;
    const HexImageResult result = ReadHexImage(hexPath, bytes);
    if (result != HexImageResult::Complete) {
        std::fprintf(stderr, "%s\n", std::string(HexImageMessage(result)).c_str());
        return ExitCodeFor(result);
    }
    if (console::StopRequested()) {
        return Interrupted("convert");
    }
    files::ReplacementFile image;
    const bool written = image.Create(imagePath) && image.Write(bytes.data(), bytes.size());
    if (written && console::StopRequested()) {
        return Interrupted("convert");
    }
    if (!written || !image.Commit()) {
        std::fprintf(stderr, "fwut-cli convert: cannot write %s: %s.\n", Printable(imagePath).c_str(),
                     Printable(image.Problem()).c_str());
        return kExitTemporaryFile;
    }
    PrintPages(Printable(imagePath).c_str(), bytes.size());
    return kExitSuccess;
}

int RunCheck(const std::string& folderArgument, bool json)
{
    // Noted rather than ending the process, which would leave the scratch
    // image behind; set before the first file is opened.
    console::OnInterruptRequest(NoteStopRequest);
    if (json) {
        WriteJsonStart("check");
    }
    const std::string folder = WithTrailingSlash(folderArgument);
    const std::string descriptionPath = folder + std::string(kDescriptionFileName);
    const std::optional<FirmwareDescription> description = ReadDescriptionFile(descriptionPath);
    if (!description) {
        std::fprintf(stderr, "%s\n", Printable(DescriptionFileMessage(descriptionPath), true).c_str());
        return kExitFirmwareFile;
    }
    if (!json) {
        std::printf("%s\n", Printable(std::string(kFirmwareVersionPrefix) + description->version).c_str());
    }

    const std::string hexPath = folder + description->fileName;
    const std::optional<std::tm> modified = OpenFirmwareFileDate(hexPath);
    if (!modified) {
        std::fprintf(stderr, "%s\n", Printable(HexFileMessage(description->fileName), true).c_str());
        return kExitFirmwareFile;
    }
    if (!json) {
        std::printf("%s\n",
                    Printable(std::string(kFirmwareFilePrefix) + description->fileName + FormatFirmwareDate(*modified))
                        .c_str());
    }

    // A name of its own, so that a running update's "Hex.tmp" is left alone.
    const std::string imagePath =
        files::TemporaryFolder() + "fwut-check-" + std::to_string(console::ProcessId()) + ".tmp";
    files::BinaryFile image;
    const HexImageResult result = ConvertHexFileToImage(hexPath, imagePath, image);
    if (result != HexImageResult::Complete) {
        std::fprintf(stderr, "%s\n", std::string(HexImageMessage(result)).c_str());
        return ExitCodeFor(result);
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(image.Length().value_or(0)));
    if (!image.Seek(0) || image.Read(bytes.data(), bytes.size()) != bytes.size()) {
        bytes.clear();
    }
    image.DeleteAndClose();
    if (console::StopRequested()) {
        return Interrupted("check");
    }
    // The fingerprint of what an update would send, as its record names it.
    const std::string sha256 = Sha256Hex(bytes.data(), bytes.size());
    if (json) {
        WriteJsonLine({{"event", "firmware"},
                       {"version", description->version},
                       {"hex_file", description->fileName},
                       {"date", FormatFirmwareDate(*modified)},
                       {"pages", bytes.size() / kImagePageSize},
                       {"bytes", bytes.size()},
                       {"sha256", sha256}});
        return kExitSuccess;
    }
    PrintPages("Image", bytes.size());
    std::printf("SHA-256: %s\n", sha256.c_str());
    return kExitSuccess;
}

}  // namespace fwut::cli
