// libFuzzer target for the HEX conversion: any input either yields a whole
// number of pages or leaves no image file at all.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include "platform/Files.h"
#include "update/HexImage.h"

namespace {

// One private folder per fuzzing process, removed when it ends.
class WorkFolder {
public:
    WorkFolder()
    {
        std::string pattern = fwut::files::TemporaryFolder() + "fwut-fuzz-hex-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path_ = pattern + "/";
    }
    ~WorkFolder()
    {
        ::unlink(Hex().c_str());
        ::unlink(Image().c_str());
        ::rmdir(path_.c_str());
    }
    std::string Hex() const { return path_ + "firmware.hex"; }
    std::string Image() const { return path_ + "Hex.tmp"; }

private:
    std::string path_;
};

// At most 256 pages: a record that runs past 0xFFFF makes the file invalid.
constexpr std::uint64_t kMaxImage = 256 * fwut::kImagePageSize;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const WorkFolder folder;
    std::ofstream(folder.Hex(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    fwut::files::BinaryFile image;
    const auto result = fwut::ConvertHexFileToImage(folder.Hex(), folder.Image(), image);
    if (result != fwut::HexImageResult::Complete) {
        Check(result == fwut::HexImageResult::InvalidHexFile);
        Check(::access(folder.Image().c_str(), F_OK) != 0);
        return 0;
    }
    const auto length = image.Length();
    Check(length && *length > 0 && *length % fwut::kImagePageSize == 0 && *length <= kMaxImage);
    image.DeleteAndClose();
    return 0;
}
