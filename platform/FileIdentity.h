// Which file a path names, and its size and time of last change: enough to
// tell that a file was replaced or rewritten since it was last looked at.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fwut::files {

struct FileIdentity {
    std::uint64_t volume = 0;  // the device or volume serial number
    std::uint64_t file = 0;  // the inode or file index
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // in the system's own units, compared only

    bool operator==(const FileIdentity&) const = default;
};

// Follows links; nothing when the path names no file that can be looked at.
std::optional<FileIdentity> IdentityOf(const std::string& path);

}  // namespace fwut::files
