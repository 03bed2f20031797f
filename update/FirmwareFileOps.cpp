// The dialog's side of the firmware files: what it shows on its status lines
// and in message boxes while reading, checking, converting and deleting them.
#include <cstdint>
#include <vector>

#include "resources/resource.h"
#include "platform/FileIdentity.h"
#include "platform/Files.h"
#include "platform/Sha256.h"
#include "ui/FWUT_UpdateDlg.h"
#include "update/FirmwareDescription.h"
#include "update/FirmwareTexts.h"
#include "update/HexImage.h"

namespace fwut {

void CFWUT_UpdateDlg::ReadFirmwareDescription()
{
    const std::string path = m_programDir + std::string(kDescriptionFileName);
    const std::optional<FirmwareDescription> description = ReadDescriptionFile(path);
    bool usable = false;
    if (!description) {
        m_window.MessageBoxA(DescriptionFileMessage(path), std::string(kFirmwareFileCaption),
                             MB_OK | MB_ICONEXCLAMATION);
    } else {
        m_firmwareVersion = description->version;
        m_firmwareFileName = description->fileName;
        // Only a program started without a folder and a description without a
        // file name make an empty path: that case is quietly not usable.
        usable = !(m_programDir + m_firmwareFileName).empty() && VerifyFirmwareFile();
    }
    if (!usable) {
        m_firmwareVersion.clear();
        m_firmwareFileName.clear();
    }
    SetText(IDC_FIRMWARE_VERSION, std::string(kFirmwareVersionPrefix) + m_firmwareVersion);
    if (!usable) {
        Enable(IDC_BEGIN_UPDATE, false);
    }
}

bool CFWUT_UpdateDlg::VerifyFirmwareFile()
{
    const std::optional<std::tm> modified = OpenFirmwareFileDate(m_programDir + m_firmwareFileName);
    std::string datePart;
    if (modified) {
        datePart = FormatFirmwareDate(*modified);
    } else {
        m_window.MessageBoxA(HexFileMessage(m_firmwareFileName), std::string(kFirmwareFileCaption),
                             MB_OK | MB_ICONEXCLAMATION);
        Enable(IDC_BEGIN_UPDATE, false);
    }
    SetText(IDC_FIRMWARE_FILE, std::string(kFirmwareFilePrefix) + m_firmwareFileName + datePart);
    return modified.has_value();
}

// The image stays open and held exclusively until DeleteTempImage(), and the
// transfer reads it through the same handle: another copy of the program
// cannot convert over it, and nothing else can change what is sent.
bool CFWUT_UpdateDlg::ConvertHexFile()
{
    // Taken before the file is read, so that any change after it shows.
    m_convertedHexFile = files::IdentityOf(m_programDir + m_firmwareFileName);
    const HexImageResult result =
        ConvertHexFileToImage(m_programDir + m_firmwareFileName, TempImagePath(), m_tempImage);
    if (result == HexImageResult::Complete) {
        TellImageConverted();
        return true;
    }
    const bool imageProblem = result == HexImageResult::CannotCreateImage || result == HexImageResult::ImageIsHexFile;
    m_lastOutcome = imageProblem ? UpdateOutcome::TemporaryFile : UpdateOutcome::ConversionFailed;
    m_window.MessageBoxA(std::string(HexImageMessage(result)), std::string(kUpdateErrorCaption), MB_OK);
    return false;
}

// The image as it will be sent: its pages and its fingerprint.
void CFWUT_UpdateDlg::TellImageConverted()
{
    const std::uint64_t length = m_tempImage.Length().value_or(0);
    std::vector<std::uint8_t> image(static_cast<std::size_t>(length));
    if (!m_tempImage.Seek(0) || m_tempImage.Read(image.data(), image.size()) != image.size()) {
        image.clear();
    }
    Tell(events::ImageConverted{static_cast<int>(image.size() / static_cast<std::size_t>(m_pageSize)),
                                Sha256Hex(image.data(), image.size())});
}

bool CFWUT_UpdateDlg::HexFileUnchangedSinceConversion()
{
    if (m_convertedHexFile && files::IdentityOf(m_programDir + m_firmwareFileName) == m_convertedHexFile) {
        return true;
    }
    // Written again into the same image (an editor that saves unchanged, a
    // sync tool, other line ends): the image held then goes out.
    if (HexFileConvertsToHeldImage()) {
        return true;
    }
    m_window.MessageBoxA(HexFileChangedMessage(m_firmwareFileName), std::string(kFirmwareFileCaption),
                         MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool CFWUT_UpdateDlg::HexFileConvertsToHeldImage()
{
    std::vector<std::uint8_t> now;
    if (ReadHexImage(m_programDir + m_firmwareFileName, now) != HexImageResult::Complete) {
        return false;
    }
    std::vector<std::uint8_t> held(now.size());
    return m_tempImage.Length() == now.size() && m_tempImage.Seek(0) &&
           m_tempImage.Read(held.data(), held.size()) == held.size() && held == now;
}

// Only the image this run made: a "Hex.tmp" that another copy holds stays.
void CFWUT_UpdateDlg::DeleteTempImage()
{
    m_tempImage.DeleteAndClose();
}

}  // namespace fwut
