#include "platform/FileIdentity.h"

#include <sys/stat.h>

namespace fwut::files {

std::optional<FileIdentity> IdentityOf(const std::string& path)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    // Nanoseconds: a file rewritten within the same second still differs.
    const std::int64_t modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                        static_cast<std::uint64_t>(st.st_size), modified};
}

}  // namespace fwut::files
