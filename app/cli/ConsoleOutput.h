// The command line's one way to its standard output and error, with one
// policy per command for a reader that is slow, stops or goes away. Every
// text is escaped on its way out (control characters, and bytes that are not
// text in the system's encoding, shown as \xHH; line ends kept), so that no
// text from a file, a device or another program can reach the terminal raw,
// whichever message carries it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

namespace fwut::cli {

class ConsoleOutput {
public:
    enum class Policy {
        // Every byte is written, however long the reader takes to read it;
        // a stop request ends a write the reader holds up (check, ports,
        // history, convert).
        Complete,
        // A reader that stops reading never holds up an update (a paused
        // pager, a stalled logger, Ctrl-S on a terminal would block every
        // write, and with them the boot loader's pauses and the reaction to
        // Ctrl-C): the text goes out from a thread of its own, one for each
        // stream unless both reach one file, so that errors reach a terminal
        // while the reader of a JSON pipe sleeps. Progress is dropped while
        // much earlier text still waits, anything else only once a reader
        // has left a megabyte unread; a note says so, at once on standard
        // error when standard output carries JSON lines, else when the
        // reader is back.
        Unblocking,
    };

    // The one instance, which lives until the process ends: its writer may
    // still be blocked in a write then.
    static ConsoleOutput& Instance();

    // Chosen once by the command, before it prints.
    void Use(Policy policy, bool jsonLines);

    void Print(std::string_view text);
    void PrintError(std::string_view text);
    // A progress report: a line of its own, or on a terminal (overwrite) the
    // line it shares with the reports before it.
    void PrintProgress(std::string_view text, bool overwrite);

    // Waits for the queued text, at most limitMs under the Unblocking policy.
    // False when some text was not written (a failed write, a dropped
    // report); Problem() then says why.
    bool Finish(unsigned limitMs);
    std::string Problem();

private:
    struct Chunk {
        std::string text;
        bool toError;
    };
    // The text queued for one writer thread.
    struct Lane {
        std::deque<Chunk> queue;
        std::size_t queuedBytes = 0;
        bool writerStarted = false;
        bool writing = false;
        bool dropping = false;
    };

    ConsoleOutput() = default;
    void Put(std::string text, bool toError, bool isProgress);
    void Queue(std::string text, bool toError);
    Lane& LaneOf(bool toError) { return m_lanes[m_oneLane ? 0 : toError]; }
    void WriteNow(const std::string& text, bool toError, bool untilStopRequest);
    void WriteQueued(Lane& lane);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    Lane m_lanes[2];
    bool m_oneLane = true;
    Policy m_policy = Policy::Complete;
    bool m_jsonLines = false;
    bool m_failed[2] = {false, false};
    std::string m_problem;
};

// printf into a std::string.
std::string Format(const char* format, ...);

}  // namespace fwut::cli
