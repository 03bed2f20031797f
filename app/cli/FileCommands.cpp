// The offline commands: convert a HEX file, check a firmware folder.
#include <ctime>
#include <string>
#include <vector>

#include "app/cli/Commands.h"
#include "app/cli/ConsoleOutput.h"
#include "app/cli/JsonOutput.h"
#include "platform/ConsoleSignals.h"
#include "platform/Files.h"
#include "platform/Printable.h"
#include "platform/Sha256.h"
#include "update/FirmwareDescription.h"
#include "update/FirmwareTexts.h"
#include "update/HexImage.h"
#include "update/Outcomes.h"

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

std::string Pages(const std::string& what, std::uint64_t length)
{
    return Format("%s: %llu pages (%llu bytes)\n", what.c_str(),
                  static_cast<unsigned long long>(length / kImagePageSize), static_cast<unsigned long long>(length));
}

// "2026-12-08T16:57:10", the computer's local time as the window shows it.
std::string IsoDate(const std::tm& local)
{
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// A stop request is only noted; the command looks at it before it puts a
// file in place, so that it can remove its own files first.
void NoteStopRequest()
{
}

int Interrupted(const char* command)
{
    ConsoleOutput::Instance().PrintError(Format("fwut-cli %s: interrupted; no file was changed.\n", command));
    return kExitInterrupted;
}

}  // namespace

// The image is made in memory and then replaces the output whole, so that a
// wrong argument, an unreadable input, a full disk or a stop request leaves
// every existing file as it was.
int RunConvert(const std::string& hexPath, const std::string& imagePath)
{
    ConsoleOutput& out = ConsoleOutput::Instance();
    console::OnInterruptRequest(NoteStopRequest);
    if (files::SameFile(hexPath, imagePath)) {
        out.PrintError("fwut-cli convert: " + Printable(imagePath) +
                       " is the HEX file itself; choose another image file.\n");
        return ExitCodeFor(HexImageResult::ImageIsHexFile);
    }
    std::vector<std::uint8_t> bytes;
    const HexImageResult result = ReadHexImage(hexPath, bytes);
    if (result != HexImageResult::Complete) {
        out.PrintError(std::string(HexImageMessage(result)) + "\n");
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
        out.PrintError("fwut-cli convert: cannot write " + Printable(imagePath) + ": " + Printable(image.Problem()) +
                       ".\n");
        return kExitTemporaryFile;
    }
    out.Print(Pages(Printable(imagePath), bytes.size()));
    return kExitSuccess;
}

int RunCheck(const std::string& folderArgument, bool json)
{
    ConsoleOutput& out = ConsoleOutput::Instance();
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
        out.PrintError(Printable(DescriptionFileMessage(descriptionPath), true) + "\n");
        return kExitFirmwareFile;
    }
    if (!json) {
        out.Print(Printable(std::string(kFirmwareVersionPrefix) + description->version) + "\n");
    }

    const std::string hexPath = folder + description->fileName;
    const std::optional<std::tm> modified = OpenFirmwareFileDate(hexPath);
    if (!modified) {
        out.PrintError(Printable(HexFileMessage(description->fileName), true) + "\n");
        return kExitFirmwareFile;
    }
    if (!json) {
        out.Print(Printable(std::string(kFirmwareFilePrefix) + description->fileName + FormatFirmwareDate(*modified)) +
                  "\n");
    }

    // A name of its own, so that a running update's "Hex.tmp" is left alone.
    const std::string imagePath =
        files::TemporaryFolder() + "fwut-check-" + std::to_string(console::ProcessId()) + ".tmp";
    files::BinaryFile image;
    const HexImageResult result = ConvertHexFileToImage(hexPath, imagePath, image);
    if (result != HexImageResult::Complete) {
        out.PrintError(std::string(HexImageMessage(result)) + "\n");
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
                       {"date", IsoDate(*modified)},
                       {"pages", bytes.size() / kImagePageSize},
                       {"bytes", bytes.size()},
                       {"sha256", sha256}});
        return kExitSuccess;
    }
    out.Print(Pages("Image", bytes.size()));
    out.Print("SHA-256: " + sha256 + "\n");
    return kExitSuccess;
}

}  // namespace fwut::cli
