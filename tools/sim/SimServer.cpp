#include "tools/sim/SimServer.h"

#include "tools/sim/ItemChecker.h"

#include <algorithm>
#include <cstdio>
#include <poll.h>

namespace fwut::sim {

namespace {

// The line is looked at at least this often, so that the line settings
// sampled with arriving bytes are the ones they were sent with.
constexpr Millis kPollPeriod = 1;

}  // namespace

SimServer::SimServer(const SimOptions& options, Transcript& transcript)
    : options_(options),
      transcript_(transcript),
      start_(std::chrono::steady_clock::now()),
      wire_(options.throttle),
      parser_([this](const RxItem& item) { onItem(item); })
{
}

int SimServer::run(const volatile std::sig_atomic_t& stopRequested)
{
    if (!setUp())
        return 2;
    startSession();
    while (!finished_ && stopRequested == 0) {
        waitForActivity();
        receive();
        deliverDue();
        transmitDue();
    }
    shutDown();
    return transcript_.protocolErrors() > 0 || imageWriteFailed_ ? 1 : 0;
}

bool SimServer::setUp()
{
    std::string error;
    pty_ = PseudoTerminal::open(error);
    if (pty_)
        link_ = DeviceLink::create(options_.linkPath, pty_->slavePath(), error);
    if (!pty_ || !link_) {
        std::fprintf(stderr, "fwut-sim: %s\n", error.c_str());
        return false;
    }
    lineLastEmpty_ = now();  // nothing can have been written before the link existed
    transcript_.note(now(), "serving " + options_.linkPath + " -> " + pty_->slavePath());
    std::printf("fwut-sim: link %s -> %s\n", options_.linkPath.c_str(), pty_->slavePath().c_str());
    std::fflush(stdout);
    return true;
}

void SimServer::waitForActivity()
{
    Millis timeout = kPollPeriod;
    if (const auto due = wire_.nextDue())
        timeout = std::clamp(*due - now(), 0.0, kPollPeriod);
    const auto nanoseconds = static_cast<long>(timeout * 1e6);
    const timespec wait{0, nanoseconds};
    pollfd master{pty_->masterFd(), POLLIN, 0};
    ppoll(&master, 1, &wait, nullptr);
}

void SimServer::receive()
{
    std::uint8_t buffer[4096];
    while (pty_->isOpen()) {
        // The bytes arrived after the line was last seen empty and before
        // the read returned: stamped with the latter, with the difference as
        // slack, a pause is never judged shorter than it was, even when the
        // simulator is kept from running around the read.
        const Millis beforeRead = now();
        const std::size_t count = pty_->read(buffer, sizeof buffer);
        if (count == 0) {
            lineLastEmpty_ = beforeRead;
            return;
        }
        RxByte stamp;
        stamp.time = now();
        stamp.line = pty_->lineSample();
        stamp.slack = stamp.time - lineLastEmpty_;
        wire_.receive(buffer, count, stamp);
    }
}

void SimServer::deliverDue()
{
    while (!finished_) {
        const auto byte = wire_.takeDueRx(now());
        if (!byte)
            break;
        parser_.push(*byte);
    }
    if (!finished_ && !wire_.rxPending())
        parser_.idle(now());
}

void SimServer::transmitDue()
{
    if (!pty_->isOpen())
        return;
    const std::vector<std::uint8_t> bytes = wire_.dueTx(now());
    if (!bytes.empty())
        wire_.consumeTx(pty_->write(bytes.data(), bytes.size()));
}

Millis SimServer::send(Millis at, const std::vector<std::uint8_t>& bytes, Millis spacing, std::string_view what)
{
    const LineSample line = pty_->lineSample();
    const Millis leaves = wire_.scheduleTx(at, bytes, spacing, line);
    std::string text(what);
    if (leaves - at >= 0.1)
        text += "; the last byte leaves at " + formatMillis(leaves) + " ms";
    transcript_.sent(at, line, text);
    return leaves;
}

void SimServer::onItem(const RxItem& item)
{
    if (!session_)
        return;
    SessionStep step = session_->onItem(item);
    if (step == SessionStep::Restart) {
        session_->setEnding("abandoned: a new start began without \"<W\"");
        finishSession();
        startSession();
        step = session_->onItem(item);
    }
    if (step == SessionStep::Ended) {
        writeImage();
        finishSession();
        if (options_.once)
            finished_ = true;
        else
            startSession();
    } else if (step == SessionStep::HangUp) {
        session_->setEnding("hung up (--hangup-at-page)");
        finishSession();
        pty_->close();
        finished_ = true;
    }
}

void SimServer::startSession()
{
    ModuleLine& line = *this;
    session_ = std::make_unique<UpdateSession>(++sessionsStarted_, options_, transcript_, line);
}

void SimServer::finishSession()
{
    wire_.dropTx();
    if (session_->heardAnything()) {
        ++sessionsHeard_;
        if (session_->completed())
            ++sessionsCompleted_;
        transcript_.plain(session_->summary());
    }
    session_.reset();
}

// The image of a session that the program closed, complete or not, so that
// a partly flashed module can be inspected too.
void SimServer::writeImage()
{
    const PageStore& pages = session_->pages();
    if (options_.imageOutPath.empty() || pages.empty())
        return;
    const std::string problem = pages.writeImage(options_.imageOutPath);
    if (problem.empty()) {
        transcript_.note(now(), "image of " + countOf(pages.count(), "page") + " written to " + options_.imageOutPath);
    } else {
        imageWriteFailed_ = true;
        transcript_.note(now(), "cannot write the image to " + options_.imageOutPath + ": " + problem);
    }
}

void SimServer::shutDown()
{
    if (session_) {
        session_->setEnding("unfinished when the simulator stopped");
        finishSession();
    }
    link_.reset();
    pty_.reset();
    transcript_.plain("summary: " + countOf(sessionsHeard_, "session") + ", " + std::to_string(sessionsCompleted_) +
                      " completed, " + countOf(transcript_.protocolErrors(), "protocol error"));
}

Millis SimServer::now() const
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
}

}  // namespace fwut::sim
