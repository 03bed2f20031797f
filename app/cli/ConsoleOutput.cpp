#include "app/cli/ConsoleOutput.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <thread>

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
    if (!m_writerStarted) {
        StartWriter();
    }
    if (m_queuedBytes + text.size() > kQueueLimitBytes || (isProgress && m_queuedBytes > kProgressBacklogBytes)) {
        m_dropping = m_dropping || !isProgress;
        return;
    }
    if (m_dropping) {
        m_dropping = false;
        m_problem = "output was dropped while nobody read it";
        m_queue.push_back({kDroppedNote, toError || m_jsonLines});
        m_queuedBytes += std::char_traits<char>::length(kDroppedNote);
    }
    m_queuedBytes += text.size();
    m_queue.push_back({std::move(text), toError});
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

void ConsoleOutput::StartWriter()
{
    m_writerStarted = true;
    std::thread([this] {
        console::BlockStopRequestsOnThisThread();
        WriteQueued();
    }).detach();
}

bool ConsoleOutput::Finish(unsigned limitMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const bool drained =
        m_changed.wait_for(lock, std::chrono::milliseconds(limitMs), [this] { return m_queue.empty() && !m_writing; });
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

void ConsoleOutput::WriteQueued()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_queue.empty(); });
        Chunk chunk = std::move(m_queue.front());
        m_queue.pop_front();
        m_writing = true;
        lock.unlock();
        // A closed output (fwut-cli update | head) loses the text, nothing else.
        WriteNow(chunk.text, chunk.toError, false);
        lock.lock();
        m_queuedBytes -= chunk.text.size();
        m_writing = false;
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
