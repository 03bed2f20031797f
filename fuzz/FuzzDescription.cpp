// libFuzzer target for the firmware description file and the way its texts
// reach a terminal: any file gives two lines of at most 4096 characters
// without line ends, and their printable forms hold no control character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include "platform/Files.h"
#include "platform/Printable.h"
#include "update/FirmwareDescription.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckPrintable(const std::string& text)
{
    for (const char c : fwut::Printable(text)) {
        const auto byte = static_cast<unsigned char>(c);
        Check(byte >= 0x20 || byte == '\t');
        Check(byte != 0x7F);
    }
}

void CheckLine(const std::string& line)
{
    Check(line.size() <= 4096);
    Check(line.find('\n') == std::string::npos);
    CheckPrintable(line);
}

}  // namespace

// A file of this fuzzing process's own, removed when it ends.
struct WorkFile {
    const std::string path =
        fwut::files::TemporaryFolder() + "fwut-fuzz-description-" + std::to_string(::getpid()) + ".txt";
    ~WorkFile() { ::unlink(path.c_str()); }
};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const WorkFile file;
    std::ofstream(file.path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const auto description = fwut::ReadDescriptionFile(file.path);
    Check(description.has_value());
    CheckLine(description->version);
    CheckLine(description->fileName);
    CheckPrintable(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
