// Files as the update uses them: text-mode line reads that behave as the
// Windows C runtime's, exclusive opens, and the few folder and status queries.
// One implementation per system (posix/files.cpp, win32/files.cpp), chosen at
// build time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace fwut::files {

enum class Access { Shared, Exclusive };

// Reads like fgets on a file opened in Windows text mode: CR LF is one line
// end, delivered as "\n" and counted as one character; a byte 0x1A ends the
// file. A file saved on either system therefore reads the same.
class TextFile {
public:
    TextFile() = default;
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
    ~TextFile();

    bool Open(const std::string& path, Access access);
    // Reads at most limit characters, the "\n" included when it fits; what is
    // left of a longer line is read by the next call. Returns false when the
    // file is at its end and nothing was read.
    bool ReadLine(std::string& line, std::size_t limit);
    void Close();
    bool IsOpen() const { return m_handle != nullptr; }

private:
    int Next();

    void* m_handle = nullptr;
    int m_pushedBack = -1;
    bool m_atEnd = false;
};

class BinaryFile {
public:
    BinaryFile() = default;
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;
    ~BinaryFile();

    // Creates the file, or empties an existing one, for reading and writing
    // with exclusive access, which lasts until Close(). Made only in a folder
    // nobody but the user or root can change, reached without a link others
    // can change; a symbolic link, a file owned by another user, a file with
    // other names, or a file another program holds is refused rather than
    // followed or truncated.
    bool CreateExclusive(const std::string& path);

    bool Seek(std::uint64_t offset);
    std::size_t Read(void* buffer, std::size_t size);
    std::size_t Write(const void* buffer, std::size_t size);
    std::optional<std::uint64_t> Length();
    void Close();
    // Removes the file this object holds, but only while its name still
    // names that very file, then closes it. Another program's file that has
    // taken the name meanwhile is left alone.
    void DeleteAndClose() noexcept;
    bool IsOpen() const { return m_fd >= 0; }

private:
    std::intptr_t m_fd = -1;
    std::intptr_t m_folder = -1;
    std::string m_path;
};

// Where a new file of the user's may be made, and what it becomes. Every
// rule also keeps an existing file as it is unless it is a plain file of the
// user's own with no other names (and, to be replaced, not read-only), and
// no write ever goes through a link at the file's own name or through one on
// the way that another user can change. Windows leaves these rules to the
// folders' access lists, apart from links and devices.
struct NewFileRules {
    bool privateToUser = false;  // readable by the user alone, else as the umask says
    // Only in a folder that belongs to the running user: root run with a
    // user's HOME must not leave that user a file it cannot write.
    bool inOwnFolderOnly = false;
    bool makeMissingFolders = false;  // each only inside a folder of the user's own
};

// A file that takes the place of another only once it is complete: written
// under a name of its own in the target's folder, then renamed over the
// target by Commit(). Until then, and whenever a step fails, the target stays
// as it was, and the new file goes with Discard() or the destructor. A target
// that exists but is no plain disk file (a link, a folder, a device such as
// COM9 or NUL) is refused. Each step returns false on failure and Problem()
// then says why, in the system's words where it has them. An existing
// target's mode is kept.
class ReplacementFile {
public:
    ReplacementFile() = default;
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    ~ReplacementFile() { Discard(); }

    bool Create(const std::string& target, NewFileRules rules = {});
    // The target's present text (empty when there is none yet), read through
    // the folder Create() checked; false when it is larger than limit.
    bool ReadCurrent(std::string& text, std::size_t limit);
    bool Write(const void* buffer, std::size_t size);
    bool Commit();
    void Discard() noexcept;
    const std::string& Problem() const { return m_problem; }

private:
    bool Fail(std::string problem);

    std::intptr_t m_handle = -1;
    std::intptr_t m_folder = -1;
    std::string m_target;
    std::string m_path;
    std::string m_problem;
    bool m_targetExists = false;
    unsigned m_mode = 0;
};

// Appends line (without its line end) as one line of the file, whole or not
// at all: the line starts a line of its own even after a fragment that lacks
// its line end, a short or failed write (a full disk) cuts the file back to
// where it was, and two programs appending at once take turns. False with the
// reason in problem when the file cannot be used or written.
bool AppendLine(const std::string& path, std::string_view line, NewFileRules rules, std::string& problem);

// The whole text of an existing plain file, through links; never waits on a
// FIFO or a device, which are refused. False with the reason in problem,
// also when the file is larger than limit bytes. othersFile, when given, says
// whether another user may have chosen the text: the file, or the folder
// that holds it, is not the running user's, or others may change that folder
// (POSIX; Windows leaves ownership to the access lists and says no).
bool ReadPlainFile(const std::string& path, std::size_t limit, std::string& text, std::string& problem,
                   bool* othersFile = nullptr);

// True when both paths name one existing file, through links too.
bool SameFile(const std::string& first, const std::string& second);
std::optional<std::tm> ModificationTimeLocal(const std::string& path);

// The user's own temporary folder, ending in the path separator. On Windows
// the system's; on POSIX systems TMPDIR when set, else XDG_RUNTIME_DIR when it
// is private to the user, else a private folder of the user's under /tmp.
std::string TemporaryFolder();
// The folder of the running program file, ending in the path separator, or
// empty when it cannot be found.
std::string ProgramFolder();

}  // namespace fwut::files
