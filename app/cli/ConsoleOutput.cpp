#include "app/cli/ConsoleOutput.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>

#include "platform/ConsoleSignals.h"
#include "platform/Printable.h"

namespace fwut::cli {

namespace {

// Text beyond this, queued for a reader that has stopped, is dropped rather
// than held: a run of --repeat 0 must not grow without end.
constexpr std::size_t kQueueLimitBytes = 1 << 20;
// Progress is dropped only when this much text is still waiting: the reader
// is then behind, not merely a moment slower than the update.
constexpr std::size_t kProgressBacklogBytes = 4096;
constexpr const char* kDroppedNote = "[fwut-cli: output dropped while nobody read it]\n";

}  // namespace

ConsoleOutput& ConsoleOutput::Instance()
{
    static auto* instance = new ConsoleOutput();
    return *instance;
}

void ConsoleOutput::Use(Policy policy, bool jsonLines)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_policy = policy;
    m_jsonLines = jsonLines;
    m_oneLane = console::OutputsShareOneFile();
}

void ConsoleOutput::Print(std::string_view text)
{
    Put(Printable(text, true), false, false);
}

void ConsoleOutput::PrintError(std::string_view text)
{
    Put(Printable(text, true), true, false);
}

void ConsoleOutput::PrintProgress(std::string_view text, bool overwrite)
{
    Put((overwrite ? "\r" : "") + Printable(text, !overwrite), false, true);
}

void ConsoleOutput::Put(std::string text, bool toError, bool isProgress)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_policy == Policy::Complete) {
        lock.unlock();
        WriteNow(text, toError, true);
        return;
    }
    // JSON lines leave no room for the note: it goes to standard error, and
    // at once, since the reader of the JSON lines may never come back.
    const bool noteAtOnce = m_jsonLines && !toError;
    Lane& lane = LaneOf(toError);
    if (lane.queuedBytes + text.size() > kQueueLimitBytes || (isProgress && lane.queuedBytes > kProgressBacklogBytes)) {
        if (!isProgress && !lane.dropping) {
            lane.dropping = true;
            m_problem = "output was dropped while nobody read it";
            if (noteAtOnce) {
                Queue(kDroppedNote, true);
            }
        }
        return;
    }
    if (lane.dropping) {
        lane.dropping = false;
        if (!noteAtOnce) {
            Queue(kDroppedNote, toError);
        }
    }
    Queue(std::move(text), toError);
}

// The note of dropped text is queued past the limit: it is short, and once.
void ConsoleOutput::Queue(std::string text, bool toError)
{
    Lane& lane = LaneOf(toError);
    if (!lane.writerStarted) {
        lane.writerStarted = true;
        console::StartThreadAwayFromStopRequests([this, &lane] { WriteQueued(lane); });
    }
    lane.queuedBytes += text.size();
    lane.queue.push_back({std::move(text), toError});
    m_changed.notify_all();
}

// Once a stream has failed (a reader that went away), nothing more is tried on it.
void ConsoleOutput::WriteNow(const std::string& text, bool toError, bool untilStopRequest)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_failed[toError]) {
            return;
        }
    }
    if (const int error = console::WriteAll(toError, text, untilStopRequest); error != 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_failed[toError] = true;
        if (m_problem.empty()) {
            m_problem = console::ErrorText(error);
        }
    }
}

bool ConsoleOutput::Finish(unsigned limitMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const bool drained = m_changed.wait_for(lock, std::chrono::milliseconds(limitMs), [this] {
        return std::ranges::all_of(m_lanes, [](const Lane& lane) { return lane.queue.empty() && !lane.writing; });
    });
    if (!drained && m_problem.empty()) {
        m_problem = "the reader took too long";
    }
    return drained && m_problem.empty();
}

std::string ConsoleOutput::Problem()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_problem;
}

void ConsoleOutput::WriteQueued(Lane& lane)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&lane] { return !lane.queue.empty(); });
        Chunk chunk = std::move(lane.queue.front());
        lane.queue.pop_front();
        lane.writing = true;
        lock.unlock();
        // A closed output (fwut-cli update | head) loses the text, nothing else.
        WriteNow(chunk.text, chunk.toError, false);
        lock.lock();
        lane.queuedBytes -= chunk.text.size();
        lane.writing = false;
        m_changed.notify_all();
    }
}

std::string Format(const char* format, ...)
{
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (length < 0) {
        return std::string();
    }
    if (static_cast<std::size_t>(length) < sizeof text) {
        return std::string(text, static_cast<std::size_t>(length));
    }
    std::string longText(static_cast<std::size_t>(length) + 1, '\0');
    va_start(arguments, format);
    std::vsnprintf(longText.data(), longText.size(), format, arguments);
    va_end(arguments);
    longText.pop_back();
    return longText;
}

}  // namespace fwut::cli
