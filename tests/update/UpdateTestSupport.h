// Helpers for the firmware-file tests: a private temporary folder, whole-file
// reads and writes, correct Intel HEX records, and running other programs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

extern char** environ;

namespace fwut::test {

// A fresh folder under the system's temporary folder, removed with its contents.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "fwut-update-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path(const std::string& name) const { return (m_path / name).string(); }

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        const auto path = Path(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

private:
    std::filesystem::path m_path;
};

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One record line with a correct checksum, without its line end.
inline std::string Record(unsigned address, unsigned type, const std::vector<std::uint8_t>& data)
{
    char field[3];
    std::string line = ":";
    unsigned sum = 0;
    const auto append = [&](unsigned value) {
        std::snprintf(field, sizeof field, "%02X", value & 0xFFu);
        line += field;
        sum += value;
    };
    append(static_cast<unsigned>(data.size()));
    append(address >> 8);
    append(address & 0xFFu);
    append(type);
    for (const auto byte : data)
        append(byte);
    append((256 - sum % 256) % 256);
    return line;
}

inline std::string DataRecord(unsigned address, const std::vector<std::uint8_t>& data)
{
    return Record(address, 0x00, data);
}

inline const std::string kEndRecord = ":00000001FF";

// Runs a program found through PATH (or given by its path) with its standard
// output sent to stdoutPath; returns its exit status, or -1 when it did not run.
inline int RunProgram(const std::vector<std::string>& args, const std::string& stdoutPath)
{
    std::vector<char*> argv;
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

}  // namespace fwut::test
