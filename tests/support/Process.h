// Runs a program of the project as a child process, for end-to-end tests.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TempDir.h"

extern char** environ;

namespace fwut::test {

class Process {
public:
    // Starts program with arguments; its standard output and error go to
    // outputPath (the error to errorPath when one is given), unless closed
    // names them: those descriptors start closed.
    Process(const std::string& program, const std::vector<std::string>& arguments, const std::string& outputPath,
            const std::vector<int>& closed = {}, const std::string& errorPath = {})
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        if (errorPath.empty()) {
            posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        } else {
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                             0644);
        }
        for (const int fd : closed) {
            if (fd == STDOUT_FILENO) {
                // The error output keeps the file.
                posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, outputPath.c_str(),
                                                 O_WRONLY | O_CREAT | O_APPEND, 0644);
            }
            posix_spawn_file_actions_addclose(&actions, fd);
        }
        Spawn(program, arguments, actions);
    }
    // The same with standard output and error on an open descriptor (a pipe, a terminal).
    Process(const std::string& program, const std::vector<std::string>& arguments, int outputFd)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDERR_FILENO);
        Spawn(program, arguments, actions);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process()
    {
        if (m_started && !m_exited) {
            ::kill(m_pid, SIGKILL);
            Wait(std::chrono::seconds(5));
        }
    }

    void Signal(int signal) { ::kill(m_pid, signal); }
    pid_t Pid() const { return m_pid; }

    // The exit code, or -1 when the process has not ended in time (or died of a signal).
    int Wait(std::chrono::milliseconds limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!m_exited) {
            int status = 0;
            const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid) {
                m_exited = true;
                m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                break;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return m_exitCode;
    }

private:
    void Spawn(const std::string& program, const std::vector<std::string>& arguments,
               posix_spawn_file_actions_t& actions)
    {
        std::vector<std::string> all = {program};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : all) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        m_started = posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
    }

    pid_t m_pid = -1;
    bool m_started = false;
    bool m_exited = false;
    int m_exitCode = -1;
};

}  // namespace fwut::test
