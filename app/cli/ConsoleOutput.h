// Console output that never holds up an update. A reader that stops reading
// (a paused pager, a stalled logger, Ctrl-S on a terminal) would block every
// write, and with it the boot loader's pauses and the reaction to Ctrl-C; so
// the text goes to a writer thread of its own, and the update only queues it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>

namespace fwut::cli {

class ConsoleOutput {
public:
    // The one instance, which lives until the process ends: its writer may
    // still be blocked in a write then.
    static ConsoleOutput& Instance();

    // Queues text for the standard output or error, in the order given.
    void Print(std::string text, bool toError = false);
    // Queues a progress report, or drops it while much earlier text is still
    // waiting: the next report tells the same, newer.
    void PrintProgress(std::string text);
    // Waits at most limitMs for the queued text to be written; false when some
    // is still waiting (the reader is not reading).
    bool Drain(unsigned limitMs);

private:
    struct Chunk {
        std::string text;
        bool toError;
    };

    ConsoleOutput();
    void WriteQueued();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Chunk> m_queue;
    std::size_t m_queuedBytes = 0;
    bool m_writing = false;
    bool m_dropping = false;
};

// printf into a std::string.
std::string Format(const char* format, ...);

}  // namespace fwut::cli
