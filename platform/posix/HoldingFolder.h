// The folder that holds a file in a user's places, reached one name at a
// time from an open folder, so that what is checked is what is then used.
//
// A symbolic link on the way is followed only when no one but the running
// user or root can change it: the link belongs to one of them, and so does
// its folder, which others may not write to (unless it is sticky, as /tmp
// is). Otherwise another local user who can write that folder could point
// the link elsewhere between one run and the next, and make a run of root's
// write where only root may. The file's own name is never followed: callers
// open it with O_NOFOLLOW.
#pragma once

#include <sys/stat.h>

#include <string>

namespace fwut::posix {

class HoldingFolder {
public:
    // Opens the folder that holds path's last name. With makeMissing, a
    // missing folder is made (0700), but only inside a folder of the user's
    // own. On failure IsOpen() is false and problem says why, naming the
    // place on the path.
    HoldingFolder(const std::string& path, bool makeMissing, std::string& problem);
    HoldingFolder(const HoldingFolder&) = delete;
    HoldingFolder& operator=(const HoldingFolder&) = delete;
    HoldingFolder(HoldingFolder&& other) noexcept;
    HoldingFolder& operator=(HoldingFolder&& other) noexcept;
    ~HoldingFolder();

    bool IsOpen() const { return m_fd >= 0; }
    // A descriptor for the *at() calls (O_PATH).
    int Fd() const { return m_fd; }
    // The file's name in the folder.
    const std::string& Name() const { return m_name; }
    // The folder as it was reached, for messages.
    const std::string& Shown() const { return m_shown; }

    // Belongs to the running user.
    bool IsOwn() const;
    // Nobody but the user or root can add, replace or remove names in it.
    bool IsSafe() const;

private:
    int m_fd = -1;
    std::string m_name;
    std::string m_shown;
    struct stat m_status { };
};

// The same rule for one folder's status: it belongs to the user or root,
// and others may not write to it unless it is sticky.
bool IsFolderSafe(const struct stat& folder);

// Why an existing file may not be written as the user's own: empty for a
// plain file of the user's with no other names. In a folder others can
// write, another user may plant a file under our name, or a hard link to one
// of ours.
std::string OwnFileProblem(const struct stat& file);

}  // namespace fwut::posix
